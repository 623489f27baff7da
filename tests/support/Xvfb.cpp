#include "support/Xvfb.h"

#include "support/GameProcess.h"

#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

XvfbDisplay::XvfbDisplay(int width, int height) : width_(width), height_(height)
{
    // Built before fork: the child of a threaded test may not allocate.
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("Xvfb: pipe failed");
    const std::string fd = std::to_string(fds[1]);
    const std::string server = findExecutable("Xvfb");
    if (server.empty())
        throw std::runtime_error("Xvfb: not found on PATH (is xvfb installed?)");
    // A sanitizer run preloads its runtime into the test. Passed on, it reaches
    // the keymap compiler that the server starts: its leak report and exit
    // status fail the keymap, and the server dies ("Failed to activate
    // virtual core keyboard") right after naming its display.
    std::vector<std::string> env;
    for (char** entry = environ; entry && *entry; ++entry)
        env.emplace_back(*entry);
    env = withoutPreload(std::move(env));
    std::vector<char*> envp;
    for (std::string& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
                          "-noreset", nullptr};

    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("Xvfb: fork failed");
    if (pid_ == 0) {
        // A test run that is killed must not leave servers behind.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        close(fds[0]);
        // Keep the server quiet; its own messages are of no use to a test.
        const int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) {
            dup2(devnull, STDOUT_FILENO);
            dup2(devnull, STDERR_FILENO);
        }
        execve(server.c_str(), const_cast<char* const*>(argv), envp.data());
        _exit(127);
    }
    close(fds[1]);

    // The server writes its display number and a line end once it accepts clients.
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty()) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        throw std::runtime_error("Xvfb: the server did not start (is xvfb installed?)");
    }
    name_ = ":" + number;
}

XvfbDisplay::~XvfbDisplay()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}
