#pragma once

#include "app/CommandLine.h"
#include "app/FrameCounter.h"
#include "app/MenuState.h"
#include "scene/ViewFrustum.h"

#include <GL/glew.h>

#include <array>
#include <memory>
#include <vector>

struct GLFWwindow;
class AssimpLoader;
class Bloom;
class CameraList;
class DebugLineRecorder;
class GameSounds;
struct KeyActions;
class Level;
struct Light;
class MenuScreen;
class PhysicsWorld;
class PlayerObject;
class Settings;
class Shader;
class ShadowMap;
class Sky;
class TextRenderer;
class Texture;

// The stretches of a game frame, in their order. Clear is everything from
// the frame's start to the game's own work (the menu keys and the clear);
// Update issues no GL work; the rest are GL passes.
enum class FramePhase { Clear, Update, Shadows, Scene, Bloom };

// Told at the end of each stretch of a game frame (menu frames have none),
// for a tool that times them. The game runs without one.
class FramePhaseObserver {
public:
    virtual void phaseEnded(FramePhase phase) = 0;

protected:
    ~FramePhaseObserver() = default;
};

// The process-wide objects of one run, built by setUpScene in a fixed order
// and released by tearDownScene, and the frame that ties them together.
class Game {
public:
    // `window` has a current OpenGL 3.3 core context of the given size.
    Game(GLFWwindow* window, int screenWidth, int screenHeight);
    ~Game();

    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    void setUpScene();
    void tearDownScene();

    // One pass of the frame loop with the clock reading `now` (seconds).
    // Returns false when the loop is to end (window closing or Escape down).
    bool runFrame(double now);
    // The scene pass: culling planes, the lit pass and the physics debug lines.
    void renderScene();
    // One game frame's update: the physics step of at most 30 sub-steps
    // (each after the level's step), the keys, the level's update and, with
    // shadows on, every light's shadow matrices.
    void updateGame(double frameTime);
    // `observer` (or nobody, when null) hears of every phase that ends from
    // the next frame on; it must outlive its watch.
    void setPhaseObserver(FramePhaseObserver* observer) { phaseObserver = observer; }

    // The two lights that set-up adds after the level file's own.
    static constexpr int builtInLightCount = 2;

    GLFWwindow* window;
    int screenWidth;
    int screenHeight;
    // The command line's, read by setUpScene. A window of the player's
    // choosing gets a projection of its own shape; full screen keeps 16:9
    // whatever the monitor's.
    Options options;

    std::unique_ptr<Shader> phongShader;
    std::unique_ptr<Shader> depthPrepassShader; // the lit vertex stage, no colour
    std::unique_ptr<Shader> lineShader;
    std::unique_ptr<Shader> shadowDebugShader; // never drawn with, but a game without its files does not start
    std::unique_ptr<Shader> shadowFirstPassShader;
    std::unique_ptr<Shader> shadowOmniShader;
    std::unique_ptr<Shader> bloomFirstPassShader;
    std::unique_ptr<Shader> bloomSecondPassShader;
    std::unique_ptr<Shader> textShader;
    std::unique_ptr<TextRenderer> textRenderer;
    std::unique_ptr<Shader> menuShader;
    std::unique_ptr<Shader> skyShader;
    std::unique_ptr<Sky> sky;
    std::unique_ptr<Bloom> bloomEffect;
    std::unique_ptr<ViewFrustum> viewFrustum;
    std::unique_ptr<DebugLineRecorder> debugDrawer;
    std::unique_ptr<PhysicsWorld> physics;
    std::array<std::unique_ptr<Texture>, 6> menuPictures;
    std::unique_ptr<MenuScreen> menuScreen;
    MenuState menu;
    std::unique_ptr<AssimpLoader> loader;
    std::unique_ptr<Level> level;
    PlayerObject* player = nullptr; // one of the level's objects
    CameraList* cameraList = nullptr; // the level's
    std::vector<std::unique_ptr<ShadowMap>> shadowMaps;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<GameSounds> sounds;
    bool levelResetDue = false; // set by each menu frame and by R, run by the next game frame
    GLint normalMappingLocation = -1;
    GLint shadowMappingLocation = -1;
    GLint viewMatrixLocation = -1;
    GLint projectionMatrixLocation = -1;
    GLint prepassModelLocation = -1;
    GLint prepassViewLocation = -1;
    GLint prepassProjectionLocation = -1;

    std::unique_ptr<FrameCounter> frameCounter;
    double lastFrameTime = 0.0;
    double frameTimeMs = 0.0;

private:
    void importLevel();
    void runMenuFrame();
    void runGameFrame(double frameDelta);
    void phaseEnded(FramePhase phase);
    // The level's update and what it found: a win before a game over.
    void updateLevel(double frameTime);
    void applyKeyActions(const KeyActions& actions, int steps);
    void renderShadowMaps();

    FramePhaseObserver* phaseObserver = nullptr;
};
