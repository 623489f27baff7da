#include "support/XControl.h"

#include "support/GameProcess.h"

#include <chrono>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

std::vector<XControl::WindowId> parseWindowIds(const std::string& text)
{
    std::vector<XControl::WindowId> ids;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        if (!line.empty())
            ids.push_back(std::stoul(line));
    return ids;
}

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

std::string joined(const std::vector<std::string>& words)
{
    std::string all;
    for (const std::string& word : words)
        all += (all.empty() ? "" : " ") + word;
    return all;
}

} // namespace

std::string XControl::run(const std::vector<std::string>& command, double timeoutSeconds) const
{
    const ToolResult result = runTool(command, display_, timeoutSeconds);
    if (result.timedOut)
        throw std::runtime_error("XControl: '" + joined(command) + "' on " + display_ + " took longer than " +
                                 std::to_string(timeoutSeconds) + " s");
    if (!result.status.success())
        throw std::runtime_error("XControl: '" + joined(command) + "' on " + display_ + " failed (" +
                                 result.status.describe() + "): " + trimmed(result.errorOutput));
    return result.output;
}

std::vector<XControl::WindowId> XControl::windows(const std::string& namePattern) const
{
    // Without --sync xdotool exits 1 when nothing matches: not an error here.
    const ToolResult result =
        runTool({"xdotool", "search", "--onlyvisible", "--name", namePattern}, display_, toolTimeout);
    if (result.timedOut)
        throw std::runtime_error("XControl: window search on " + display_ + " took too long");
    if (!result.status.success() && !result.errorOutput.empty())
        throw std::runtime_error("XControl: window search on " + display_ + " failed: " +
                                 trimmed(result.errorOutput));
    return parseWindowIds(result.output);
}

void XControl::focus(WindowId window) const
{
    run({"xdotool", "windowfocus", "--sync", std::to_string(window)}, toolTimeout);
}

std::string XControl::windowName(WindowId window) const
{
    return trimmed(run({"xdotool", "getwindowname", std::to_string(window)}, toolTimeout));
}

XControl::Geometry XControl::geometry(WindowId window) const
{
    // --shell prints WINDOW=, X=, Y=, WIDTH=, HEIGHT=, SCREEN= lines.
    const std::string text = run({"xdotool", "getwindowgeometry", "--shell", std::to_string(window)}, toolTimeout);
    Geometry geometry;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals);
        const int value = std::stoi(line.substr(equals + 1));
        if (key == "X")
            geometry.x = value;
        else if (key == "Y")
            geometry.y = value;
        else if (key == "WIDTH")
            geometry.width = value;
        else if (key == "HEIGHT")
            geometry.height = value;
    }
    return geometry;
}

void XControl::keyDown(const std::vector<std::string>& keys) const
{
    std::vector<std::string> command{"xdotool", "keydown"};
    command.insert(command.end(), keys.begin(), keys.end());
    run(command, toolTimeout);
}

void XControl::keyUp(const std::vector<std::string>& keys) const
{
    std::vector<std::string> command{"xdotool", "keyup"};
    command.insert(command.end(), keys.begin(), keys.end());
    run(command, toolTimeout);
}

void XControl::press(const std::string& key, double holdSeconds) const
{
    hold({key}, holdSeconds);
}

void XControl::hold(const std::vector<std::string>& keys, double seconds) const
{
    keyDown(keys);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    keyUp(keys);
}

void XControl::moveMouse(int x, int y) const
{
    // No --sync: it waits for the pointer to rest at the target, and a game
    // that recentres the cursor every frame never lets it.
    run({"xdotool", "mousemove", std::to_string(x), std::to_string(y)}, toolTimeout);
}

void XControl::moveMouseRelative(int dx, int dy) const
{
    // "--" so that a negative step is not read as an option.
    run({"xdotool", "mousemove_relative", "--", std::to_string(dx), std::to_string(dy)}, toolTimeout);
}

void XControl::screenshot(const std::string& pngPath) const
{
    run({"import", "-display", display_, "-window", "root", "png24:" + pngPath}, toolTimeout);
}
