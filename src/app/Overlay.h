#pragma once

#include <string>

// What the overlay shows over play: a small crosshair, and the level's one-line
// hint for the first seconds of each start, fading out.
class Overlay {
public:
    static constexpr double hintSeconds = 4.0; // at full strength
    static constexpr double fadeSeconds = 1.0; // then down to nothing

    explicit Overlay(std::string hint = {}) : levelHint(std::move(hint)) {}

    const std::string& hint() const { return levelHint; }
    // A start of the level (the hint shows again), and each frame of play.
    void restart() { played = 0.0; }
    void play(double seconds) { played += seconds; }
    // 1 while the hint shows, falling to 0 as it fades.
    float hintStrength() const;

private:
    std::string levelHint;
    double played = 0.0;
};
