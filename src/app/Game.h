#pragma once

#include "app/FrameCounter.h"
#include "scene/ViewFrustum.h"

#include <GL/glew.h>

#include <array>
#include <memory>
#include <vector>

struct GLFWwindow;
class AssimpLoader;
class Bloom;
class BulletDebug;
class BulletDemo;
class Level;
class MenuScreen;
class PlayerObject;
class Settings;
class Shader;
class ShadowMap;
class TextRenderer;
class Texture;
class CameraList;
struct Light;

// How long the phases of one game frame took, in milliseconds, for the
// benchmark. The update issues no GL work; each GL phase is closed by
// glFinish, so it holds the work the driver did for it and nothing earlier.
// Each phase has its wall-clock time and the CPU time of the whole process
// in it (with a software rasteriser, its threads' work; on a shared machine
// the steadier of the two).
struct FrameTimings {
    struct Phase {
        double wallMs = 0.0;
        double cpuMs = 0.0;
    };
    bool gameFrame = false; // false after a menu frame, which has none of these phases
    Phase update;           // the reset, if one is due, and updateGame: physics, keys, level
    Phase shadows;          // the shadow maps
    Phase scene;            // the scene target and the scene pass
    Phase bloom;            // the bloom passes
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

    // The two lights that set-up adds after the level file's own.
    static constexpr int builtInLightCount = 2;

    GLFWwindow* window;
    int screenWidth;
    int screenHeight;

    std::unique_ptr<Shader> phongShader;
    std::unique_ptr<Shader> lineShader;
    std::unique_ptr<Shader> shadowDebugShader;
    std::unique_ptr<Shader> shadowFirstPassShader;
    std::unique_ptr<Shader> shadowOmniShader;
    std::unique_ptr<Shader> bloomFirstPassShader;
    std::unique_ptr<Shader> bloomSecondPassShader;
    std::unique_ptr<Shader> textShader;
    std::unique_ptr<TextRenderer> textRenderer;
    std::unique_ptr<Shader> menuShader;
    std::unique_ptr<Bloom> bloomEffect;
    std::unique_ptr<ViewFrustum> viewFrustum;
    std::unique_ptr<BulletDebug> debugDrawer;
    std::unique_ptr<BulletDemo> physics;
    std::array<std::unique_ptr<Texture>, 6> menuPictures;
    std::unique_ptr<MenuScreen> menuScreen;
    std::unique_ptr<AssimpLoader> loader;
    std::unique_ptr<Level> level;
    PlayerObject* player = nullptr; // one of the level's objects
    CameraList* cameraList = nullptr; // the level's
    std::vector<std::unique_ptr<ShadowMap>> shadowMaps;
    std::unique_ptr<Settings> settings;
    GLint normalMappingLocation = -1;
    GLint shadowMappingLocation = -1;
    GLint viewMatrixLocation = -1;
    GLint projectionMatrixLocation = -1;

    std::unique_ptr<FrameCounter> frameCounter;
    double lastFrameTime = 0.0;
    double frameTimeMs = 0.0;

    // Filled by every frame while set; the game leaves it unset, which keeps
    // glFinish out of its frames.
    FrameTimings* timings = nullptr;

private:
    void importLevel();
    void runMenuFrame();
    void runGameFrame(double frameDelta);
};

// Start-up, the frame loop and teardown: the whole program. Returns the exit code.
int runGame();
