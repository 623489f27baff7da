#include "app/Game.h"

#include "app/CommandLine.h"
#include "app/GameSounds.h"
#include "app/KeyActions.h"
#include "app/Program.h"
#include "app/Settings.h"
#include "app/ShadowItems.h"
#include "app/Startup.h"
#include "core/Input.h"
#include "core/Platform.h"
#include "import/AssimpLoader.h"
#include "import/LevelCheck.h"
#include "physics/PhysicsWorld.h"
#include "render/Bloom.h"
#include "render/DebugLineRecorder.h"
#include "render/MenuScreen.h"
#include "render/Shader.h"
#include "render/ShadowMap.h"
#include "render/Sky.h"
#include "render/TextRenderer.h"
#include "render/Texture.h"
#include "scene/Camera.h"
#include "scene/ImportObject.h"
#include "scene/Level.h"
#include "scene/Light.h"
#include "scene/PlayerObject.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <new>
#include <stdexcept>

namespace {

const char* const menuPicturePaths[6] = {
    "Textures/menu/welcome16_9.png", "Textures/menu/gameOver16_9.png", "Textures/menu/win16_9.png",
    "Textures/menu/welcome4_3.png",  "Textures/menu/gameOver4_3.png",  "Textures/menu/win4_3.png",
};

std::unique_ptr<Shader> program(const std::string& name)
{
    return std::make_unique<Shader>("Shader/" + name + ".vert", "Shader/" + name + ".frag");
}

// QUARRYSTACK_SENSITIVITY scales the mouse look; 1 unless it holds a
// positive number.
float mouseSensitivityFromEnvironment()
{
    const char* text = std::getenv("QUARRYSTACK_SENSITIVITY");
    return text ? parseSensitivity(text).value_or(1.0f) : 1.0f;
}

// A level's own textures/ folder beside it, when it has one, is searched
// before the game's.
std::vector<std::string> textureFolders(const std::string& levelFile)
{
    const std::filesystem::path own = std::filesystem::path(levelFile).parent_path() / "textures";
    std::error_code error;
    if (std::filesystem::is_directory(own, error))
        return {own.string() + "/", "Textures/new/"};
    return {"Textures/new/"};
}

} // namespace

Game::Game(GLFWwindow* window, int screenWidth, int screenHeight)
    : window(window), screenWidth(screenWidth), screenHeight(screenHeight),
      frameCounter(std::make_unique<FrameCounter>(glfwGetTime))
{
}

// Whatever set-up built is released in the fixed teardown order, also when a
// caller never got to tearDownScene.
Game::~Game()
{
    tearDownScene();
}

void Game::setUpScene()
{
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glfwSetWindowTitle(window, "Quarrystack");
    sounds = std::make_unique<GameSounds>(options.muted);

    phongShader = program("PhongCombined");
    depthPrepassShader = std::make_unique<Shader>("Shader/PhongCombined.vert", "Shader/depthOnly.frag");
    lineShader = program("line");
    shadowDebugShader = program("shadowMapDebugCubeShader");
    shadowFirstPassShader = program("shadowMapFirstPassFrameBuffer");
    shadowOmniShader = std::make_unique<Shader>("Shader/shadowMapOmniFirstPass.vert",
                                                "Shader/shadowMapOmniFirstPass.geom",
                                                "Shader/shadowMapOmniFirstPass.frag");
    bloomFirstPassShader = program("bloomFirstPassFrameBuffer");
    bloomSecondPassShader = program("bloomSecondPassFrameBuffer");
    textShader = program("TextVertexShader");
    textRenderer = std::make_unique<TextRenderer>(textShader.get());
    menuShader = program("menu");
    skyShader = program("sky");

    bloomEffect = std::make_unique<Bloom>(bloomFirstPassShader.get(), bloomSecondPassShader.get(), screenWidth,
                                          screenHeight);
    viewFrustum = std::make_unique<ViewFrustum>();
    debugDrawer = std::make_unique<DebugLineRecorder>(lineShader.get());
    physics = std::make_unique<PhysicsWorld>();


    for (size_t i = 0; i < menuPictures.size(); ++i)
        menuPictures[i] = std::make_unique<Texture>(menuPicturePaths[i]);
    menuScreen = std::make_unique<MenuScreen>(menuPictures[0].get(), menuPictures[1].get(), menuPictures[2].get(),
                                              menuPictures[3].get(), menuPictures[4].get(), menuPictures[5].get(),
                                              menuShader.get());
    menuScreen->fourByThree = isFourByThree(screenWidth, screenHeight);
    sky = std::make_unique<Sky>(skyShader.get(), "Textures/sky/dusk.png");

    importLevel();
    player = level->player;
    sounds->follow(*level);
    cameraList = level->getCameras();
    if (options.windowed) {
        const float aspect = static_cast<float>(screenWidth) / static_cast<float>(screenHeight);
        player->camera->setAspectRatio(aspect);
        for (auto& extra : cameraList->cameras)
            extra->setAspectRatio(aspect);
    }
    level->addLight(std::make_unique<Light>(glm::vec3(0.0f, 54.0f, 0.0f), glm::vec3(1.0f), 150.0f));
    level->addLight(std::make_unique<Light>(glm::vec3(4.0f, 4.0f, 4.0f), glm::vec3(1.0f), 2.0f));

    for (int i = 0; i < Level::maxShadowMaps; ++i)
        shadowMaps.push_back(std::make_unique<ShadowMap>(shadowOmniShader.get()));

    player->mouseSensitivity = options.sensitivity.value_or(mouseSensitivityFromEnvironment());
    // The player's controls and the animations run at the physics rate;
    // frames only look (the mouse) and draw.
    // The sounds follow what each step reports.
    physics->preStep = [this](double dt) {
        level->step(dt);
        sounds->step(*level);
    };
    // A tap that starts and ends between two frames is seen by no key read.
    glfwSetKeyCallback(window, [](GLFWwindow*, int key, int, int action, int) {
        if (action == GLFW_PRESS)
            input::notePress(key);
    });

    settings = std::make_unique<Settings>();
    debugDrawer->setDebugMode(0);
    physics->setDebugDrawer(debugDrawer.get());

    const GLuint phong = phongShader->program;
    normalMappingLocation = glGetUniformLocation(phong, "normalMapping");
    shadowMappingLocation = glGetUniformLocation(phong, "shadowMapping");
    viewMatrixLocation = glGetUniformLocation(phong, "viewMatrix");
    projectionMatrixLocation = glGetUniformLocation(phong, "projectionMatrix");
    const GLuint prepass = depthPrepassShader->program;
    prepassModelLocation = glGetUniformLocation(prepass, "modelMatrix");
    prepassViewLocation = glGetUniformLocation(prepass, "viewMatrix");
    prepassProjectionLocation = glGetUniformLocation(prepass, "projectionMatrix");
}

// The level is the one input set-up cannot do without: every way it can be
// unusable ends the game with a message instead of a crash later on.
void Game::importLevel()
{
    const std::string path = options.levelFile();
    const std::string notTheFormat = "Level: " + path + " does not follow the level format";
    loader = std::make_unique<AssimpLoader>(phongShader.get(), shadowOmniShader.get(), physics.get());
    // The level check bounds what the level may take; memory can run out
    // below that budget all the same, which ends here rather than in terminate.
    try {
        const aiScene* scene = loader->load(path);
        if (!scene)
            fatalExit(); // load has said why
        const std::string problem = checkLevel(*scene, builtInLightCount);
        if (!problem.empty())
            fatalError(problem, notTheFormat);
        if (!loader->loadTextures(scene, textureFolders(path))) {
            if (!loader->levelError().empty())
                fatalError(loader->levelError(), notTheFormat);
            fatalError("Fehler beim Laden von Texturen", "Level: a texture of " + path + " cannot be read");
        }
        level = loader->createLevel(scene, static_cast<float>(screenWidth), static_cast<float>(screenHeight), window);
    } catch (const std::bad_alloc&) {
        fatalError("Level error: the level does not fit in memory", notTheFormat);
    } catch (const std::length_error&) {
        fatalError("Level error: the level does not fit in memory", notTheFormat);
    }
}

void Game::tearDownScene()
{
    physics.reset();
    phongShader.reset();
    depthPrepassShader.reset();
    lineShader.reset();
    shadowDebugShader.reset();
    bloomFirstPassShader.reset();
    bloomSecondPassShader.reset();
    level.reset();
    player = nullptr;
    settings.reset();
    frameCounter.reset();
    bloomEffect.reset();
    for (auto& shadowMap : shadowMaps)
        shadowMap.reset();
    shadowMaps.clear();
    viewFrustum.reset();

    // The rest would live to the end of the process; release it while the
    // context still exists so that nothing outlives the window.
    loader.reset();
    cameraList = nullptr;
    menuScreen.reset();
    sky.reset();
    skyShader.reset();
    for (auto& picture : menuPictures)
        picture.reset();
    textRenderer.reset();
    debugDrawer.reset();
    menuShader.reset();
    textShader.reset();
    shadowOmniShader.reset();
    shadowFirstPassShader.reset();
    sounds.reset();
}

bool Game::runFrame(double now)
{
    if (glfwWindowShouldClose(window))
        return false;

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);

    const double frameDelta = now - lastFrameTime;
    lastFrameTime = now;
    frameTimeMs = frameDelta * 1000.0;
    std::cout << "frametime: " << frameTimeMs << "ms" << std::endl;

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const MenuState::Screen picture = menu.screen();
    menu.readKeys(window);
    if (menu.screen() != picture)
        sounds->click();
    if (menu.showing())
        runMenuFrame();
    else
        runGameFrame(frameDelta);

    frameCounter->update();
    glfwSetWindowTitle(window, windowTitle(frameCounter->fps(), frameTimeMs, settings->textureFilterName(),
                                           settings->mipmapFilterName())
                                   .c_str());
    glfwSwapBuffers(window);
    glfwPollEvents();
    return input::getKey(window, GLFW_KEY_ESCAPE) == GLFW_RELEASE;
}

void Game::runMenuFrame()
{
    settings->wireframe = 0;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    // The cursor drifts while a picture shows, and a space pressed here is no jump.
    player->firstMouse = true;
    input::clearPresses();
    sounds->hush();
    switch (menu.screen()) {
    case MenuState::Screen::Welcome:
        menuScreen->drawWelcome();
        break;
    case MenuState::Screen::Win:
        menuScreen->drawWin();
        break;
    case MenuState::Screen::GameOver:
        menuScreen->drawGameOver();
        break;
    case MenuState::Screen::Playing:
        break;
    }
    levelResetDue = true;
}

void Game::runGameFrame(double frameDelta)
{
    phaseEnded(FramePhase::Clear);
    const bool resetNow = levelResetDue;
    if (resetNow) {
        std::cout << "RELOAD" << std::endl;
        for (ImportObject* object : level->getObjects())
            object->reset();
        updateLevel(frameDelta);
    }
    updateGame(frameDelta);
    // Cleared only now: the R that left the game-over picture is still down
    // in this frame's keys, and the level has been reset already.
    if (resetNow)
        levelResetDue = false;
    phaseEnded(FramePhase::Update);

    if (settings->shadowMapping == 1) {
        renderShadowMaps();
        glViewport(0, 0, screenWidth, screenHeight);
    }
    phaseEnded(FramePhase::Shadows);

    const bool bloomActive = settings->wireframe != 1 && settings->bloom == 1;
    if (bloomActive)
        bloomEffect->bindSceneTarget();
    if (settings->effectiveTextureFilter() != level->textureFilter())
        level->setTextureFilter(settings->effectiveTextureFilter());
    renderScene();
    phaseEnded(FramePhase::Scene);
    if (bloomActive)
        bloomEffect->render();
    phaseEnded(FramePhase::Bloom);
}

void Game::phaseEnded(FramePhase phase)
{
    if (phaseObserver)
        phaseObserver->phaseEnded(phase);
}

void Game::updateGame(double frameTime)
{
    player->contacts = PlayerContacts{};
    const int steps = physics->stepSimulation(frameTime);
    const KeyActions actions = settings->handleKeys(window);
    applyKeyActions(actions, steps);
    updateLevel(frameTime);
    if (settings->shadowMapping == 1) {
        for (Light* light : level->getLights())
            light->updateShadowTransforms();
    }
}

void Game::updateLevel(double frameTime)
{
    level->update(frameTime);
    sounds->listen(*player->camera);
    const MenuState::Screen before = menu.screen();
    if (player->contacts.win)
        menu.showWin();
    if (player->contacts.gameOver)
        menu.showGameOver();
    if (menu.screen() != before && menu.screen() == MenuState::Screen::Win)
        sounds->chime();
    else if (menu.screen() != before && menu.screen() == MenuState::Screen::GameOver)
        sounds->splash();
}

// The light keys move by their step once per physics sub-step, so a light
// moves as fast at any frame rate.
void Game::applyKeyActions(const KeyActions& actions, int steps)
{
    Light* firstLight = nullptr;
    if (!actions.lightSteps.empty()) {
        const std::vector<Light*> lights = level->getLights();
        if (!lights.empty())
            firstLight = lights.front();
    }
    ::applyKeyActions(actions, debugDrawer.get(), cameraList, firstLight, steps);
    if (actions.reload)
        levelResetDue = true;
    if (actions.toggleMute)
        sounds->toggleMute();
}

// A level with fewer than five lights simply has fewer shadow casters.
void Game::renderShadowMaps()
{
    // Lines in wireframe as in the scene pass, filled otherwise: the mode the
    // last pass left may be a frame out of date.
    glPolygonMode(GL_FRONT_AND_BACK, settings->wireframe == 1 ? GL_LINE : GL_FILL);
    const std::vector<ShadowCaster> casters = shadowCastersOf(*level);
    const std::vector<Light*> lights = level->getLights();
    const size_t count = std::min(shadowMaps.size(), lights.size());
    for (size_t i = 0; i < count; ++i)
        lights[i]->depthMap = static_cast<GLint>(shadowMaps[i]->render(shadowLightOf(*lights[i]), casters));
}

void Game::renderScene()
{
    // Page Up and Page Down look through the level's other cameras, which
    // stay where the level put them; position 0 is the player's own.
    const int selected = cameraList ? cameraList->selectedIndex : 0;
    const Camera& camera = selected > 0 && selected <= static_cast<int>(cameraList->cameras.size())
                               ? *cameraList->cameras[selected - 1]
                               : *player->camera;
    if (settings->frustumCulling == 1) {
        viewFrustum->cullingEnabled = true;
        extractFrustumPlanes(*viewFrustum, camera.getProjection(), camera.getView());
    } else {
        viewFrustum->cullingEnabled = false;
    }
    glPolygonMode(GL_FRONT_AND_BACK, settings->wireframe == 1 ? GL_LINE : GL_FILL);

    // Depth first, then the lit pass shades only the fragments at the depth
    // it left: a software rasteriser's time goes by shaded fragments, and the
    // lit program reads some twenty cube map texels per fragment. Both
    // programs share the vertex stage and place fragments alike (see
    // depthOnly.frag). Lines (wireframe) would tie with each other at equal
    // depth: that debug view keeps the single pass.
    const bool filled = settings->wireframe != 1;
    if (filled) {
        glUseProgram(depthPrepassShader->program);
        glUniformMatrix4fv(prepassViewLocation, 1, GL_FALSE, glm::value_ptr(camera.getView()));
        glUniformMatrix4fv(prepassProjectionLocation, 1, GL_FALSE, glm::value_ptr(camera.getProjection()));
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        level->drawDepth(viewFrustum.get(), prepassModelLocation);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_FALSE);
    }

    glUseProgram(phongShader->program);
    glUniform1i(normalMappingLocation, settings->normalMapping);
    glUniform1i(shadowMappingLocation, settings->shadowMapping);
    glUniformMatrix4fv(viewMatrixLocation, 1, GL_FALSE, glm::value_ptr(camera.getView()));
    glUniformMatrix4fv(projectionMatrixLocation, 1, GL_FALSE, glm::value_ptr(camera.getProjection()));

    level->draw(viewFrustum.get());
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
    // Wireframe shows the level's lines alone.
    if (filled)
        sky->draw(camera.getViewProjection());
    physics->drawDebugLines();
    flushDebugLines(*debugDrawer, camera.getViewProjection());
    viewFrustum->culledCount = 0;
}

int runGame(const Options& options)
{
    int screenWidth = options.width;
    int screenHeight = options.height;
    GLFWwindow* window = openGameWindow(screenWidth, screenHeight, options.windowed);
    {
        Game game(window, screenWidth, screenHeight);
        game.options = options;
        game.setUpScene();
        while (game.runFrame(glfwGetTime())) {
        }
        game.tearDownScene();
    }
    glfwTerminate();
    return 0;
}

int runLevelCheck(const std::string& levelFile)
{
    const std::vector<std::string> problems =
        levelFileProblems(levelFile, textureFolders(levelFile), Game::builtInLightCount);
    for (const std::string& problem : problems)
        std::cout << problem << '\n';
    if (problems.empty())
        std::cout << "ok" << std::endl;
    else
        std::cout << problems.size() << (problems.size() == 1 ? " problem" : " problems") << std::endl;
    return problems.empty() ? 0 : 1;
}
