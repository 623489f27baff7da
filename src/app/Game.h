#pragma once

#include "app/CommandLine.h"
#include "app/MenuState.h"
#include "app/Overlay.h"
#include "app/PictureText.h"
#include "app/Progress.h"
#include "app/SettingsMenu.h"
#include "core/Extent.h"
#include "core/Result.h"

#include <glm/glm.hpp>

#include <functional>
#include <memory>

struct GLFWwindow;
class Bloom;
struct KeyActions;
class LitPass;
class Renderer;
class Shell;
class World;

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

// The switches a tool may set, as the function keys would.
enum class Effect { NormalMapping, Wireframe, Bloom, Shadows, FrustumCulling, DebugLines };

// Where the player's eye stands and where it looks: the camera's yaw (0 looks
// along +z, positive turns towards +x) and pitch (positive looks up, within
// -1 and 1 like the mouse look).
struct CameraPose {
    glm::vec3 eye{0.0f};
    float horizontalAngle = 0.0f;
    float verticalAngle = 0.0f;
};

// What a tool may read of the running game.
struct FrameStats {
    MenuState::Screen screen = MenuState::Screen::Welcome;
    double clock = 0.0;       // the last frame's clock reading, seconds
    double frameTimeMs = 0.0; // the last frame's time
    double framesPerSecond = 0.0;
    glm::vec3 playerPosition{0.0f}; // the player's body
    int width = 0;                  // of the screen
    int height = 0;
};

// One run of the game: the renderer, the world and the shell around it, and
// the frame that ties them together in a fixed order.
class Game {
public:
    // Everything the game needs, in the game's fixed order: the sounds, every
    // program and picture (Renderer::load), then the level of `options`
    // (World::load). `window` has a current OpenGL 3.3 core context of the
    // given size. The failure is that of the first part that cannot be had.
    static Result<std::unique_ptr<Game>> load(GLFWwindow* window, int screenWidth, int screenHeight,
                                              const Options& options);
    // The parts go in reverse order of their making, the world's bodies
    // before the renderer's programs, all while the context still exists.
    ~Game();

    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // One pass of the frame loop with the clock reading `now` (seconds).
    // Returns false when the loop is to end (window closing or Escape down).
    bool runFrame(double now);
    // The frames a second the next frame may come at, at most (0: any).
    int frameCap() const;
    // Where the player's progress through the levels is kept; without it
    // (the tools) the progress of the run is kept nowhere. The welcome
    // picture offers the levels reached, the furthest chosen.
    void keepProgress(ProgressBook book);
    // The settings kept between runs, as read at the start, and how to keep
    // them: F11 and the settings picture change them and call `save`.
    void keepSettings(StoredSettings settings, std::function<void(const StoredSettings&)> save);

    // The tools' interface: the scripted runs of the golden views and the
    // benchmark, and the soak. Play goes on through runFrame as ever.

    // Leaves the welcome picture as Enter does; the next frame is a game frame.
    void startPlay();
    // The level reset that follows a menu picture, on the next game frame,
    // with the animations from their start: what follows does not depend on
    // what came before.
    void restartLevel();
    // Puts the player's eye at `pose` for the following frames: its body
    // becomes a kinematic ghost that stays where it is put, and everything
    // derived from the player (camera, lamp, contact check) follows it.
    void placePlayer(const CameraPose& pose);
    // Where the player's eye starts, looking along +z.
    CameraPose playerStart() const;
    void setEffect(Effect effect, bool on);
    // `observer` (or nobody, when null) hears of every phase that ends from
    // the next frame on; it must outlive its watch.
    void setPhaseObserver(FramePhaseObserver* observer) { phaseObserver = observer; }
    FrameStats stats() const;
    // The passes of the last game frame again, one at a time, for timing:
    // the scene pass (with `litPass` in place of the game's, when given) and
    // the bloom after it.
    void renderScenePass(LitPass* litPass = nullptr);
    void renderBloomPass();
    const Bloom& bloom() const;

private:
    Game(GLFWwindow* window, int width, int height, const Options& options, std::unique_ptr<Shell> shell,
         std::unique_ptr<Renderer> renderer, std::unique_ptr<World> world);

    // Follows a window the desktop made bigger or smaller.
    void fitToWindow();
    // Full screen on the primary monitor, or back to a window of the size asked for.
    void toggleFullScreen();
    void runMenuFrame();
    // The settings picture's keys: up and down choose a row, left and right
    // change it, at once in play and in the settings file.
    void changeSettings(const MenuKeys& keys);
    // The words over the picture that is up.
    std::vector<TextLine> pictureText() const;
    // The world of the chain's level `index` in place of the one played,
    // or, when it cannot be had, its message and the welcome picture.
    void playLevel(int index);
    // The player's mouse speed, invert look and walking keys from the options.
    void applyPlayerOptions();
    // Wires a new world into the game: the sounds, the debug lines, the
    // cameras' shape and the player's settings.
    void adoptWorld(std::unique_ptr<World> newWorld);
    // The win of the level played: its time, kept when the level is in the chain.
    void finishRun();
    // The welcome picture's level under the pointer, if any.
    std::optional<int> pointedLevel() const;
    // Frees the pointer from the window (a picture is up) or takes it back for the mouse look.
    void freePointer(bool free);
    void runGameFrame(double frameDelta);
    void phaseEnded(FramePhase phase);
    // One game frame's update: the physics step of at most 30 sub-steps
    // (each after the level's step), the keys, the level's update and, with
    // shadows on, every light's shadow matrices.
    void updateGame(double frameTime);
    // The level's update and what it found: a win before a game over.
    void updateLevel();
    void applyKeyActions(const KeyActions& actions, int steps);
    void renderGameScene(LitPass* litPass);

    GLFWwindow* window;
    int width;
    int height;
    Options options;
    // Declared in the order they are made; they go in reverse.
    std::unique_ptr<Shell> shell;
    std::unique_ptr<Renderer> renderer;
    std::unique_ptr<World> world;
    bool levelResetDue = false; // set by each menu frame and by R, run by the next game frame
    bool resized = false;       // the window's framebuffer changed size since the last frame
    bool pointerFree = false;   // shown and left where the player moves it
    Overlay overlay;
    ProgressBook progressBook;
    bool inChain;        // the levels of the chain, not one named on the command line
    int levelPlayed = 0; // the chain's level in the world
    bool levelJustLoaded = false;
    double runSeconds = 0; // of physics since the level's last start
    struct {
        double seconds = 0.0;
        std::optional<double> previousBest;
    } lastWin;
    StoredSettings stored;
    std::function<void(const StoredSettings&)> saveSettings;
    SettingsMenu settingsMenu;
    Extent lightBounds; // the light keys keep the first light inside the level
    double lastFrameTime = 0.0;
    double frameTimeMs = 0.0;
    FramePhaseObserver* phaseObserver = nullptr;
};
