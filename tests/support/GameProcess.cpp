#include "support/GameProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point deadlineAfter(double seconds)
{
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

void sleepSeconds(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::string errnoText(int error)
{
    return std::strerror(error);
}

// Everything the child needs, built before fork: between fork and exec a
// threaded parent's child may only make async-signal-safe calls.
struct SpawnRequest {
    std::string executable;
    std::vector<std::string> argv;
    std::vector<std::string> env;
    std::string workingDirectory;
    int stdinFd = -1;
    int stdoutFd = -1;
    int stderrFd = -1;
};

// What the child reports back through the close-on-exec pipe when it fails
// before exec succeeds.
enum ChildStage : int { StageChdir = 1, StageExec = 2, StageSetup = 3 };

[[noreturn]] void childFail(int reportFd, int stage)
{
    const int report[2] = {stage, errno};
    ssize_t ignored = write(reportFd, report, sizeof report);
    (void)ignored;
    _exit(127);
}

void childRedirect(int from, int to, int reportFd)
{
    if (from == to) {
        // dup2 to itself keeps FD_CLOEXEC; exec would then close it.
        if (fcntl(to, F_SETFD, 0) != 0)
            childFail(reportFd, StageSetup);
    } else if (dup2(from, to) < 0) {
        childFail(reportFd, StageSetup);
    }
}

pid_t spawn(const SpawnRequest& request)
{
    std::vector<char*> argv;
    for (const std::string& arg : request.argv)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : request.env)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        throw std::runtime_error("spawn: pipe failed: " + errnoText(errno));

    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        const int error = errno;
        close(report[0]);
        close(report[1]);
        throw std::runtime_error("spawn: fork failed: " + errnoText(error));
    }
    if (pid == 0) {
        int reportFd = report[1];
        // A session of its own, so that one kill reaches everything it starts.
        setsid();
        // Should the test runner itself be killed, take the child along.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);

        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGPIPE, SIG_DFL);

        // Keep the report pipe clear of 0..2 before redirecting those.
        if (reportFd <= STDERR_FILENO) {
            reportFd = fcntl(reportFd, F_DUPFD_CLOEXEC, 3);
            if (reportFd < 0)
                _exit(127);
        }
        childRedirect(request.stdinFd, STDIN_FILENO, reportFd);
        childRedirect(request.stdoutFd, STDOUT_FILENO, reportFd);
        childRedirect(request.stderrFd, STDERR_FILENO, reportFd);
        // Nothing else of ours leaks into the child: a stray copy of another
        // child's terminal would keep that terminal open after its owner ends.
        if (reportFd != 3) {
            if (dup3(reportFd, 3, O_CLOEXEC) < 0)
                childFail(reportFd, StageSetup);
            reportFd = 3;
        }
        closefrom(4);

        if (!request.workingDirectory.empty() && chdir(request.workingDirectory.c_str()) != 0)
            childFail(reportFd, StageChdir);
        execve(request.executable.c_str(), argv.data(), envp.data());
        childFail(reportFd, StageExec);
    }

    close(report[1]);
    int failure[2] = {0, 0};
    ssize_t got;
    do {
        got = read(report[0], failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof failure)) {
        waitpid(pid, nullptr, 0);
        const char* what = failure[0] == StageChdir ? "cannot enter " : "cannot start ";
        const std::string subject = failure[0] == StageChdir ? request.workingDirectory : request.executable;
        throw std::runtime_error(std::string("spawn: ") + what + subject + ": " + errnoText(failure[1]));
    }
    return pid;
}

int openOrThrow(const std::string& path, int flags)
{
    const int fd = open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("GameProcess: cannot open " + path + ": " + errnoText(errno));
    return fd;
}

} // namespace

ExitStatus ExitStatus::fromWaitStatus(int status)
{
    if (WIFSIGNALED(status))
        return killedBy(WTERMSIG(status));
    return exited(WEXITSTATUS(status));
}

std::string ExitStatus::describe() const
{
    if (signaled) {
        const char* name = strsignal(code);
        return "signal " + std::to_string(code) + (name ? std::string(" (") + name + ")" : std::string());
    }
    return "exit code " + std::to_string(code);
}

std::ostream& operator<<(std::ostream& out, const ExitStatus& status)
{
    return out << status.describe();
}

std::vector<std::string> childEnvironment(const std::optional<std::string>& display,
                                          const std::vector<std::pair<std::string, std::string>>& extra)
{
    auto overridden = [&](const std::string& entry) {
        const std::string name = entry.substr(0, entry.find('='));
        if (name == "DISPLAY")
            return true;
        for (const auto& [key, value] : extra)
            if (key == name)
                return true;
        return false;
    };
    std::vector<std::string> env;
    for (char** entry = environ; entry && *entry; ++entry)
        if (!overridden(*entry))
            env.emplace_back(*entry);
    if (display)
        env.push_back("DISPLAY=" + *display);
    for (const auto& [key, value] : extra)
        env.push_back(key + "=" + value);
    return env;
}

std::vector<std::string> withoutPreload(std::vector<std::string> env)
{
    env.erase(std::remove_if(env.begin(), env.end(),
                             [](const std::string& entry) { return entry.rfind("LD_PRELOAD=", 0) == 0; }),
              env.end());
    return env;
}

std::string findExecutable(const std::string& name)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return name;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

bool processAlive(pid_t pid)
{
    if (pid <= 0 || kill(pid, 0) != 0)
        return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    // The state follows the command name, which is in parentheses and may
    // itself hold spaces or parentheses.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size())
        return true;
    const char state = line[close + 2];
    return state != 'Z' && state != 'X';
}

void GameProcess::Capture::refresh()
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size <= static_cast<std::streamoff>(text.size()))
        return;
    in.seekg(static_cast<std::streamoff>(text.size()));
    std::string more(static_cast<std::size_t>(size) - text.size(), '\0');
    in.read(more.data(), static_cast<std::streamsize>(more.size()));
    more.resize(static_cast<std::size_t>(in.gcount()));
    text += more;
}

GameProcess::GameProcess(ProcessOptions options) : options_(std::move(options))
{
    const std::string executable = findExecutable(options_.program);
    if (executable.empty())
        throw std::runtime_error("GameProcess: no program '" + options_.program + "' found");

    directory_ = (std::filesystem::temp_directory_path() / "quarrystack-process-XXXXXX").string();
    if (!mkdtemp(directory_.data()))
        throw std::runtime_error("GameProcess: cannot create " + directory_);
    stdoutPath_ = directory_ + "/stdout.txt";
    stderrPath_ = directory_ + "/stderr.txt";
    stdout_.path = stdoutPath_;
    stderr_.path = stderrPath_;

    SpawnRequest request;
    request.executable = executable;
    request.argv.push_back(options_.program);
    request.argv.insert(request.argv.end(), options_.arguments.begin(), options_.arguments.end());
    request.env = childEnvironment(options_.display, options_.environment);
    request.workingDirectory = options_.workingDirectory;

    std::vector<int> parentFds;
    auto closeParentFds = [&] {
        for (int fd : parentFds)
            close(fd);
        parentFds.clear();
    };
    int terminalSlave = -1;
    try {
        request.stdinFd = openOrThrow("/dev/null", O_RDONLY);
        parentFds.push_back(request.stdinFd);
        request.stderrFd = openOrThrow(stderrPath_, O_WRONLY | O_CREAT | O_TRUNC);
        parentFds.push_back(request.stderrFd);
        if (options_.stdoutTerminal) {
            terminalCopy_ = openOrThrow(stdoutPath_, O_WRONLY | O_CREAT | O_TRUNC);
            terminalMaster_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
            char slaveName[128];
            if (terminalMaster_ < 0 || grantpt(terminalMaster_) != 0 || unlockpt(terminalMaster_) != 0 ||
                ptsname_r(terminalMaster_, slaveName, sizeof slaveName) != 0)
                throw std::runtime_error("GameProcess: no pseudo-terminal: " + errnoText(errno));
            terminalSlave = openOrThrow(slaveName, O_RDWR | O_NOCTTY);
            parentFds.push_back(terminalSlave);
            // Raw mode: no "\r\n" for "\n", no echo, bytes pass as written.
            termios mode {};
            if (tcgetattr(terminalSlave, &mode) == 0) {
                cfmakeraw(&mode);
                tcsetattr(terminalSlave, TCSANOW, &mode);
            }
            request.stdoutFd = terminalSlave;
        } else {
            request.stdoutFd = openOrThrow(stdoutPath_, O_WRONLY | O_CREAT | O_TRUNC);
            parentFds.push_back(request.stdoutFd);
        }
        pid_ = spawn(request);
    } catch (...) {
        closeParentFds();
        if (terminalMaster_ >= 0)
            close(terminalMaster_);
        if (terminalCopy_ >= 0)
            close(terminalCopy_);
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
        throw;
    }
    // Only the child may hold the terminal's slave side now, so the reader
    // sees the end of output when the child (and whatever it started) closes it.
    closeParentFds();
    if (terminalMaster_ >= 0)
        terminalReader_ = std::thread([this] { readTerminal(); });
}

GameProcess::~GameProcess()
{
    stop();
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

void GameProcess::readTerminal()
{
    char buffer[65536];
    while (!stopReader_) {
        pollfd watch{terminalMaster_, POLLIN, 0};
        const int ready = poll(&watch, 1, 50);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        const ssize_t got = read(terminalMaster_, buffer, sizeof buffer);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            break; // EIO: every writer has closed the terminal
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(terminalCopy_, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                break;
            done += put;
        }
    }
    terminalDone_ = true;
}

void GameProcess::finishTerminal(double timeoutSeconds)
{
    if (!terminalReader_.joinable())
        return;
    const auto deadline = deadlineAfter(timeoutSeconds);
    while (!terminalDone_ && Clock::now() < deadline)
        sleepSeconds(0.005);
    // Something outside the group may still hold the terminal: stop reading.
    stopReader_ = true;
    terminalReader_.join();
    close(terminalMaster_);
    close(terminalCopy_);
    terminalMaster_ = terminalCopy_ = -1;
}

void GameProcess::signalGroup(int signal)
{
    if (pid_ > 0)
        kill(-pid_, signal);
}

bool GameProcess::running()
{
    if (status_)
        return false;
    int waitStatus = 0;
    const pid_t got = waitpid(pid_, &waitStatus, WNOHANG);
    if (got == pid_) {
        status_ = ExitStatus::fromWaitStatus(waitStatus);
        return false;
    }
    return true;
}

std::optional<ExitStatus> GameProcess::exitStatus()
{
    running();
    return status_;
}

std::optional<ExitStatus> GameProcess::waitForExit(double timeoutSeconds)
{
    const auto deadline = deadlineAfter(timeoutSeconds);
    while (running()) {
        if (Clock::now() >= deadline)
            return std::nullopt;
        sleepSeconds(0.01);
    }
    finishTerminal(2.0);
    return status_;
}

ExitStatus GameProcess::stop()
{
    if (running()) {
        signalGroup(SIGTERM);
        const auto deadline = deadlineAfter(options_.terminateGrace);
        while (running() && Clock::now() < deadline)
            sleepSeconds(0.01);
        if (running()) {
            signalGroup(SIGKILL);
            int waitStatus = 0;
            while (waitpid(pid_, &waitStatus, 0) < 0 && errno == EINTR) {
            }
            status_ = ExitStatus::fromWaitStatus(waitStatus);
        }
    }
    // Whatever the child started may outlive it; the group keeps its number.
    signalGroup(SIGKILL);
    finishTerminal(1.0);
    return *status_;
}

std::string GameProcess::output()
{
    stdout_.refresh();
    return stdout_.text;
}

std::size_t GameProcess::outputSize()
{
    stdout_.refresh();
    return stdout_.text.size();
}

std::string GameProcess::errorOutput()
{
    stderr_.refresh();
    return stderr_.text;
}

std::optional<std::size_t> GameProcess::waitForOutput(const std::string& text, double timeoutSeconds,
                                                      std::size_t from)
{
    const auto deadline = deadlineAfter(timeoutSeconds);
    std::size_t searchFrom = from;
    for (;;) {
        // Read the state before the output: output written before the end is
        // then certainly in the capture by the time the end is seen.
        const bool ended = !running();
        if (ended)
            finishTerminal(2.0);
        stdout_.refresh();
        const std::string& all = stdout_.text;
        if (searchFrom < all.size()) {
            const std::size_t at = all.find(text, searchFrom);
            if (at != std::string::npos)
                return at + text.size();
            // A match may straddle what has arrived and what is still to come.
            if (all.size() >= text.size())
                searchFrom = std::max(from, all.size() - text.size() + 1);
        }
        if (ended || Clock::now() >= deadline)
            return std::nullopt;
        sleepSeconds(0.02);
    }
}

ToolResult runTool(const std::vector<std::string>& command, const std::optional<std::string>& display,
                   double timeoutSeconds)
{
    if (command.empty())
        throw std::runtime_error("runTool: no command");
    SpawnRequest request;
    request.executable = findExecutable(command[0]);
    if (request.executable.empty())
        throw std::runtime_error("runTool: no program '" + command[0] + "' found");
    request.argv = command;
    request.env = withoutPreload(childEnvironment(display, {}));

    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    const int devnull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (devnull < 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        const int error = errno;
        for (int fd : {devnull, out[0], out[1], err[0], err[1]})
            if (fd >= 0)
                close(fd);
        throw std::runtime_error("runTool: no pipes: " + errnoText(error));
    }
    request.stdinFd = devnull;
    request.stdoutFd = out[1];
    request.stderrFd = err[1];
    pid_t pid = -1;
    try {
        pid = spawn(request);
    } catch (...) {
        for (int fd : {devnull, out[0], out[1], err[0], err[1]})
            close(fd);
        throw;
    }
    close(devnull);
    close(out[1]);
    close(err[1]);

    ToolResult result;
    std::optional<ExitStatus> status;
    const auto deadline = deadlineAfter(timeoutSeconds);
    Clock::time_point drainDeadline = Clock::time_point::max();
    pollfd watch[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.output, &result.errorOutput};
    for (;;) {
        if (!status) {
            int waitStatus = 0;
            if (waitpid(pid, &waitStatus, WNOHANG) == pid) {
                status = ExitStatus::fromWaitStatus(waitStatus);
                drainDeadline = deadlineAfter(1.0);
            }
        }
        const bool open = watch[0].fd >= 0 || watch[1].fd >= 0;
        if (status && (!open || Clock::now() >= drainDeadline))
            break;
        if (!status && Clock::now() >= deadline) {
            result.timedOut = true;
            kill(-pid, SIGKILL);
            int waitStatus = 0;
            while (waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
            }
            status = ExitStatus::fromWaitStatus(waitStatus);
            break;
        }
        if (!open) {
            sleepSeconds(0.005);
            continue;
        }
        if (poll(watch, 2, 10) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (watch[i].fd < 0 || !(watch[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[4096];
            const ssize_t got = read(watch[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(watch[i].fd);
                watch[i].fd = -1;
            }
        }
    }
    for (const pollfd& p : watch)
        if (p.fd >= 0)
            close(p.fd);
    result.status = *status;
    return result;
}
