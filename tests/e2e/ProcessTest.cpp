// The process runner on its own: plain shell commands and this test program
// itself, started again in a child role, stand in for the game.
#include "support/GameProcess.h"

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
// instead of running tests: the game's console habits, with the same streams.
const bool childRolePlayed = [] {
    const char* role = std::getenv(childRoleVariable);
    if (!role)
        return false;
    const std::string part = role;
    if (part == "unflushed-line") {
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

ProcessOptions shell(const std::string& script)
{
    ProcessOptions options;
    options.program = "sh";
    options.arguments = {"-c", script};
    return options;
}

ProcessOptions selfInRole(const std::string& role)
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    ProcessOptions options;
    options.program = std::string(path, static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
    options.environment = {{childRoleVariable, role}};
    return options;
}

TEST(ProcessTest, ReportsExitCodesAndSignals)
{
    const std::pair<const char*, ExitStatus> rows[] = {
        {"exit 0", ExitStatus::exited(0)},
        {"exit 255", ExitStatus::exited(-1)}, // the game's fatal exit code -1
        {"kill -SEGV $$", ExitStatus::killedBy(SIGSEGV)},
    };
    for (const auto& [script, expected] : rows) {
        SCOPED_TRACE(script);
        GameProcess process(shell(script));
        EXPECT_EQ(process.waitForExit(10), expected);
        EXPECT_FALSE(process.running());
    }
    EXPECT_FALSE(ExitStatus::killedBy(0).success());
}

// The game ends its lines with "\n" and does not flush them all: on a
// terminal they arrive at once.
TEST(ProcessTest, LineWithoutFlushIsSeenWhileTheProgramRuns)
{
    GameProcess process(selfInRole("unflushed-line"));
    const auto at = process.waitForOutput("RELOAD\n", 10);
    ASSERT_TRUE(at) << "output so far: " << process.output();
    EXPECT_EQ(*at, 7u);
    EXPECT_TRUE(process.running());
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
        EXPECT_THAT(all, HasSubstr("frametime: 19999ms\nlast line\n"));
        EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 20001);
    }
}

// A text written in two parts is found; a search from a mark skips what came
// before; a search gives up as soon as the program has ended.
TEST(ProcessTest, WaitForOutputFromAMarkUntilTheEnd)
{
    GameProcess process(shell("printf 'RE'; sleep 0.3; printf 'LOAD\\n'; echo between; echo RELOAD; exit 4"));
    const auto first = process.waitForOutput("RELOAD", 10);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, 6u);
    const auto second = process.waitForOutput("RELOAD", 10, *first);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, std::string("RELOAD\nbetween\nRELOAD").size());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(process.waitForOutput("RELOAD", 60, *second));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(process.exitStatus(), ExitStatus::exited(4));
}

TEST(ProcessTest, DestructionKillsTheWholeGroup)
{
    pid_t leader = -1;
    pid_t grandchild = -1;
    {
        GameProcess process(shell("sleep 300 & echo $!; wait"));
        ASSERT_TRUE(process.waitForOutput("\n", 10));
        grandchild = std::stoi(process.output());
        leader = process.pid();
        ASSERT_TRUE(processAlive(grandchild));
    }
    EXPECT_NE(kill(leader, 0), 0);
    // A killed grandchild is reparented and reaped by someone else, later.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (processAlive(grandchild) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(processAlive(grandchild)) << "the background sleep " << grandchild << " survived";
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
    EXPECT_EQ(process.stop(), ExitStatus::killedBy(SIGKILL)); // again: no harm
}

TEST(ProcessTest, RunToolCollectsOutputAndTimesOut)
{
    const ToolResult ok = runTool({"sh", "-c", "echo \"$DISPLAY\"; echo warn >&2; exit 2"}, std::string(":9"), 10);
    EXPECT_EQ(ok.status, ExitStatus::exited(2));
    EXPECT_EQ(ok.output, ":9\n");
    EXPECT_EQ(ok.errorOutput, "warn\n");
    EXPECT_FALSE(ok.ok());

    const auto start = std::chrono::steady_clock::now();
    const ToolResult slow = runTool({"sh", "-c", "sleep 30 & sleep 30"}, std::nullopt, 0.3);
    EXPECT_TRUE(slow.timedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

// Ended but not reaped, a process is a zombie: kill(pid, 0) still succeeds on it.
TEST(ProcessTest, ProcessAliveTellsZombiesFromLiving)
{
    EXPECT_TRUE(processAlive(getpid()));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(0);
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
    EXPECT_EQ(kill(child, 0), 0);
    EXPECT_FALSE(processAlive(child));
    waitpid(child, nullptr, 0);
}

} // namespace
