#pragma once

// What the end-to-end tests of the game share beyond the harness: the menu
// pictures as the game puts them on the screen, and key holds measured on the
// game's own clock.
//
// A key held for a wall-clock time moves the player a distance that depends
// on the frame rate: a frame longer than seven physics steps (7/60 s) loses
// the rest of its time, and the llvmpipe frame rate swings with whatever else
// runs on the machine. holdFor() therefore keeps the keys down until the
// game's "frametime:" lines add up to the wanted simulated time.

#include "support/GameTest.h"

#include <cstddef>
#include <string>
#include <vector>

// The picture Textures/menu/<file> as the menu quad shows it on a
// width × height screen: a mipmapped texture whose levels are 2 × 2 box
// averages, sampled trilinearly at the pixel centres with GL_REPEAT.
Image menuPictureOnScreen(const std::string& file, int width, int height);

// The frame times in milliseconds of the complete "frametime: <t>ms" lines in
// `output` at or after byte offset `from`.
std::vector<double> frameTimes(const std::string& output, std::size_t from = 0);

// The simulated time that frames of these lengths (milliseconds) advance the
// physics world: each frame at most seven steps of 1/60 s.
double simulatedSeconds(const std::vector<double>& frameTimesMs);

// The window title's format while the game runs, with the default filters.
::testing::AssertionResult hasTitleFormat(const std::string& title);

class PlayTest : public GameTest {
protected:
    // Keys are read once a frame, and a frame on a busy machine can take
    // most of a second: a shorter tap may fall between two reads.
    PlayTest();

    // startGame, then waits until the game draws frames (the first menu
    // frames are slow while llvmpipe compiles the menu program).
    void startAndSettle(int width = 320, int height = 180);

    // Enter on the welcome picture; waits for "RELOAD" and then for half a
    // second of play, in which the player and the blocks come to rest.
    void enterPlay();

    // Waits until the game has simulated `seconds` of play (or, in menu
    // frames, let that much time pass).
    void waitGameTime(double seconds);

    // Holds `keys` down until the game has simulated `seconds` with them held.
    void holdFor(const std::vector<std::string>& keys, double seconds);

    // The mean length of the frames drawn since `mark`, in milliseconds.
    double meanFrameMs(std::size_t mark);

    // True when `shot` shows Textures/menu/<file> as the game draws it.
    ::testing::AssertionResult showsPicture(const Image& shot, const std::string& file);

    // A screenshot that shows `file`, waiting up to `timeoutSeconds` for it.
    ::testing::AssertionResult waitForPicture(const std::string& file, double timeoutSeconds = 10.0);

    // The 16:9 or 4:3 file name of a menu picture ("welcome", "win",
    // "gameOver") for the current screen.
    std::string pictureFile(const std::string& picture);
};
