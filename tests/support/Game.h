#pragma once

// End-to-end tests run the real game on a private Xvfb display, in a fresh
// copy of its data, and drive it with xdotool; pictures go through
// ImageMagick. Every wait is for something the game shows (a console line, a
// number of frames, a window), with a limit that only a hung game reaches:
//
//   start(320, 180);          // display, data copy, game, window focused, first frame
//   const std::size_t from = mark();
//   press("Return");          // down until the game has seen it, then up likewise
//   waitFor("RELOAD", from);  // throws (failing the test) if the game ends or hangs
//   EXPECT_TRUE(quit());      // Escape tapped; the game ends with status 0
//
// A failing test leaves its screenshots and the game's output in
// QUARRYSTACK_BINARY_DIR/e2e-artifacts/<Suite>.<Test>/. Whatever was started
// is killed when the test ends, however it ends.

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

inline const std::filesystem::path sourceRoot = QUARRYSTACK_SOURCE_DIR,
                                   levelFixtures = sourceRoot / "tests/data/levels";

// A helper program run to its end: its exit status (128 + signal when
// killed, 137 past the time limit) and its standard output and error.
struct ToolResult {
    int status = -1;
    std::string output;
    bool ok() const { return status == 0; }
};
// Runs `command` with DISPLAY set to `display` (unset when empty).
ToolResult runTool(const std::vector<std::string>& command, const std::string& display = "",
                   double timeoutSeconds = 60.0);

// A private X server on a display number it picks itself (-displayfd), so
// tests never collide with other displays; it dies with the test process.
class XvfbDisplay {
public:
    XvfbDisplay(int width, int height);
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;
    const std::string& name() const { return name_; } // for DISPLAY, such as ":12"

private:
    pid_t pid_ = -1;
    std::string name_;
};

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};
// An 8-bit RGB picture, row 0 at the top.
struct Shot {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* at(int x, int y) const { return &rgb[(std::size_t(y) * width + x) * 3]; }
};
// Whatever ImageMagick reads, with the `convert` options in `filter` applied
// first (such as {"-filter", "Box", "-resize", "320x180!"}); alpha is dropped.
// Throws std::runtime_error when nothing comes back.
Shot loadShot(const std::string& path, const std::vector<std::string>& filter = {});
// The share of the pixels in `area` (default: all), 0..1, that differ in some
// channel by more than `tolerance`: 1 for pictures of different sizes.
double differingShare(const Shot& a, const Shot& b, int tolerance, Rect area = {});
std::size_t distinctColours(const Shot& shot);
// The part of a menu picture ("welcome", "win", ...) on a screen of this size
// that the game writes nothing over: the welcome picture's right half (the
// levels are listed in the left), the win picture's top three tenths (its
// headline; the run's time is written below), the others' top six tenths
// (the level played is named below their panel).
Rect picturesOwnPart(const std::string& picture, int width, int height);

class GameTest : public ::testing::Test {
protected:
    ~GameTest() override;
    void TearDown() override;

    // What start() and launch() run: QUARRYSTACK_GAME when set (the sanitizer
    // build, say), else the game built beside the tests; and where.
    std::string program;
    std::filesystem::path workingDirectory;  // empty: the data copy
    std::string standardInput = "/dev/null"; // the game's, such as a pseudo-terminal
    std::vector<std::string> arguments;      // the game's command line after its name
    // The test's own copy of Shader/, Textures/ and Data/ (made on first
    // use), or a file in it, to break before the game starts.
    std::filesystem::path data(const std::string& relative = "");

    // A display of this size and the game on it.
    void launch(int width = 320, int height = 180);
    // launch, then waits for the window, focuses it, and waits for a frame.
    void start(int width = 320, int height = 180);
    // start, Enter, F9 (the overlay off), and a moment for the player and the blocks to settle.
    void startPlaying(int width = 320, int height = 180);
    int screenWidth = 0, screenHeight = 0; // of the last launch

    std::string readAll(const std::string& file); // a file of the test's folder, as it is now
    std::string output() { return readAll("output.txt"); }
    std::string errors() { return readAll("errors.txt"); }
    std::size_t mark() { return output().size(); } // for the `from` arguments
    std::size_t count(const std::string& text, std::size_t from = 0);
    // These throw when the game ends or hangs before what they wait for.
    void waitFor(const std::string& text, std::size_t from = 0);
    void waitFrames(int frames);                        // more "frametime:" lines
    void waitGameTime(double seconds);                  // frames adding up to this much simulated time
    std::optional<int> waitExit(double seconds = 30.0); // the exit status (128 + signal)
    [[nodiscard]] ::testing::AssertionResult quit();

    // Keys as xdotool names them (Return, Escape, F3, Prior, w). The game
    // polls keys once a frame, so a press lasts frames, not milliseconds.
    // Several keys go down (or up) in one burst: xdotool's default 12 ms
    // between them would let a frame see only the first.
    void keyDown(const std::vector<std::string>& keys) { x("keydown", together(keys)); }
    void keyUp(const std::vector<std::string>& keys) { x("keyup", together(keys)); }
    void press(const std::string& key, int frames = 3); // down `frames` frames, then up 3
    void hold(const std::vector<std::string>& keys, double gameSeconds);
    // The pointer moves by (dx, dy) pixels (to a place, which no pointer
    // acceleration scales); a game frame reads it whenever one comes.
    void moveMouse(int dx, int dy);
    void click() { x("click", {"1"}); } // the left button, where the pointer is
    void pointAt(int px, int py) { x("mousemove", {std::to_string(px), std::to_string(py)}); } // on the screen

    // The screen once two more frames are drawn, kept as <name>.png.
    Shot screenshot(const std::string& name);
    std::string title() { return x("getwindowname", {window_}); }
    std::string windowGeometry() { return runTool({"xdotool", "getwindowgeometry", window_}, displayName()).output; }
    std::string windowProperty(const std::string& name)
    {
        return runTool({"xprop", "-id", window_, name}, displayName()).output;
    }
    void resizeWindow(int width, int height)
    {
        x("windowsize", {window_, std::to_string(width), std::to_string(height)});
    }
    std::string displayName() const { return display_ ? display_->name() : ""; }
    std::filesystem::path workDir() { return work_.path(); } // kept when a test fails

private:
    void waitUntil(const std::function<bool()>& done, const std::string& what);
    bool running();
    double gameTimeSince(std::size_t from);
    std::string x(const std::string& action, const std::vector<std::string>& arguments); // its first line
    static std::vector<std::string> together(std::vector<std::string> keys)
    {
        keys.insert(keys.begin(), {"--delay", "0"});
        return keys;
    }
    TempDir work_{"quarrystack-test"};
    std::unique_ptr<TempDir> data_;
    std::unique_ptr<XvfbDisplay> display_;
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string window_;
};
