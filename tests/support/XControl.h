#pragma once

#include <string>
#include <vector>

// Drives one X display from outside, as a user would, through the xdotool and
// ImageMagick command-line tools. Keys go through XTEST to the focused window;
// key names are X keysyms as xdotool spells them: Return, Escape, F3, Prior
// (Page Up), Next (Page Down), space, w, ...
//
// Every call throws std::runtime_error (with the tool's own message) when the
// tool fails or runs past its time.
class XControl {
public:
    using WindowId = unsigned long;

    struct Geometry {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    explicit XControl(std::string display) : display_(std::move(display)) {}

    const std::string& display() const { return display_; }

    // Every visible window whose name matches the extended regular expression
    // `namePattern` now; empty when none does.
    std::vector<WindowId> windows(const std::string& namePattern) const;

    // Without a window manager nothing gives a window the input focus, and
    // the window library then ignores cursor placement; this gives it.
    void focus(WindowId window) const;
    std::string windowName(WindowId window) const;
    Geometry geometry(WindowId window) const;

    void keyDown(const std::vector<std::string>& keys) const;
    void keyUp(const std::vector<std::string>& keys) const;
    // Key down, held, key up. The game polls keys once a frame, and a tap
    // shorter than a frame can fall between two polls, hence the long hold.
    void press(const std::string& key, double holdSeconds = defaultHold) const;
    // All `keys` down together for `seconds`, then all up.
    void hold(const std::vector<std::string>& keys, double seconds) const;

    void moveMouse(int x, int y) const;
    void moveMouseRelative(int dx, int dy) const;

    // The whole screen as a PNG file.
    void screenshot(const std::string& pngPath) const;

    static constexpr double defaultHold = 0.15;
    double toolTimeout = 10.0; // seconds any single tool call may take

private:
    std::string run(const std::vector<std::string>& command, double timeoutSeconds) const;

    std::string display_;
};
