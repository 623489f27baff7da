#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <sys/types.h>
#include <thread>
#include <utility>
#include <vector>

// How a child process ended.
struct ExitStatus {
    bool signaled = false; // killed by a signal instead of exiting
    int code = 0;          // exit code (0..255; the game's -1 reads 255) or signal number

    static ExitStatus exited(int code) { return {false, code & 0xff}; }
    static ExitStatus killedBy(int signal) { return {true, signal}; }
    static ExitStatus fromWaitStatus(int status);

    bool success() const { return !signaled && code == 0; }
    std::string describe() const; // "exit code 255", "signal 11 (Segmentation fault)"

    friend bool operator==(const ExitStatus& a, const ExitStatus& b)
    {
        return a.signaled == b.signaled && a.code == b.code;
    }
    friend bool operator!=(const ExitStatus& a, const ExitStatus& b) { return !(a == b); }
};
std::ostream& operator<<(std::ostream& out, const ExitStatus& status);

// The environment a child gets: ours, with DISPLAY replaced (or removed when
// `display` is empty) and `extra` NAME=value pairs set on top.
std::vector<std::string> childEnvironment(const std::optional<std::string>& display,
                                          const std::vector<std::pair<std::string, std::string>>& extra);

// `env` without LD_PRELOAD. A sanitizer run preloads the sanitizer runtime into
// the tests and the game; the helper programs (Xvfb, xdotool, ImageMagick) are
// not built for it and must start without it.
std::vector<std::string> withoutPreload(std::vector<std::string> env);

// `name` as execve wants it: unchanged when it holds a '/', else found on PATH.
// Empty when nothing executable is found.
std::string findExecutable(const std::string& name);

struct ProcessOptions {
    std::string program = QUARRYSTACK_GAME; // a path, or a name looked up on PATH
    std::vector<std::string> arguments;  // without the program name
    std::string workingDirectory;        // empty: the test's own
    std::optional<std::string> display;  // DISPLAY for the child; nullopt: DISPLAY unset
    std::vector<std::pair<std::string, std::string>> environment; // set on top of ours
    // Standard output goes to a pseudo-terminal (copied into the capture file by
    // a reader thread), as it would in a console. C and C++ streams are then line
    // buffered, so a line written with "\n" and no flush can be waited for while
    // the program runs. False: straight into the file, fully buffered.
    bool stdoutTerminal = true;
    double terminateGrace = 2.0; // seconds between SIGTERM and SIGKILL when stopping
};

// A child process in a new session (and so its own process group), with
// standard input from /dev/null and standard output and error captured to
// files in a private temporary folder. Stopping or destroying it kills the
// whole group: SIGTERM, then SIGKILL after the grace time.
class GameProcess {
public:
    explicit GameProcess(ProcessOptions options); // throws std::runtime_error when it cannot start
    ~GameProcess();

    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    pid_t pid() const { return pid_; }

    // Reaps the child without blocking; true while it has not ended.
    bool running();
    // The exit status once the child ended, nullopt while it runs.
    std::optional<ExitStatus> exitStatus();
    // Waits up to `timeoutSeconds` for the child to end. Its captured output is
    // complete once this returns a status.
    std::optional<ExitStatus> waitForExit(double timeoutSeconds);
    // Kills the process group (SIGTERM, grace time, SIGKILL) and reaps the child.
    // Returns how it ended; safe to call more than once.
    ExitStatus stop();

    // Everything captured so far.
    std::string output();
    std::string errorOutput();
    std::size_t outputSize(); // the length of output(), without copying it
    const std::string& outputPath() const { return stdoutPath_; }
    const std::string& errorPath() const { return stderrPath_; }

    // Waits until `text` appears in standard output at or after byte offset
    // `from`; returns the offset just past its first such appearance. Gives up
    // at the timeout or as soon as the child has ended without writing it.
    std::optional<std::size_t> waitForOutput(const std::string& text, double timeoutSeconds,
                                             std::size_t from = 0);

private:
    // One capture file, read incrementally: the game writes a line every frame,
    // so reading the whole file on every poll would cost more than the game.
    struct Capture {
        std::string path;
        std::string text;
        void refresh();
    };

    void readTerminal();
    void finishTerminal(double timeoutSeconds);
    void signalGroup(int signal);

    ProcessOptions options_;
    std::string directory_;
    std::string stdoutPath_;
    std::string stderrPath_;
    pid_t pid_ = -1;
    std::optional<ExitStatus> status_;

    Capture stdout_;
    Capture stderr_;

    int terminalMaster_ = -1;
    int terminalCopy_ = -1; // the capture file the reader thread writes
    std::thread terminalReader_;
    std::atomic<bool> terminalDone_{false}; // the last writer closed the terminal
    std::atomic<bool> stopReader_{false};
};

// A short-lived helper program (xdotool, import) with its output collected.
struct ToolResult {
    ExitStatus status;
    bool timedOut = false;
    std::string output;
    std::string errorOutput;
    bool ok() const { return !timedOut && status.success(); }
};

// Runs `command` (program and arguments) with DISPLAY set to `display` (unset
// when nullopt) and without LD_PRELOAD, and waits up to `timeoutSeconds`; on a timeout the tool's group
// is killed. Throws std::runtime_error when the program cannot be started.
ToolResult runTool(const std::vector<std::string>& command, const std::optional<std::string>& display,
                   double timeoutSeconds);

// True while `pid` names a live process. A zombie counts as ended, because a
// killed grandchild stays one until whoever inherited it reaps it.
bool processAlive(pid_t pid);
