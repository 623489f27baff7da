// The process runner on its own: plain shell commands and this test program
// itself, started again in a child role, stand in for the game.
#include "support/GameProcess.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

const char* const childRoleVariable = "QUARRYSTACK_HARNESS_CHILD";

// Started with the role variable set, this program acts out a small part
// instead of running tests: the game's console habits, reproduced with the
// same C++ streams.
const bool childRolePlayed = [] {
    const char* role = std::getenv(childRoleVariable);
    if (!role)
        return false;
    const std::string part = role;
    if (part == "unflushed-line") {
        // One line with "\n" and no flush, then a long frame loop.
        std::cout << "RELOAD\n";
        std::this_thread::sleep_for(30s);
        std::_Exit(0);
    }
    if (part == "many-lines-then-exit") {
        for (int i = 0; i < 20000; ++i)
            std::cout << "frametime: " << i << "ms\n";
        std::cout << "last line\n";
        std::exit(0);
    }
    std::_Exit(99);
}();

std::string selfPath()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        throw std::runtime_error("no /proc/self/exe");
    return std::string(path, static_cast<std::size_t>(length));
}

ProcessOptions shell(const std::string& script)
{
    ProcessOptions options;
    options.program = "sh";
    options.arguments = {"-c", script};
    return options;
}

ProcessOptions selfInRole(const std::string& role)
{
    ProcessOptions options;
    options.program = selfPath();
    options.environment = {{childRoleVariable, role}};
    return options;
}

// A killed grandchild is reparented and reaped by someone else, later.
bool endsWithin(pid_t pid, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (processAlive(pid)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(ProcessTest, ReportsExitCodesAndSignals)
{
    struct Row {
        const char* script;
        ExitStatus expected;
    } rows[] = {
        {"exit 0", ExitStatus::exited(0)},
        {"exit 3", ExitStatus::exited(3)},
        {"exit 255", ExitStatus::exited(-1)}, // the game's fatal exit code -1
        {"kill -SEGV $$", ExitStatus::killedBy(SIGSEGV)},
        {"kill -KILL $$", ExitStatus::killedBy(SIGKILL)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.script);
        GameProcess process(shell(row.script));
        EXPECT_EQ(process.waitForExit(10), row.expected);
        EXPECT_FALSE(process.running());
    }
    EXPECT_EQ(ExitStatus::exited(255).describe(), "exit code 255");
    EXPECT_THAT(ExitStatus::killedBy(SIGSEGV).describe(), HasSubstr("signal 11"));
    EXPECT_FALSE(ExitStatus::killedBy(0).success());
}

TEST(ProcessTest, WorkingDirectoryDisplayAndEnvironment)
{
    const TempDir dir("process-test");
    const char* inherited = std::getenv("DISPLAY");
    const std::string ours = inherited ? inherited : "";
    setenv("DISPLAY", ":4242", 1); // ours, which the child must not see unless asked
    const std::string script = "pwd; echo \"display=${DISPLAY-unset} extra=${QUARRY_EXTRA-unset}\"";
    {
        ProcessOptions options = shell(script);
        options.workingDirectory = dir.path().string();
        options.environment = {{"QUARRY_EXTRA", "yes"}};
        GameProcess process(options);
        ASSERT_EQ(process.waitForExit(10), ExitStatus::exited(0));
        EXPECT_EQ(process.output(), dir.path().string() + "\ndisplay=unset extra=yes\n");
    }
    {
        ProcessOptions options = shell(script);
        options.display = ":77";
        GameProcess process(options);
        ASSERT_EQ(process.waitForExit(10), ExitStatus::exited(0));
        EXPECT_THAT(process.output(), HasSubstr("display=:77 extra=unset\n"));
    }
    if (inherited)
        setenv("DISPLAY", ours.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

TEST(ProcessTest, StandardInputIsEmptyAndErrorsGoApart)
{
    // With a terminal or pipe as input, cat would wait for ever.
    GameProcess process(shell("cat; echo out; echo err >&2"));
    ASSERT_EQ(process.waitForExit(10), ExitStatus::exited(0));
    EXPECT_EQ(process.output(), "out\n");
    EXPECT_EQ(process.errorOutput(), "err\n");
}

TEST(ProcessTest, LineWithoutFlushIsSeenWhileTheProgramRuns)
{
    GameProcess process(selfInRole("unflushed-line"));
    const auto at = process.waitForOutput("RELOAD\n", 10);
    ASSERT_TRUE(at) << "output so far: " << process.output();
    EXPECT_EQ(*at, 7u);
    EXPECT_TRUE(process.running());
}

TEST(ProcessTest, PlainFileOutputHoldsTheLineBack)
{
    // Why standard output is a terminal by default: into a plain file the same
    // line stays in the program's buffer.
    ProcessOptions options = selfInRole("unflushed-line");
    options.stdoutTerminal = false;
    GameProcess process(options);
    EXPECT_FALSE(process.waitForOutput("RELOAD", 1.0));
    process.stop();
}

TEST(ProcessTest, OutputIsCompleteOnceTheExitIsSeen)
{
    for (bool terminal : {true, false}) {
        SCOPED_TRACE(terminal ? "terminal" : "plain file");
        ProcessOptions options = selfInRole("many-lines-then-exit");
        options.stdoutTerminal = terminal;
        GameProcess process(options);
        ASSERT_EQ(process.waitForExit(20), ExitStatus::exited(0));
        const std::string all = process.output();
        EXPECT_THAT(all, HasSubstr("frametime: 0ms\nframetime: 1ms\n"));
        EXPECT_THAT(all, HasSubstr("frametime: 19999ms\nlast line\n"));
        EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 20001);
    }
}

TEST(ProcessTest, WaitForOutputFromAMark)
{
    GameProcess process(shell("echo RELOAD; echo between; echo RELOAD; echo end; sleep 30"));
    const auto first = process.waitForOutput("RELOAD", 10);
    ASSERT_TRUE(first);
    ASSERT_TRUE(process.waitForOutput("end", 10));
    const auto second = process.waitForOutput("RELOAD", 10, *first);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, std::string("RELOAD\nbetween\nRELOAD").size());
    EXPECT_FALSE(process.waitForOutput("RELOAD", 0.2, *second));
}

TEST(ProcessTest, WaitForOutputGivesUpWhenTheProgramEnds)
{
    GameProcess process(shell("echo something else; exit 4"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(process.waitForOutput("RELOAD", 60));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(process.exitStatus(), ExitStatus::exited(4));
}

TEST(ProcessTest, OutputWrittenLateIsFound)
{
    GameProcess process(shell("sleep 0.5; printf 'RE'; sleep 0.3; printf 'LOAD\\n'; sleep 30"));
    EXPECT_TRUE(process.waitForOutput("RELOAD", 10));
}

TEST(ProcessTest, DestructionKillsTheWholeGroup)
{
    pid_t leader = -1;
    pid_t grandchild = -1;
    {
        GameProcess process(shell("sleep 300 & echo $!; wait"));
        const auto at = process.waitForOutput("\n", 10);
        ASSERT_TRUE(at);
        grandchild = std::stoi(process.output());
        leader = process.pid();
        ASSERT_TRUE(processAlive(grandchild));
        ASSERT_TRUE(processAlive(leader));
    }
    EXPECT_NE(kill(leader, 0), 0);
    EXPECT_TRUE(endsWithin(grandchild, 5000ms)) << "the background sleep " << grandchild << " survived";
}

TEST(ProcessTest, StopEscalatesToSigkill)
{
    ProcessOptions options = shell("trap '' TERM; echo ready; while :; do sleep 0.05; done");
    options.terminateGrace = 0.3;
    GameProcess process(options);
    ASSERT_TRUE(process.waitForOutput("ready", 10));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(process.stop(), ExitStatus::killedBy(SIGKILL));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_NE(kill(process.pid(), 0), 0);
    EXPECT_EQ(process.stop(), ExitStatus::killedBy(SIGKILL)); // again: no harm
}

TEST(ProcessTest, StopEndsAWellBehavedProgramWithSigterm)
{
    GameProcess process(shell("echo ready; exec sleep 300"));
    ASSERT_TRUE(process.waitForOutput("ready", 10));
    EXPECT_EQ(process.stop(), ExitStatus::killedBy(SIGTERM));
}

TEST(ProcessTest, StartFailuresThrowWithTheCause)
{
    ProcessOptions missing;
    missing.program = "/nonexistent/quarrystack";
    try {
        GameProcess process(missing);
        ADD_FAILURE() << "a missing program started";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), HasSubstr("/nonexistent/quarrystack"));
        EXPECT_THAT(error.what(), HasSubstr("No such file"));
    }

    ProcessOptions badDirectory = shell("true");
    badDirectory.workingDirectory = "/nonexistent-folder";
    try {
        GameProcess process(badDirectory);
        ADD_FAILURE() << "started in a missing folder";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), HasSubstr("/nonexistent-folder"));
    }

    ProcessOptions notOnPath;
    notOnPath.program = "quarrystack-no-such-tool";
    EXPECT_THROW(GameProcess{notOnPath}, std::runtime_error);
}

TEST(ProcessTest, RunToolCollectsOutputAndTimesOut)
{
    const ToolResult ok = runTool({"sh", "-c", "echo \"$DISPLAY\"; echo warn >&2; exit 2"}, std::string(":9"), 10);
    EXPECT_FALSE(ok.timedOut);
    EXPECT_EQ(ok.status, ExitStatus::exited(2));
    EXPECT_EQ(ok.output, ":9\n");
    EXPECT_EQ(ok.errorOutput, "warn\n");
    EXPECT_FALSE(ok.ok());

    const auto start = std::chrono::steady_clock::now();
    const ToolResult slow = runTool({"sh", "-c", "sleep 30 & sleep 30"}, std::nullopt, 0.3);
    EXPECT_TRUE(slow.timedOut);
    EXPECT_FALSE(slow.ok());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

    EXPECT_THROW(runTool({"quarrystack-no-such-tool"}, std::nullopt, 1), std::runtime_error);
}

TEST(ProcessTest, ProcessAliveTellsZombiesFromLiving)
{
    EXPECT_TRUE(processAlive(getpid()));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(0);
    // Ended but not reaped, the child is a zombie: kill(pid, 0) still succeeds on it.
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
    EXPECT_EQ(kill(child, 0), 0);
    EXPECT_FALSE(processAlive(child));
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(processAlive(child));
}

} // namespace
