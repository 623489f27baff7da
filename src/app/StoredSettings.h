#pragma once

#include "app/CommandLine.h"

#include <string>

// The settings the game keeps between runs, one "key = value" a line in
// settings.ini: sensitivity (0.05 to 20), volume (0 to 100 %), invert_look (yes or no),
// full_screen (yes or no), window (WxH), max_fps (0 to 1000), and the walking
// keys forward, left, back, right and jump (a letter, a digit or Space). Lines starting
// with '#' and blank lines are left alone.
struct StoredSettings {
    float sensitivity = 1.0f;
    bool invertLook = false;
    bool fullScreen = true;
    int volume = 100;
    input::WalkKeys walkKeys; // forward, left, back, right, jump: a letter, a digit or Space
    int windowWidth = 1280;
    int windowHeight = 720;
    int maxFps = defaultMaxFps;
};

// "$XDG_CONFIG_HOME/quarrystack/settings.ini", or under "$HOME/.config" when
// that is unset or not absolute; empty without either.
std::string settingsFilePath();

struct SettingsRead {
    StoredSettings settings;
    std::string warning; // one line about the first thing left out, or empty
};

// The file's settings over the defaults. A missing file holds nothing yet; a
// line that is no setting, or a value out of range, is left out, and the
// warning names the first.
SettingsRead readSettings(const std::string& path);

// Writes every setting to a new file beside `path` and renames it over the
// old one, so that a reader never sees half a file; makes the folder first.
// Empty, or the line that says why not.
std::string writeSettings(const std::string& path, const StoredSettings& settings);

// The options a run plays with: the command line's where it gives them (and
// QUARRYSTACK_SENSITIVITY before the file's sensitivity), the file's for the
// rest.
Options withStoredSettings(Options options, const StoredSettings& stored);
