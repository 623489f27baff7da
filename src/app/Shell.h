#pragma once

#include "app/FrameCounter.h"
#include "app/GameSounds.h"
#include "app/MenuState.h"
#include "app/Settings.h"
#include "physics/PhysicsWorld.h"

struct GLFWwindow;

// What stands between the player and the world: which picture is up, the
// switches the keys flip, the sounds, and the frame rate in the title.
class Shell {
public:
    explicit Shell(bool muted);

    const MenuState& menu() const { return menuState; }
    MenuState& menu() { return menuState; }
    Settings& settings() { return switches; }
    const Settings& settings() const { return switches; }
    GameSounds& sounds() { return gameSounds; }

    // The frame's menu keys, with a click when they change the picture; returns them.
    MenuKeys readMenuKeys(GLFWwindow* window, std::optional<int> pointedLevel);
    // What the frame's contact checks found raises its picture: a win before a
    // game over, with the chime or the splash.
    void raisePicture(const PlayerContacts& contacts);
    // Counts the frame and puts the frame rate, the frame time and the
    // filters in the window's title.
    void showTitle(GLFWwindow* window, double frameTimeMs);
    double framesPerSecond() const { return frameCounter.fps(); }

private:
    GameSounds gameSounds;
    MenuState menuState;
    Settings switches;
    FrameCounter frameCounter;
};
