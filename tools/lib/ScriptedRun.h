#pragma once

#include "app/Game.h"

#include <glm/glm.hpp>

#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

struct GLFWwindow;

// The pose at `eye` that looks at `target` (which must differ from `eye`).
CameraPose lookingAt(const glm::vec3& eye, const glm::vec3& target);

// The benchmark's camera path through the shipped level, `t` in [0, 1): a
// closed loop around the quarry floor that looks at the block, the ledge, the
// beacon and the crane on the way. Keeps clear of the win and lose objects.
CameraPose benchmarkPathPose(double t);

// Opens a normal window (not full screen) of exactly this size on the current
// display with the game's context, a 3.3 core profile, makes it current and
// loads the GL entry points as the game does. Returns nullptr and says why in
// `error` when any step fails; glfwInit must have succeeded.
GLFWwindow* openFixedSizeWindow(int width, int height, const char* title, bool visible, std::string& error);

// Runs the game's real frame path deterministically for tools and tests: the
// clock advances by a fixed step per frame, no key, mouse or focus change
// reaches the game, and the player's eye is wherever place() puts it
// (Game::placePlayer). Installs its own input backend for its lifetime.
class ScriptedRun {
public:
    static constexpr double defaultTimeStep = 1.0 / 60.0;

    explicit ScriptedRun(Game& game, double timeStep = defaultTimeStep);
    ~ScriptedRun();

    ScriptedRun(const ScriptedRun&) = delete;
    ScriptedRun& operator=(const ScriptedRun&) = delete;

    // One pass of the frame loop, the clock one step further. Returns what
    // Game::runFrame returns.
    bool frame();
    // The pose for the following frames, with the cursor at the window's
    // centre, so that the mouse look turns by nothing. On a reset frame the
    // player's start wins, as it does in play.
    void place(const CameraPose& pose);

    // The clock of the last frame, seconds.
    double clock() const { return now; }

private:
    class NoInput;

    Game& game;
    double step;
    double now = 0.0;
    std::unique_ptr<NoInput> input;
};

// A stream buffer for std::cout in tools that run the game's frames: drops
// the game's per-frame "frametime: " lines (formatted as in play, so their
// cost stays in the frame) and passes every other line on to `sink`.
class FrameTimeLineFilter : public std::streambuf {
public:
    explicit FrameTimeLineFilter(std::ostream& sink) : sink(sink) {}

protected:
    int overflow(int c) override;

private:
    std::ostream& sink;
    std::string line;
};
