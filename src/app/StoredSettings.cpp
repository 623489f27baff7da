#include "app/StoredSettings.h"

#include "core/Platform.h"
#include "core/RegularFile.h"

#include <cctype>
#include <filesystem>
#include <sstream>

namespace {

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool readYesNo(const std::string& text, bool& into)
{
    if (text != "yes" && text != "no")
        return false;
    into = text == "yes";
    return true;
}

// A key as the file names it: a letter, a digit or Space.
bool readKey(const std::string& text, int& into)
{
    if (text == "Space" || (text.size() == 1 && std::isalnum(static_cast<unsigned char>(text[0])))) {
        into = text == "Space" ? ' ' : std::toupper(static_cast<unsigned char>(text[0]));
        return true;
    }
    return false;
}

std::string keyName(int key) { return key == ' ' ? "Space" : std::string(1, static_cast<char>(key)); }

// One "key = value" line into `settings`; false when it is none.
bool readLine(const std::string& line, StoredSettings& settings)
{
    const auto equals = line.find('=');
    if (equals == std::string::npos)
        return false;
    const std::string key = trimmed(line.substr(0, equals)), value = trimmed(line.substr(equals + 1));
    if (key == "sensitivity") {
        const std::optional<float> sensitivity = parseSensitivity(value);
        settings.sensitivity = sensitivity.value_or(settings.sensitivity);
        return sensitivity.has_value();
    }
    if (key == "invert_look")
        return readYesNo(value, settings.invertLook);
    if (key == "full_screen")
        return readYesNo(value, settings.fullScreen);
    if (key == "max_fps")
        return parseWholeNumber(value, 0, 1000, settings.maxFps);
    if (key == "volume")
        return parseWholeNumber(value, 0, 100, settings.volume);
    input::WalkKeys& walk = settings.walkKeys;
    for (const auto& [name, code] : {std::pair<const char*, int*>{"forward", &walk.forward},
                                     {"left", &walk.left},
                                     {"back", &walk.back},
                                     {"right", &walk.right},
                                     {"jump", &walk.jump}})
        if (key == name)
            return readKey(value, *code);
    return key == "window" && parseWindowSize(value, settings.windowWidth, settings.windowHeight);
}

} // namespace

std::string settingsFilePath() { return userFilePath("XDG_CONFIG_HOME", ".config", "quarrystack/settings.ini"); }

SettingsRead readSettings(const std::string& path)
{
    SettingsRead read;
    if (path.empty() || !std::filesystem::exists(std::filesystem::symlink_status(path)))
        return read;
    const FileBytes file = readRegularFile(path, 64 * 1024);
    if (file.fault != FileFault::None) {
        read.warning = "Settings: " + path + " " + describe(file.fault) + "; the game's own settings stand";
        return read;
    }
    std::istringstream lines(file.bytes);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        const std::string text = trimmed(line);
        if (!text.empty() && text[0] != '#' && !readLine(text, read.settings) && read.warning.empty())
            read.warning = "Settings: line " + std::to_string(number) + " of " + path +
                           " is no setting the game knows; it is left out";
    }
    return read;
}

std::string writeSettings(const std::string& path, const StoredSettings& s)
{
    std::ostringstream text;
    text << "# Quarrystack's settings; the command line wins over them.\n"
         << "sensitivity = " << s.sensitivity << "\ninvert_look = " << (s.invertLook ? "yes" : "no")
         << "\nfull_screen = " << (s.fullScreen ? "yes" : "no") << "\nvolume = " << s.volume
         << "\nwindow = " << s.windowWidth << "x" << s.windowHeight << "\nmax_fps = " << s.maxFps
         << "\nforward = " << keyName(s.walkKeys.forward) << "\nleft = " << keyName(s.walkKeys.left)
         << "\nback = " << keyName(s.walkKeys.back) << "\nright = " << keyName(s.walkKeys.right)
         << "\njump = " << keyName(s.walkKeys.jump) << "\n";
    const std::string why = replaceFile(path, text.str());
    return why.empty() ? why : "Settings: cannot write " + path + ": " + why;
}

Options withStoredSettings(Options options, const StoredSettings& stored)
{
    if (!options.sensitivity)
        options.sensitivity = sensitivityFromEnvironment().value_or(stored.sensitivity);
    options.invertLook = stored.invertLook;
    options.volume = static_cast<float>(stored.volume) / 100.0f;
    options.walkKeys = stored.walkKeys;
    if (!options.windowed && !stored.fullScreen)
        options.windowed = true, options.width = stored.windowWidth, options.height = stored.windowHeight;
    else if (options.windowed && !options.windowSizeGiven)
        options.width = stored.windowWidth, options.height = stored.windowHeight;
    if (!options.maxFps)
        options.maxFps = stored.maxFps;
    return options;
}
