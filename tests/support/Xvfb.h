#pragma once

#include <string>
#include <sys/types.h>

// A private X server (Xvfb) on a free display number that the server picks
// itself (-displayfd), so tests never collide with other displays.
class XvfbDisplay {
public:
    XvfbDisplay(int width, int height);
    ~XvfbDisplay();

    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    const std::string& name() const { return name_; } // for DISPLAY, such as ":12"
    int width() const { return width_; }
    int height() const { return height_; }

private:
    pid_t pid_ = -1;
    std::string name_;
    int width_;
    int height_;
};
