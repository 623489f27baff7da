#pragma once

#include "core/Result.h"
#include "import/LevelFile.h"
#include "physics/PhysicsWorld.h"
#include "render/VertexLayout.h"
#include "scene/Level.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct GLFWwindow;
class PlayerObject;

// What the game simulates: the physics world and the level in it, with the
// player, the level's steps at the physics rate and the level reset. It
// draws nothing.
class World {
public:
    // The lights the game adds after the level file's own: one high over the
    // quarry and the viewer's lamp, which follows the camera.
    static constexpr int builtInLightCount = 2;

    // Appends the built-in lights to `level`: first the one over the quarry
    // at (0, 54, 0) of power 150, then the lamp, power 2.
    static void addBuiltInLights(Level& level);

    // A new physics world with an empty level, to be filled object by object
    // (objects made over physics() join it through level().add).
    World();
    // `level`, whose objects' bodies are in `physics`.
    World(std::unique_ptr<PhysicsWorld> physics, std::unique_ptr<Level> level);

    // The level file's level in a new physics world, with the built-in
    // lights; its textures come from their texturePlaces. Mesh objects
    // get their vertex arrays after `layout`, the cameras the screen's size,
    // the player the window's keys and mouse. The failure is the game's
    // message for the first problem the level has.
    static Result<std::unique_ptr<World>> load(const std::string& levelFile, const VertexLayout& layout,
                                               GLFWwindow* window, int width, int height);

    PhysicsWorld& physics() { return *physicsWorld; }
    Level& level() { return *theLevel; }
    const Level& level() const { return *theLevel; }
    PlayerObject* player() const { return theLevel->player(); }
    // The level file's hint for the player (LevelFile::hint).
    const std::string& hint() const { return levelHint; }

    // Runs after the level's own step before every physics sub-step (the
    // sounds follow what each step did).
    void setStepListener(std::function<void(const Level&)> listener) { stepListener = std::move(listener); }
    // One frame of physics: whole sub-steps of 1/60 s, at most 30, each after
    // the level's step. Returns how many ran; what the player's contact
    // checks found in them is the player's `contacts`.
    int step(double frameTime);
    // Once a frame after the step: every object's update, the mouse look
    // and the camera on the player's body, the lamp behind the camera.
    void update();
    // Every object and light back at its place in the level, the animations
    // going on.
    void reset();
    // The animations back to their start, for runs that must not depend on
    // what came before.
    void restartAnimations();
    // The shadow matrices of every light, from where it is now.
    void updateShadowTransforms();
    // Every camera's projection takes this width over height.
    void fitCameras(float aspect);

private:
    // The level's objects hold plain pointers to their bodies, and nothing
    // reads a body while the world goes.
    std::unique_ptr<PhysicsWorld> physicsWorld;
    std::unique_ptr<Level> theLevel;
    std::function<void(const Level&)> stepListener;
    std::string levelHint;
};

// What the player reads of a level that cannot be played: the message line
// and its detail, by kind of problem.
Failure levelFailure(const LevelProblem& problem, const std::string& levelFile);
