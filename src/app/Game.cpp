#include "app/Game.h"

#include "core/Input.h"
#include "core/Platform.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "import/AssimpLoader.h"
#include "import/LevelCheck.h"
#include "physics/BulletDemo.h"
#include "render/Bloom.h"
#include "render/BulletDebug.h"
#include "render/MenuScreen.h"
#include "render/Shader.h"
#include "render/ShadowMap.h"
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
#include <chrono>
#include <ctime>
#include <iostream>

namespace {

const char* const menuPicturePaths[6] = {
    "Textures/menu/welcome16_9.png", "Textures/menu/gameOver16_9.png", "Textures/menu/win16_9.png",
    "Textures/menu/welcome4_3.png",  "Textures/menu/gameOver4_3.png",  "Textures/menu/win4_3.png",
};

std::unique_ptr<Shader> program(const std::string& name)
{
    return std::make_unique<Shader>("Shader/" + name + ".vert", "Shader/" + name + ".frag");
}

// Lap times for FrameTimings. Without a record to fill it does nothing at all.
class PhaseClock {
public:
    explicit PhaseClock(FrameTimings* timings) : timings(timings)
    {
        if (!timings)
            return;
        *timings = FrameTimings{};
        timings->gameFrame = true;
        glFinish(); // the frame's clear belongs to no phase
        lastWall = std::chrono::steady_clock::now();
        lastCpu = std::clock();
    }

    // Closes the phase that ran since the last lap. GL phases wait for the
    // driver first; the update issues no GL work, so it need not.
    void lap(FrameTimings::Phase FrameTimings::*phase, bool waitForGl = true)
    {
        if (!timings)
            return;
        if (waitForGl)
            glFinish();
        const auto wall = std::chrono::steady_clock::now();
        const std::clock_t cpu = std::clock();
        (timings->*phase).wallMs = std::chrono::duration<double, std::milli>(wall - lastWall).count();
        (timings->*phase).cpuMs = 1000.0 * static_cast<double>(cpu - lastCpu) / CLOCKS_PER_SEC;
        lastWall = wall;
        lastCpu = cpu;
    }

private:
    FrameTimings* timings;
    std::chrono::steady_clock::time_point lastWall;
    std::clock_t lastCpu = 0;
};

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

    phongShader = program("PhongCombined");
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

    bloomEffect = std::make_unique<Bloom>(bloomFirstPassShader.get(), bloomSecondPassShader.get(), screenWidth,
                                          screenHeight);
    viewFrustum = std::make_unique<ViewFrustum>();
    debugDrawer = std::make_unique<BulletDebug>(lineShader.get(), window);
    physics = std::make_unique<BulletDemo>();
    physics->initPhysics();

    for (size_t i = 0; i < menuPictures.size(); ++i)
        menuPictures[i] = std::make_unique<Texture>(menuPicturePaths[i]);
    menuScreen = std::make_unique<MenuScreen>(menuPictures[0].get(), menuPictures[1].get(), menuPictures[2].get(),
                                              menuPictures[3].get(), menuPictures[4].get(), menuPictures[5].get(),
                                              menuShader.get(), window);
    menuScreen->fourByThree = isFourByThree(screenWidth, screenHeight);

    importLevel();
    player = level->player;
    player->menu = menuScreen.get();
    cameraList = level->getCameras();
    level->addLight(std::make_unique<Light>(glm::vec3(0.0f, 54.0f, 0.0f), glm::vec3(1.0f), 150.0f));
    level->addLight(std::make_unique<Light>(glm::vec3(4.0f, 4.0f, 4.0f), glm::vec3(1.0f), 2.0f));

    for (int i = 0; i < Level::maxShadowMaps; ++i)
        shadowMaps.push_back(std::make_unique<ShadowMap>(shadowDebugShader.get(), shadowOmniShader.get(), level.get()));

    settings = std::make_unique<Settings>(window, debugDrawer.get(), cameraList, level.get());
    debugDrawer->setDebugMode(0);
    physics->dynamicsWorld->setDebugDrawer(debugDrawer.get());

    const GLuint phong = phongShader->program;
    normalMappingLocation = glGetUniformLocation(phong, "normalMapping");
    shadowMappingLocation = glGetUniformLocation(phong, "shadowMapping");
    viewMatrixLocation = glGetUniformLocation(phong, "viewMatrix");
    projectionMatrixLocation = glGetUniformLocation(phong, "projectionMatrix");
}

// The level is the one input set-up cannot do without: every way it can be
// unusable ends the game with a message instead of a crash later on.
void Game::importLevel()
{
    loader = std::make_unique<AssimpLoader>(phongShader.get(), shadowOmniShader.get(), physics.get());
    const aiScene* scene = loader->load("Data/LevelFinal.dae");
    if (!scene)
        fatalExit(); // load has said why
    const std::string problem = checkLevel(*scene, builtInLightCount);
    if (!problem.empty())
        fatalError(problem, "Level: Data/LevelFinal.dae does not follow the level format");
    if (!loader->loadTextures(scene, "Textures/new/"))
        fatalError("Fehler beim Laden von Texturen", "Level: a texture of Data/LevelFinal.dae cannot be read");
    level = loader->createLevel(scene, static_cast<float>(screenWidth), static_cast<float>(screenHeight), window);
}

void Game::tearDownScene()
{
    physics.reset();
    phongShader.reset();
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
    for (auto& picture : menuPictures)
        picture.reset();
    textRenderer.reset();
    debugDrawer.reset();
    menuShader.reset();
    textShader.reset();
    shadowOmniShader.reset();
    shadowFirstPassShader.reset();
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
    menuScreen->checkMenuKeys();
    if (timings)
        *timings = FrameTimings{};
    if (menuScreen->showing)
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
    if (menuScreen->welcome)
        menuScreen->drawWelcome();
    else if (menuScreen->win)
        menuScreen->drawWin();
    else if (menuScreen->gameOver)
        menuScreen->drawGameOver();
    settings->reloadRequested = 1;
}

void Game::runGameFrame(double frameDelta)
{
    PhaseClock clock(timings);
    if (settings->reloadRequested == 1) {
        std::cout << "RELOAD" << std::endl;
        for (ImportObject* object : level->getObjects())
            object->reset();
        level->update(frameDelta);
        settings->reloadRequested = 0;
    }
    updateGame(*settings, *physics, frameDelta);
    clock.lap(&FrameTimings::update, false);

    const std::vector<Light*> lights = level->getLights();
    if (settings->shadowMapping == 1) {
        // A level with fewer than five lights simply has fewer shadow casters.
        const size_t casters = std::min(shadowMaps.size(), lights.size());
        for (size_t i = 0; i < casters; ++i)
            shadowMaps[i]->render(*lights[i]);
        glViewport(0, 0, screenWidth, screenHeight);
    }
    clock.lap(&FrameTimings::shadows);

    const bool bloomActive = settings->wireframe != 1 && settings->bloom == 1;
    if (bloomActive)
        bloomEffect->bindSceneTarget();
    if (settings->effectiveTextureFilter() != level->textureFilter())
        level->setTextureFilter(settings->effectiveTextureFilter());
    renderScene();
    clock.lap(&FrameTimings::scene);
    if (bloomActive)
        bloomEffect->render();
    clock.lap(&FrameTimings::bloom);
}

void Game::renderScene()
{
    Camera& camera = *player->camera;
    if (settings->frustumCulling == 1) {
        viewFrustum->cullingEnabled = true;
        extractFrustumPlanes(*viewFrustum, camera.getProjection(), camera.getView());
    } else {
        viewFrustum->cullingEnabled = false;
    }
    glPolygonMode(GL_FRONT_AND_BACK, settings->wireframe == 1 ? GL_LINE : GL_FILL);

    glUseProgram(phongShader->program);
    glUniform1i(normalMappingLocation, settings->normalMapping);
    glUniform1i(shadowMappingLocation, settings->shadowMapping);
    glUniformMatrix4fv(viewMatrixLocation, 1, GL_FALSE, glm::value_ptr(camera.getView()));
    glUniformMatrix4fv(projectionMatrixLocation, 1, GL_FALSE, glm::value_ptr(camera.getProjection()));

    level->draw(viewFrustum.get());
    physics->dynamicsWorld->debugDrawWorld();
    flushDebugLines(*debugDrawer, camera.getViewProjection());
    viewFrustum->culledCount = 0;
}

int runGame()
{
    int screenWidth = 0;
    int screenHeight = 0;
    GLFWwindow* window = openGameWindow(screenWidth, screenHeight);
    {
        Game game(window, screenWidth, screenHeight);
        game.setUpScene();
        while (game.runFrame(glfwGetTime())) {
        }
        game.tearDownScene();
    }
    glfwTerminate();
    return 0;
}
