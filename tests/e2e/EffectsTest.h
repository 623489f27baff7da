#pragma once

// The game in play on a 320 x 180 screen, driven frame by frame.
//
// Under llvmpipe on a busy machine a frame can take half a second, longer than
// any fixed key hold: a key pressed and released between two polls is never
// seen. So keys here are held until the game has begun enough frames to have
// polled them, counted by its "frametime:" lines, and screenshots wait for the
// frames that show the result.
//
// The view is the player's start: at (-7, 0.725, -10) looking along +z, with
// dynamicBlock1 straight ahead and the lift of the level to the right. The lift
// moves all the time, so whole-picture comparisons leave out the part of the
// screen that it and its shadow sweep.

#include "support/GameTest.h"

#include <string>
#include <vector>

class EffectsTest : public GameTest {
protected:
    static constexpr int screenWidth = 320;
    static constexpr int screenHeight = 180;
    // Where the lift and its shadow move in the start view (measured: the union
    // of changes over ten pictures a second apart lies in x 183..313, y 62..152).
    static constexpr Rect liftArea{180, 55, 140, 102};

    // startGame, then Enter; returns once the first game frame wrote "RELOAD"
    // and the level has had a few frames to settle.
    void startPlaying();

    // Returns once `frames` more frames have begun. Frame k writes its line
    // before it renders, so the line of frame k+1 means frame k is on screen.
    void waitFrames(int frames);

    // One press of a latched key: down until the game has certainly polled it
    // down and drawn a frame with the result, then up until it has certainly
    // polled it up (so the next press of the same key is a new press).
    void tap(const std::string& key);

    // Holds `keys` for at least `frames` frames (and at least keyHold), then
    // releases them and waits until the release has been polled.
    void holdFrames(const std::vector<std::string>& keys, int frames);

    // The screen once the frames after the last key have been drawn; kept as
    // <name>.png among the artifacts when the test fails.
    Image view(const std::string& name);

};

// A copy of `image` with `rect` painted black, so that comparisons skip it.
Image without(const Image& image, Rect rect);

// A yes/no per pixel, for counting pixels of one kind.
struct PixelMask {
    int width = 0;
    int height = 0;
    std::vector<char> set;

    bool at(int x, int y) const { return set[static_cast<std::size_t>(y) * width + x] != 0; }
    std::size_t count() const;
    double share() const; // of all pixels, 0..1
};

// Pixels whose brightest channel is at most `limit`.
PixelMask darkPixels(const Image& image, int limit);
// Pixels whose brightest channel is above `limit`.
PixelMask litPixels(const Image& image, int limit);
// Pixels whose darkest channel is at least `limit`: near white.
PixelMask palePixels(const Image& image, int limit);
// Pixels whose green channel exceeds both red and blue by more than `margin`.
PixelMask greenPixels(const Image& image, int margin);
// Pixels where some channel differs by more than `tolerance`.
PixelMask changedPixels(const Image& before, const Image& after, int tolerance);

// `mask` with `rect` cleared, or with everything but `rect` cleared.
PixelMask outside(PixelMask mask, const Rect& rect);
PixelMask inside(const PixelMask& mask, const Rect& rect);
// Pixels of `mask` with no pixel of `other` within `reach` (a square around them).
PixelMask awayFrom(const PixelMask& mask, const PixelMask& other, int reach);

// The share of set pixels that lie on thin strokes: each has an unset pixel
// within `reach` on both sides, horizontally or vertically. Lines up to about
// `reach` pixels wide give nearly 1, filled areas nearly 0.
double thinShare(const PixelMask& mask, int reach);

// Mean of the three channels, 0..255, over `rect` or the pixels set in `where`.
double brightness(const Image& image, const Rect& rect);
double brightness(const Image& image, const PixelMask& where);

// Mean difference in brightness between horizontally neighbouring pixels,
// over `rect` or the pixels set in `where` (each with its right-hand
// neighbour): texture and edges raise it, blur and clipping to white lower it.
double detail(const Image& image, const Rect& rect);
double detail(const Image& image, const PixelMask& where);

// The mean of the largest channel difference over the pixels set in `where`.
double meanDifference(const Image& a, const Image& b, const PixelMask& where);
