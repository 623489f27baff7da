#pragma once

#include "core/Input.h"

#include <optional>
#include <string>
#include <vector>

// What the command line asks for. No options: the full-screen game on the
// shipped level.
struct Options {
    // In the order they win when several are given.
    enum class Action { Play, CheckLevel, Version, Help };
    Action action = Action::Play;
    bool windowed = false;
    int width = 1280; // of the window; full screen takes the monitor's size
    int height = 720;
    bool windowSizeGiven = false;     // --windowed=WxH, over the settings file's size
    std::string level;                // to play or to check; empty: the shipped level
    std::optional<float> sensitivity; // else QUARRYSTACK_SENSITIVITY, else 1
    bool muted = false;               // the sound starts off
    bool quiet = false;               // no frame and contact lines on the console
    std::optional<int> maxFps;        // frames a second at most during play (0: no cap), else defaultMaxFps
    bool invertLook = false;          // the mouse moved up looks down (from the settings file)
    float volume = 1.0f;              // of every sound, 0 to 1 (from the settings file)
    input::WalkKeys walkKeys;         // (from the settings file)

    std::string levelFile() const { return level.empty() ? "Data/LevelFinal.dae" : level; }
};

constexpr int defaultMaxFps = 144;

// The options, or a one-line message when the command line is unusable.
struct ParsedCommandLine {
    Options options;
    std::string error;
};

// `arguments` without the program's name. Options take their values as
// "--level FILE" or "--level=FILE"; --windowed takes a size as
// "--windowed=WxH" or "--windowed WxH". A later option overrides an earlier one; --help and
// --version win over the rest.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);

// A mouse-look speed as --sensitivity and QUARRYSTACK_SENSITIVITY take it: a
// number from 0.05 to 20 (what a mouse can use) with nothing around it;
// nothing otherwise.
std::optional<float> parseSensitivity(const std::string& text);
// A whole number from `low` to `high` with nothing around it, into `result`
// (left alone when the text is none).
bool parseWholeNumber(const std::string& text, int low, int high, int& result);
// A window size "WxH", each from 1 to 16384, into `width` and `height`.
bool parseWindowSize(const std::string& text, int& width, int& height);
// QUARRYSTACK_SENSITIVITY as parseSensitivity reads it, 1 when it holds
// anything else; nothing when it is unset.
std::optional<float> sensitivityFromEnvironment();

// The usage and the keys, as --help prints them.
std::string usageText();
std::string versionText();

// When QUARRYSTACK_DATA_DIR is set (the installed launcher sets it): a level
// named on the command line that exists where the player called the game is
// made absolute, then the working directory becomes that data folder.
// Returns an error message (with the system's reason), or an empty string.
std::string enterDataFolder(Options& options);
