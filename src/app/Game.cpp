#include "app/Game.h"

#include "app/CommandLine.h"
#include "app/FrameLimiter.h"
#include "app/KeyActions.h"
#include "app/Renderer.h"
#include "app/Run.h"
#include "app/Shell.h"
#include "app/Startup.h"
#include "app/StoredSettings.h"
#include "app/World.h"
#include "core/Input.h"
#include "core/Platform.h"
#include "import/LevelFile.h"
#include "physics/RigidBody.h"
#include "scene/Camera.h"
#include "scene/Level.h"
#include "scene/Light.h"
#include "scene/PlayerObject.h"

#include <GLFW/glfw3.h>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>
#include <utility>

namespace {

MenuScreen::Picture pictureOf(MenuState::Screen screen)
{
    switch (screen) {
    case MenuState::Screen::GameOver:
        return MenuScreen::Picture::GameOver;
    case MenuState::Screen::Win:
        return MenuScreen::Picture::Win;
    case MenuState::Screen::Paused:
        return MenuScreen::Picture::Pause;
    case MenuState::Screen::Settings:
        return MenuScreen::Picture::Settings;
    default:
        return MenuScreen::Picture::Welcome;
    }
}

} // namespace

Result<std::unique_ptr<Game>> Game::load(GLFWwindow* window, int width, int height, const Options& options)
{
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glfwSetWindowTitle(window, "Quarrystack");

    auto shell = std::make_unique<Shell>(options.muted);
    Result<std::unique_ptr<Renderer>> renderer = Renderer::load("", width, height);
    if (!renderer)
        return renderer.failure();
    Result<std::unique_ptr<World>> world =
        World::load(options.levelFile(), renderer.value()->vertexLayout(), window, width, height);
    if (!world)
        return world.failure();
    return std::unique_ptr<Game>(new Game(window, width, height, options, std::move(shell), std::move(renderer.value()),
                                          std::move(world.value())));
}

Game::Game(GLFWwindow* window, int width, int height, const Options& options, std::unique_ptr<Shell> shellPart,
           std::unique_ptr<Renderer> rendererPart, std::unique_ptr<World> worldPart)
    : window(window), width(width), height(height), options(options), shell(std::move(shellPart)),
      renderer(std::move(rendererPart)), inChain(options.level.empty())
{
    adoptWorld(std::move(worldPart));
    shell->sounds().setVolume(options.volume);
    shell->menu().offerLevels(inChain ? static_cast<int>(levelChain().size()) : 1, 1);
    // A desktop may resize the window whatever it asked for (tiling managers do).
    glfwSetWindowUserPointer(window, this);
    const auto noteResize = [](GLFWwindow* resizedWindow, int, int) {
        static_cast<Game*>(glfwGetWindowUserPointer(resizedWindow))->resized = true;
    };
    glfwSetFramebufferSizeCallback(window, noteResize);
#ifdef __EMSCRIPTEN__
    glfwSetWindowSizeCallback(window, noteResize); // the page resizes the canvas
#endif
    // A tap that starts and ends between two frames is seen by no key read.
    glfwSetKeyCallback(window, [](GLFWwindow*, int key, int, int action, int) {
        if (action == GLFW_PRESS)
            input::notePress(key);
    });
    glfwSetMouseButtonCallback(window, [](GLFWwindow*, int button, int action, int) {
        if (button == GLFW_MOUSE_BUTTON_LEFT && action == GLFW_PRESS)
            input::notePress(input::leftClick);
    });
    // A player who turns to another window finds the game paused on return.
    glfwSetWindowFocusCallback(window, [](GLFWwindow* unfocused, int focused) {
        if (!focused)
            static_cast<Game*>(glfwGetWindowUserPointer(unfocused))->shell->menu().pause();
    });
}

void Game::adoptWorld(std::unique_ptr<World> newWorld)
{
    // The sounds let go of the old world's objects before it goes.
    shell->sounds().follow(newWorld->level());
    world = std::move(newWorld);
    // A window of the player's choosing gets a projection of its own shape.
    if (options.windowed)
        world->fitCameras(static_cast<float>(width) / static_cast<float>(height));
    applyPlayerOptions();
    // The sounds follow what each physics step reports.
    world->setStepListener([this](const Level& level) { shell->sounds().step(level); });
    world->physics().setDebugDrawer(&renderer->debugLines());
    world->physics().setContactLines(!options.quiet);
    lightBounds = world->level().extent();
    overlay = Overlay(world->hint());
    levelResetDue = true;
}

void Game::applyPlayerOptions()
{
    PlayerObject& player = *world->player();
    player.mouseSensitivity = options.sensitivity.value_or(sensitivityFromEnvironment().value_or(1.0f));
    player.invertLook = options.invertLook;
    player.keys = options.walkKeys;
}

void Game::keepProgress(ProgressBook book)
{
    progressBook = std::move(book);
    if (!inChain)
        return;
    const int reached = progressBook.progress().reached;
    shell->menu().offerLevels(static_cast<int>(levelChain().size()), reached);
    shell->menu().choose(reached - 1);
}

void Game::playLevel(int index)
{
    const std::string file = levelChain()[static_cast<size_t>(index)].file;
    Result<std::unique_ptr<World>> loaded = World::load(file, renderer->vertexLayout(), window, width, height);
    if (!loaded) {
        std::cout << printable(loaded.failure().message) << std::endl;
        std::cerr << printable(loaded.failure().detail) << std::endl;
        shell->menu().showWelcome();
        return;
    }
    adoptWorld(std::move(loaded.value()));
    levelPlayed = index;
    levelJustLoaded = true;
}

void Game::finishRun()
{
    lastWin.seconds = runSeconds;
    lastWin.previousBest = inChain ? progressBook.recordWin(levelPlayed, runSeconds) : std::nullopt;
    if (inChain)
        shell->menu().offerLevels(static_cast<int>(levelChain().size()), progressBook.progress().reached);
}

Game::~Game()
{
    glfwSetFramebufferSizeCallback(window, nullptr);
#ifdef __EMSCRIPTEN__
    glfwSetWindowSizeCallback(window, nullptr);
#endif
    glfwSetWindowFocusCallback(window, nullptr);
    glfwSetWindowUserPointer(window, nullptr);
}

void Game::fitToWindow()
{
    resized = false;
    int newWidth = 0, newHeight = 0;
    glfwGetFramebufferSize(window, &newWidth, &newHeight);
    if (newWidth <= 0 || newHeight <= 0) // minimised
        return;
    width = newWidth;
    height = newHeight;
    renderer->resize(width, height);
    // As at the start: a window's shape in a window, 16:9 on the full screen.
    world->fitCameras(options.windowed ? static_cast<float>(width) / static_cast<float>(height)
                                       : Camera::wideAspectRatio);
}

bool Game::runFrame(double now)
{
    if (glfwWindowShouldClose(window))
        return false;

    if (resized)
        fitToWindow();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);

    // The frame after a level was loaded does not run the loading's time.
    const double frameDelta = std::exchange(levelJustLoaded, false) ? 0.0 : now - lastFrameTime;
    lastFrameTime = now;
    frameTimeMs = frameDelta * 1000.0;
    if (!options.quiet)
        std::cout << "frametime: " << frameTimeMs << "ms" << std::endl;

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    input::readGamepad(options.walkKeys, frameDelta);
    const MenuKeys keys = shell->readMenuKeys(window, pointedLevel());
    if (shell->menu().screen() == MenuState::Screen::Settings)
        changeSettings(keys);
    if (inChain && !shell->menu().showing() && shell->menu().level() != levelPlayed)
        playLevel(shell->menu().level());
    freePointer(shell->menu().showing());
    if (shell->menu().showing())
        runMenuFrame();
    else
        runGameFrame(frameDelta);

    shell->showTitle(window, frameTimeMs);
    glfwSwapBuffers(window);
    glfwPollEvents();
    return !input::takePress(GLFW_KEY_ESCAPE) && input::getKey(window, GLFW_KEY_ESCAPE) == GLFW_RELEASE;
}

void Game::runMenuFrame()
{
    gl::setWireframe(false);
    // The cursor drifts while a picture shows, the stick turns nothing, and a
    // space pressed here is no jump.
    world->player()->firstMouse = true;
    double padX = 0.0, padY = 0.0;
    input::takePadLook(padX, padY);
    input::clearPresses();
    shell->sounds().hush();
    renderer->drawPicture(pictureOf(shell->menu().screen()));
    renderer->drawText(pictureText());
    // Play goes on from the pause picture as it was; after the others it starts anew.
    if (shell->menu().screen() != MenuState::Screen::Paused) {
        shell->settings().wireframe = false;
        levelResetDue = true;
    }
}

std::vector<TextLine> Game::pictureText() const
{
    const MenuState& menu = shell->menu();
    const bool fourByThree = isFourByThree(width, height);
    const auto titleOf = [this](int index) {
        return inChain ? std::string(levelChain()[static_cast<size_t>(index)].title)
                       : std::filesystem::path(options.level).stem().string();
    };
    if (menu.screen() == MenuState::Screen::Welcome) {
        std::vector<LevelEntry> levels;
        for (int i = 0; i < menu.levelCount(); ++i)
            levels.push_back({titleOf(i), inChain ? progressBook.progress().best(i) : std::nullopt});
        return levelListText(levels, menu, fourByThree);
    }
    if (menu.screen() == MenuState::Screen::Settings)
        return settingsMenu.text(stored);
    if (menu.screen() == MenuState::Screen::Win) {
        const bool next = menu.level() + 1 < menu.openLevels();
        return winText(titleOf(levelPlayed), lastWin.seconds, lastWin.previousBest,
                       next ? titleOf(menu.level() + 1) : "", inChain && levelPlayed + 1 == menu.levelCount());
    }
    return {
        levelLine(titleOf(levelPlayed), inChain ? std::optional<int>(levelPlayed) : std::nullopt, menu.levelCount())};
}

std::optional<int> Game::pointedLevel() const
{
    if (shell->menu().screen() != MenuState::Screen::Welcome)
        return std::nullopt;
    int windowWidth = 0, windowHeight = 0;
    glfwGetWindowSize(window, &windowWidth, &windowHeight);
    if (windowWidth <= 0 || windowHeight <= 0)
        return std::nullopt;
    double x = 0.0, y = 0.0;
    input::getCursorPos(window, &x, &y);
    const glm::vec2 units(float(x / windowWidth * 1920.0), float((1.0 - y / windowHeight) * 1080.0));
    return levelListRowAt(units, shell->menu().levelCount(), isFourByThree(width, height));
}

void Game::freePointer(bool free)
{
    if (free == pointerFree)
        return;
    pointerFree = free;
    input::capturePointer(window, !free);
}

void Game::runGameFrame(double frameDelta)
{
    phaseEnded(FramePhase::Clear);
    const bool resetNow = levelResetDue;
    if (resetNow) {
        std::cout << "RELOAD" << std::endl;
        world->reset();
        updateLevel();
        overlay.restart();
        runSeconds = 0.0;
    }
    overlay.play(frameDelta);
    updateGame(frameDelta);
    // Cleared only now: the R that left the game-over picture is still down
    // in this frame's keys, and the level has been reset already.
    if (resetNow)
        levelResetDue = false;
    if (shell->menu().screen() == MenuState::Screen::Win)
        finishRun();
    // A key pressed in play means nothing to the picture it ended in.
    if (shell->menu().showing())
        input::clearPresses();
    phaseEnded(FramePhase::Update);

    const Settings& settings = shell->settings();
    if (settings.shadowMapping)
        renderer->renderShadows(world->level(), settings.wireframe);
    phaseEnded(FramePhase::Shadows);

    if (settings.effectiveTextureFilter() != world->level().textureFilter())
        world->level().setTextureFilter(settings.effectiveTextureFilter());
    renderGameScene(nullptr);
    phaseEnded(FramePhase::Scene);
    if (settings.bloom && !settings.wireframe)
        renderer->renderBloom();
    if (settings.overlay)
        renderer->drawOverlay(overlay);
    phaseEnded(FramePhase::Bloom);
}

void Game::phaseEnded(FramePhase phase)
{
    if (phaseObserver)
        phaseObserver->phaseEnded(phase);
}

void Game::updateGame(double frameTime)
{
    const int steps = world->step(frameTime);
    runSeconds += steps * double(PhysicsWorld::fixedTimeStep);
    applyKeyActions(shell->settings().handleKeys(window), steps);
    updateLevel();
    if (shell->settings().shadowMapping)
        world->updateShadowTransforms();
}

void Game::updateLevel()
{
    world->update();
    const PlayerObject& player = *world->player();
    shell->sounds().listen(*player.camera);
    shell->raisePicture(player.contacts);
}

// The light keys move by their step once per physics sub-step, so a light
// moves as fast at any frame rate.
void Game::applyKeyActions(const KeyActions& actions, int steps)
{
    const std::vector<Light*> lights = world->level().getLights();
    ::applyKeyActions(actions, &renderer->debugLines(), world->level().getCameras(),
                      lights.empty() ? nullptr : lights.front(), lightBounds, steps);
    if (actions.reload)
        levelResetDue = true;
    if (actions.toggleMute)
        shell->sounds().toggleMute();
    if (actions.toggleFullScreen) {
        toggleFullScreen();
        stored.fullScreen = !options.windowed;
        if (saveSettings)
            saveSettings(stored);
    }
}

void Game::keepSettings(StoredSettings settings, std::function<void(const StoredSettings&)> save)
{
    stored = settings;
    stored.fullScreen = !options.windowed; // as it is, whatever asked for it
    saveSettings = std::move(save);
}

void Game::changeSettings(const MenuKeys& keys)
{
    settingsMenu.move(int(keys.down) - int(keys.up));
    if (keys.left == keys.right || !settingsMenu.change(stored, keys.right ? 1 : -1))
        return;
    options.sensitivity = stored.sensitivity;
    options.invertLook = stored.invertLook;
    applyPlayerOptions();
    options.volume = static_cast<float>(stored.volume) / 100.0f;
    shell->sounds().setVolume(options.volume);
    options.maxFps = stored.maxFps;
    if (stored.fullScreen == options.windowed)
        toggleFullScreen();
    if (saveSettings)
        saveSettings(stored);
}

void Game::toggleFullScreen()
{
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (!mode)
        return;
    options.windowed = !options.windowed;
    if (options.windowed)
        glfwSetWindowMonitor(window, nullptr, std::max(0, (mode->width - options.width) / 2),
                             std::max(0, (mode->height - options.height) / 2), options.width, options.height,
                             GLFW_DONT_CARE);
    else
        glfwSetWindowMonitor(window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
    resized = true; // the size callback may not come when the size stays
}

// Page Up and Page Down look through the level's other cameras, which stay
// where the level put them; position 0 is the player's own.
void Game::renderGameScene(LitPass* litPass)
{
    const CameraList& cameras = *world->level().getCameras();
    const int selected = cameras.selectedIndex;
    const bool ownEyes = !(selected > 0 && selected <= cameras.count());
    const Camera& camera = ownEyes ? *world->player()->camera : *cameras.cameras[selected - 1];
    renderer->renderScene(world->level(), camera, ownEyes ? world->player() : nullptr, shell->settings(),
                          world->physics(), litPass);
}

void Game::startPlay() { shell->menu().startPlay(); }

void Game::restartLevel()
{
    levelResetDue = true;
    world->restartAnimations();
}

void Game::placePlayer(const CameraPose& pose)
{
    PlayerObject& player = *world->player();
    world->physics().makeGhost(*player.rigidBody);
    btTransform transform;
    player.rigidBody->getMotionState()->getWorldTransform(transform);
    transform.setOrigin(btVector3(pose.eye.x, pose.eye.y - PlayerObject::eyeHeight, pose.eye.z));
    // A kinematic body follows its motion state at every step.
    player.rigidBody->getMotionState()->setWorldTransform(transform);
    player.rigidBody->setWorldTransform(transform);
    player.rigidBody->setInterpolationWorldTransform(transform);

    Camera& camera = *player.camera;
    camera.position = pose.eye;
    camera.horizontalAngle = pose.horizontalAngle;
    camera.verticalAngle = pose.verticalAngle;
    camera.update();
}

CameraPose Game::playerStart() const
{
    CameraPose pose;
    const PlayerObject& player = *world->player();
    pose.eye = player.startPlace() + glm::vec3(0.0f, PlayerObject::eyeHeight, 0.0f);
    pose.horizontalAngle = player.camera->startHeading;
    return pose;
}

void Game::setEffect(Effect effect, bool on)
{
    Settings& settings = shell->settings();
    switch (effect) {
    case Effect::NormalMapping:
        settings.normalMapping = on;
        break;
    case Effect::Wireframe:
        settings.wireframe = on;
        break;
    case Effect::Bloom:
        settings.bloom = on;
        break;
    case Effect::Shadows:
        settings.shadowMapping = on;
        break;
    case Effect::FrustumCulling:
        settings.frustumCulling = on;
        break;
    case Effect::DebugLines:
        renderer->debugLines().setDebugMode(on ? 1 : 0);
        break;
    }
}

FrameStats Game::stats() const
{
    FrameStats stats;
    stats.screen = shell->menu().screen();
    stats.clock = lastFrameTime;
    stats.frameTimeMs = frameTimeMs;
    stats.framesPerSecond = shell->framesPerSecond();
    stats.playerPosition = glm::vec3(world->player()->modelMatrix[3]);
    stats.width = width;
    stats.height = height;
    return stats;
}

void Game::renderScenePass(LitPass* litPass)
{
    // The state a frame sets up before its passes; the debug lines at the end
    // of the scene pass leave face culling off.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
    renderGameScene(litPass);
}

void Game::renderBloomPass() { renderer->renderBloom(); }

const Bloom& Game::bloom() const { return renderer->bloomPasses(); }

int Game::frameCap() const
{
    return FrameLimiter::capFor(shell->menu().showing(), options.maxFps.value_or(defaultMaxFps));
}

int runGame(const Options& commandLine)
{
    // A level that cannot even be opened is told before a window or the sound
    // device opens.
    if (const std::optional<LevelProblem> problem = openProblem(commandLine.levelFile()))
        fatalError(levelFailure(*problem, commandLine.levelFile()));
    // What lives as long as the game runs.
    struct Running {
        std::string settingsFile = settingsFilePath();
        GLFWwindow* window = nullptr;
        std::unique_ptr<Game> game;
        FrameLimiter limiter;
        bool told = false; // that settings.ini cannot be written
    };
    auto running = std::make_unique<Running>();
    SettingsRead stored = readSettings(running->settingsFile);
    if (!stored.warning.empty())
        std::cerr << printable(stored.warning) << std::endl;
    Options options = withStoredSettings(commandLine, stored.settings);
    int screenWidth = options.width;
    int screenHeight = options.height;
    GLFWwindow* window = running->window = openGameWindow(screenWidth, screenHeight, options.windowed);
    if (options.windowed) // F11 comes back to the window the game got
        options.width = screenWidth, options.height = screenHeight;
    running->game = valueOrExit(Game::load(window, screenWidth, screenHeight, options));
    Game& game = *running->game;
    game.keepProgress(ProgressBook(progressFilePath()));
    // What F11 and the settings picture change is kept for the next run;
    // a file that cannot be written is told once.
    game.keepSettings(stored.settings, [state = running.get()](const StoredSettings& settings) {
        const std::string why = state->settingsFile.empty() ? "" : writeSettings(state->settingsFile, settings);
        if (!why.empty() && !std::exchange(state->told, true))
            std::cerr << printable(why) << std::endl;
    });
#ifdef __EMSCRIPTEN__
    // The browser runs the frames, one each time it draws the page, and the
    // game lives as long as the page. The canvas follows the page's size;
    // Escape belongs to the browser (it releases the pointer).
    emscripten_set_main_loop_arg(
        [](void* state) {
            Running& running = *static_cast<Running*>(state);
            GLFWwindow* window = running.window;
            int width = 0, height = 0;
            glfwGetWindowSize(window, &width, &height);
            const int pageWidth = EM_ASM_INT({ return Module.pageWidth(); });
            const int pageHeight = EM_ASM_INT({ return Module.pageHeight(); });
            if (pageWidth > 0 && pageHeight > 0 && (pageWidth != width || pageHeight != height))
                glfwSetWindowSize(window, pageWidth, pageHeight);
            running.game->runFrame(glfwGetTime());
        },
        running.release(), 0, true);
#else
    // Vsync where the driver gives it; the limiter caps the rest. Events
    // wait for the frame's own poll, which hands them to that frame.
    glfwSwapInterval(1);
    while (game.runFrame(glfwGetTime()))
        std::this_thread::sleep_for(
            std::chrono::duration<double>(running->limiter.wait(glfwGetTime(), game.frameCap())));
    running.reset(); // the game's GL objects go while the window is there
#endif
    glfwTerminate();
    return 0;
}

int runLevelCheck(const std::string& levelFile)
{
    const LevelFindings found = checkLevelFile(levelFile, World::builtInLightCount);
    for (const auto* lines : {&found.problems, &found.warnings})
        for (const std::string& line : *lines)
            std::cout << printable(line) << '\n';
    const auto counted = [](std::size_t n, const char* what) {
        return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
    };
    std::string summary = found.problems.empty() ? "ok" : counted(found.problems.size(), "problem");
    if (!found.warnings.empty())
        summary += ", " + counted(found.warnings.size(), "warning");
    std::cout << summary << std::endl;
    return found.problems.empty() ? 0 : 1;
}
