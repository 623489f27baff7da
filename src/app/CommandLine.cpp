#include "app/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {

enum class Value { None, Optional, Required };

// One option: how it is written, whether it takes a value, what --help says
// of it, and what it does to the options; the message of a bad value, or "".
struct OptionRow {
    const char* name;
    Value value;
    const char* synopsis;
    const char* help;
    std::string (*apply)(Options& options, const std::string& value);
};

const OptionRow optionTable[] = {
    {"--windowed", Value::Optional, "--windowed [WxH]",
     "play in a window of W x H pixels (1280x720) instead of full screen",
     [](Options& o, const std::string& size) -> std::string {
         o.windowed = true;
         if (size.empty())
             return {};
         if (!parseWindowSize(size, o.width, o.height))
             return "--windowed wants a size such as 1280x720, not \"" + size + "\"";
         o.windowSizeGiven = true;
         return {};
     }},
    {"--level", Value::Required, "--level FILE", "play this level file instead of Data/LevelFinal.dae",
     [](Options& o, const std::string& file) -> std::string {
         o.level = file;
         return {};
     }},
    {"--sensitivity", Value::Required, "--sensitivity X",
     "mouse look speed from 0.05 to 20, 1 by default (2 turns twice as fast)",
     [](Options& o, const std::string& text) -> std::string {
         o.sensitivity = parseSensitivity(text);
         if (!o.sensitivity)
             return "--sensitivity wants a number from 0.05 to 20, not \"" + text + "\"";
         return {};
     }},
    {"--max-fps", Value::Required, "--max-fps N",
     "at most N frames a second during play (144; 0: no cap); pictures at most 60",
     [](Options& o, const std::string& text) -> std::string {
         int maxFps = 0;
         if (!parseWholeNumber(text, 0, 1000, maxFps))
             return "--max-fps wants a whole number from 0 to 1000, not \"" + text + "\"";
         o.maxFps = maxFps;
         return {};
     }},
    {"--mute", Value::None, "--mute", "start with the sound off (M turns it on)",
     [](Options& o, const std::string&) -> std::string {
         o.muted = true;
         return {};
     }},
    {"--quiet", Value::None, "--quiet", "no line on the console for each frame or each contact with a block",
     [](Options& o, const std::string&) -> std::string {
         o.quiet = true;
         return {};
     }},
    {"--check-level", Value::Required, "--check-level FILE",
     "list every problem the game would find in a level file, then exit (0: playable)",
     [](Options& o, const std::string& file) -> std::string {
         o.action = std::max(o.action, Options::Action::CheckLevel);
         o.level = file;
         return {};
     }},
    {"--help", Value::None, "--help", "print this help and exit",
     [](Options& o, const std::string&) -> std::string {
         o.action = Options::Action::Help;
         return {};
     }},
    {"--version", Value::None, "--version", "print the version and exit",
     [](Options& o, const std::string&) -> std::string {
         o.action = std::max(o.action, Options::Action::Version);
         return {};
     }},
};

const char* const keysText = R"(Keys:
  Enter            play the level chosen; on the win picture: the next level
  Up/Down          choose a level on the welcome picture (a click plays one)
  Tab              the settings picture and back (Left/Right change)
  R                play again; while playing: reset the level
  Escape           quit
  W A S D, arrows  walk; the mouse looks around
  Space            jump
  Page Up/Down     look through the level's other cameras, and back
  F3 F4 F5 F6      wireframe, texture filter, mipmap filter, normal mapping
  F7 F8 F10 F12    bloom, frustum culling, shadows, physics debug lines (F12 or G)
  F9               the crosshair and the level's hint
  F11              full screen and back to the window
  U J H K L O      move the first light
  M                sound off and on
  P                pause, and play on (a click too)
A gamepad: left stick walks, right stick looks, south jumps (Enter on the
pictures), start pauses, back is Tab, the d-pad chooses.
)";

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    ParsedCommandLine parsed;
    for (size_t i = 0; i < arguments.size() && parsed.error.empty(); ++i) {
        const std::string& argument = arguments[i];
        const auto equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const OptionRow* row = nullptr;
        for (const OptionRow& candidate : optionTable)
            if (name == candidate.name)
                row = &candidate;
        if (!row) {
            parsed.error = argument.rfind("-", 0) == 0 ? "unknown option " + name : "unexpected argument " + argument;
            continue;
        }
        std::string value;
        if (equals != std::string::npos) {
            if (row->value == Value::None) {
                parsed.error = name + " takes no value";
                continue;
            }
            value = argument.substr(equals + 1);
            if (value.empty()) {
                parsed.error = name + " needs a value after '='";
                continue;
            }
        } else if (row->value == Value::Required) {
            if (i + 1 < arguments.size())
                value = arguments[++i];
            if (value.empty()) {
                parsed.error = name + " needs a value: " + row->synopsis;
                continue;
            }
        } else if (row->value == Value::Optional && i + 1 < arguments.size() && arguments[i + 1].rfind("-", 0) != 0) {
            value = arguments[++i];
        }
        parsed.error = row->apply(parsed.options, value);
    }
    return parsed;
}

std::optional<float> parseSensitivity(const std::string& text)
{
    char* end = nullptr;
    errno = 0;
    const float value = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !(value >= 0.05f && value <= 20.0f))
        return std::nullopt;
    return value;
}

std::string usageText()
{
    std::string text = "Usage: quarrystack [OPTION]...\n"
                       "A first-person game in a stone quarry. Without options it plays Data/LevelFinal.dae full "
                       "screen.\n\nOptions:\n";
    for (const OptionRow& row : optionTable) {
        const std::string synopsis = row.synopsis;
        text += "  " + synopsis + std::string(synopsis.size() < 20 ? 20 - synopsis.size() : 1, ' ') + row.help + "\n";
    }
    return text + "\n" + keysText;
}

std::string versionText() { return "quarrystack " QUARRYSTACK_VERSION; }

std::string enterDataFolder(Options& options)
{
    const char* dataFolder = std::getenv("QUARRYSTACK_DATA_DIR");
    if (!dataFolder || !*dataFolder)
        return {};
    // A level not found where the player is may be one of the game's own,
    // such as Data/LevelFinal.dae: that name is then read in the data folder.
    std::error_code error;
    if (!options.level.empty() && std::filesystem::exists(options.level, error)) {
        const std::filesystem::path level = std::filesystem::absolute(options.level, error);
        if (!error)
            options.level = level.lexically_normal().string();
    }
    if (chdir(dataFolder) != 0)
        return std::string("cannot enter the game's data folder ") + dataFolder + ": " + std::strerror(errno);
    return {};
}

std::optional<float> sensitivityFromEnvironment()
{
    const char* text = std::getenv("QUARRYSTACK_SENSITIVITY");
    return text ? std::optional<float>(parseSensitivity(text).value_or(1.0f)) : std::nullopt;
}

bool parseWholeNumber(const std::string& text, int low, int high, int& result)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 6)
        return false;
    const int value = std::atoi(text.c_str());
    if (value < low || value > high)
        return false;
    result = value;
    return true;
}

bool parseWindowSize(const std::string& text, int& width, int& height)
{
    const auto x = text.find('x');
    int w = 0, h = 0;
    if (x == std::string::npos || !parseWholeNumber(text.substr(0, x), 1, 16384, w) ||
        !parseWholeNumber(text.substr(x + 1), 1, 16384, h))
        return false;
    width = w, height = h;
    return true;
}
