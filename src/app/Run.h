#pragma once

#include <string>

struct Options;

// What main runs, once the command line is read.

// Start-up, the frame loop and teardown: the whole game. Returns the exit code.
int runGame(const Options& options);

// Runs every check the game makes of a level at start, without a window,
// and prints each problem, then "ok" or their count. Returns the exit code:
// 0 when the level can be played, else 1.
int runLevelCheck(const std::string& levelFile);
