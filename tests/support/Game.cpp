#include "support/Game.h"

#include "physics/PhysicsWorld.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A sanitizer run preloads its runtime into the tests. The game should keep
// it, but Xvfb (whose keymap compiler then fails on the leak report) and the
// X and image tools must not get it: it leaves our environment at once and
// goes to the game alone.
const std::string gamePreload = [] {
    const char* preload = std::getenv("LD_PRELOAD");
    std::string value = preload ? preload : "";
    unsetenv("LD_PRELOAD");
    return value;
}();

// Starts `argv` in its own process group, killed when the test process dies;
// standard output and error to files (or /dev/null), input from a file too.
pid_t spawn(const std::vector<std::string>& argv, const std::string& dir = "", const std::string& out = "/dev/null",
            const std::string& err = "/dev/null", const std::string& input = "/dev/null")
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = getpid(), pid = fork();
    if (pid == 0) { // only async-signal-safe calls from here on
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        setpgid(0, 0);
        const int in = open(input.c_str(), O_RDONLY), to = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
                  toErr = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || to < 0 || toErr < 0 || (!dir.empty() && chdir(dir.c_str()) != 0))
            _exit(127);
        dup2(in, 0);
        dup2(to, 1);
        dup2(toErr, 2);
        execvp(args[0], args.data());
        _exit(127);
    }
    if (pid < 0)
        throw std::runtime_error("fork failed");
    return pid;
}

std::string quoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

int statusOf(int wait) { return WIFSIGNALED(wait) ? 128 + WTERMSIG(wait) : WEXITSTATUS(wait); }

using Clock = std::chrono::steady_clock;

} // namespace

#ifndef QUARRYSTACK_DEFAULT_TIME_SCALE
#define QUARRYSTACK_DEFAULT_TIME_SCALE 1
#endif
// How many times slower than usual the game under test runs, for stretching
// waits: QUARRYSTACK_TIME_SCALE when set, else 4 in the sanitizer build, else 1.
static double timeScale()
{
    const char* scale = std::getenv("QUARRYSTACK_TIME_SCALE");
    return std::max(1.0, scale ? std::atof(scale) : QUARRYSTACK_DEFAULT_TIME_SCALE);
}

ToolResult runTool(const std::vector<std::string>& command, const std::string& display, double timeoutSeconds)
{
    std::string line = "timeout -s KILL " + std::to_string(timeoutSeconds * timeScale()) + " env " +
                       (display.empty() ? "-u DISPLAY" : "DISPLAY=" + display);
    for (const std::string& argument : command)
        line += " " + quoted(argument);
    FILE* pipe = popen((line + " 2>&1").c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + command.at(0));
    ToolResult result;
    char buffer[65536];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, n);
    result.status = statusOf(pclose(pipe));
    return result;
}

XvfbDisplay::XvfbDisplay(int width, int height)
{
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("Xvfb: no pipe");
    pid_ = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                  std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp", "-noreset"},
                 "");
    close(fds[1]);
    // The server writes its display number once it accepts clients.
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        name_ += c;
    close(fds[0]);
    if (name_.empty()) {
        kill(pid_, SIGKILL); // the destructor will not run
        throw std::runtime_error("Xvfb did not start (is xvfb installed?)");
    }
    name_ = ":" + name_;
}

XvfbDisplay::~XvfbDisplay()
{
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

Shot loadShot(const std::string& path, const std::vector<std::string>& filter)
{
    std::vector<std::string> command = {"convert", path, "-alpha", "off"};
    command.insert(command.end(), filter.begin(), filter.end());
    command.insert(command.end(), {"-depth", "8", "ppm:-"});
    const ToolResult ppm = runTool(command);
    Shot shot;
    std::istringstream in(ppm.output);
    std::string magic;
    int maximum = 0;
    in >> magic >> shot.width >> shot.height >> maximum;
    in.get();
    shot.rgb.resize(std::size_t(shot.width) * shot.height * 3);
    if (!ppm.ok() || magic != "P6" || maximum != 255 ||
        !in.read(reinterpret_cast<char*>(shot.rgb.data()), std::streamsize(shot.rgb.size())))
        throw std::runtime_error("cannot read the picture " + path + ": " + ppm.output.substr(0, 200));
    return shot;
}

double differingShare(const Shot& a, const Shot& b, int tolerance, Rect r)
{
    if (a.width != b.width || a.height != b.height)
        return 1.0;
    if (r.width == 0)
        r = {0, 0, a.width, a.height};
    std::size_t differing = 0;
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x) {
            const std::uint8_t *p = a.at(x, y), *q = b.at(x, y);
            differing += std::max({std::abs(p[0] - q[0]), std::abs(p[1] - q[1]), std::abs(p[2] - q[2])}) > tolerance;
        }
    return double(differing) / (double(r.width) * r.height);
}

Rect picturesOwnPart(const std::string& picture, int width, int height)
{
    if (picture == "welcome")
        return {width / 2, 0, width - width / 2, height};
    return {0, 0, width, height * (picture == "win" ? 3 : 6) / 10};
}

std::size_t distinctColours(const Shot& shot)
{
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < shot.rgb.size(); i += 3)
        colours.insert(shot.rgb[i] << 16 | shot.rgb[i + 1] << 8 | shot.rgb[i + 2]);
    return colours.size();
}

GameTest::~GameTest()
{
    if (pid_ > 0 && running()) {
        kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void GameTest::TearDown()
{
    if (!HasFailure())
        return;
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    const fs::path evidence = fs::path(QUARRYSTACK_BINARY_DIR) / "e2e-artifacts" / name;
    std::error_code ignored;
    fs::remove_all(evidence, ignored);
    fs::copy(workDir(), evidence, fs::copy_options::recursive, ignored);
    std::cerr << "[ evidence ] " << evidence.string() << '\n';
}

fs::path GameTest::data(const std::string& relative)
{
    if (!data_) {
        data_ = std::make_unique<TempDir>("quarrystack-data");
        for (const char* folder : {"Shader", "Textures", "Data", "Sounds"})
            fs::copy(fs::path(QUARRYSTACK_SOURCE_DIR) / folder, data_->path() / folder, fs::copy_options::recursive);
    }
    return data_->path() / relative;
}

void GameTest::launch(int width, int height)
{
    screenWidth = width;
    screenHeight = height;
    status_.reset();
    display_ = std::make_unique<XvfbDisplay>(width, height);
    const char* game = std::getenv("QUARRYSTACK_GAME");
    if (program.empty())
        program = game && *game ? game : QUARRYSTACK_GAME;
    // The game keeps its settings and progress in the test's own folder, never the player's.
    std::vector<std::string> command = {"env",
                                        "DISPLAY=" + display_->name(),
                                        "LD_PRELOAD=" + gamePreload,
                                        "XDG_CONFIG_HOME=" + (workDir() / "config").string(),
                                        "XDG_STATE_HOME=" + (workDir() / "state").string(),
                                        program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    // The game writes and flushes a line every frame: a plain file lets the
    // test read what it wrote so far without a reader of its own.
    pid_ = spawn(command, workingDirectory.empty() ? data().string() : workingDirectory.string(),
                 (workDir() / "output.txt").string(), (workDir() / "errors.txt").string(), standardInput);
}

void GameTest::start(int width, int height)
{
    launch(width, height);
    window_ = x("search", {"--sync", "--onlyvisible", "--limit", "1", "--name", "^(Hello, Zelhan|Quarrystack)"});
    // Without a window manager nothing else focuses it; it must be mapped first.
    x("windowfocus", {"--sync", window_});
    waitFor("frametime:");
}

void GameTest::startPlaying(int width, int height)
{
    start(width, height);
    const std::size_t from = mark();
    press("Return");
    waitFor("RELOAD", from);
    press("F9"); // no crosshair, nor a hint that fades between two views a test compares
    waitGameTime(0.5);
}

std::string GameTest::readAll(const std::string& file)
{
    std::ifstream in(workDir() / file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t GameTest::count(const std::string& text, std::size_t from)
{
    const std::string out = output();
    std::size_t n = 0;
    for (std::size_t at = out.find(text, from); at != std::string::npos; at = out.find(text, at + 1))
        ++n;
    return n;
}

bool GameTest::running()
{
    int wait = 0;
    if (!status_ && pid_ > 0 && waitpid(pid_, &wait, WNOHANG) == pid_)
        status_ = statusOf(wait);
    return pid_ > 0 && !status_;
}

void GameTest::waitUntil(const std::function<bool()>& done, const std::string& what)
{
    // Even at a frame in two seconds, on a loaded machine, frames come sooner.
    const auto deadline = Clock::now() + std::chrono::duration<double>(60.0 * timeScale());
    while (!done()) {
        if (!running() && !done())
            throw std::runtime_error("the game ended (status " + std::to_string(status_.value_or(-1)) +
                                     ") while the test waited for " + what);
        if (Clock::now() > deadline)
            throw std::runtime_error("the game did not show " + what + " in time");
        std::this_thread::sleep_for(std::chrono::milliseconds(5)); // polling the output, not timing the game
    }
}

void GameTest::waitFor(const std::string& text, std::size_t from)
{
    waitUntil([&] { return output().find(text, from) != std::string::npos; }, "\"" + text + "\"");
}

void GameTest::waitFrames(int frames)
{
    const std::size_t from = mark();
    waitUntil([&] { return count("frametime:", from) > std::size_t(frames); }, std::to_string(frames) + " frames");
}

double GameTest::gameTimeSince(std::size_t from)
{
    const std::string out = output();
    double seconds = 0.0;
    for (std::size_t at = out.find("frametime: ", from); at != std::string::npos;
         at = out.find("frametime: ", at + 1)) {
        if (out.find('\n', at) == std::string::npos)
            break; // still being written
        // A frame advances the physics by at most its sub-step cap.
        const double cap = PhysicsWorld::maxSubSteps * double(PhysicsWorld::fixedTimeStep);
        seconds += std::min(std::strtod(out.c_str() + at + 11, nullptr) / 1000.0, cap);
    }
    return seconds;
}

void GameTest::waitGameTime(double seconds)
{
    const std::size_t from = mark();
    waitUntil([&] { return gameTimeSince(from) >= seconds; }, std::to_string(seconds) + " s of game time");
}

std::optional<int> GameTest::waitExit(double seconds)
{
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds * timeScale());
    while (running() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return status_;
}

::testing::AssertionResult GameTest::quit()
{
    x("key", {"--delay", "0", "Escape"}); // a tap, down and up at once: it may fall between two polls
    const std::optional<int> status = waitExit();
    if (status == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "Escape: " << (status ? "status " + std::to_string(*status) : "no end");
}

std::string GameTest::x(const std::string& action, const std::vector<std::string>& arguments)
{
    std::vector<std::string> command = {"xdotool", action};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const ToolResult result = runTool(command, displayName());
    if (!result.ok())
        throw std::runtime_error("xdotool " + action + " failed: " + result.output);
    return result.output.substr(0, result.output.find('\n'));
}

// A frame prints its line, acts on the keys polled at the end of the frame
// before, draws, and polls: the third line after a key goes down comes from
// a frame after the one that acted on it and drew the result.
void GameTest::press(const std::string& key, int frames)
{
    keyDown({key});
    waitFrames(frames);
    keyUp({key});
    waitFrames(3);
}

void GameTest::moveMouse(int dx, int dy)
{
    int px = 0, py = 0;
    if (std::sscanf(x("getmouselocation", {}).c_str(), "x:%d y:%d", &px, &py) != 2)
        throw std::runtime_error("xdotool getmouselocation: no position");
    x("mousemove", {std::to_string(px + dx), std::to_string(py + dy)});
}

void GameTest::hold(const std::vector<std::string>& keys, double gameSeconds)
{
    keyDown(keys);
    waitGameTime(gameSeconds);
    keyUp(keys);
}

Shot GameTest::screenshot(const std::string& name)
{
    waitFrames(2);
    const std::string file = (workDir() / (name + ".png")).string();
    const ToolResult shot = runTool({"import", "-window", "root", file}, displayName());
    if (!shot.ok())
        throw std::runtime_error("import failed: " + shot.output);
    return loadShot(file);
}
