#include "app/World.h"

#include "core/Platform.h"
#include "import/AssimpLoader.h"
#include "import/LevelFile.h"
#include "scene/AnimatedObject.h"
#include "scene/PlayerObject.h"

#include <iostream>
#include <new>
#include <stdexcept>

Failure levelFailure(const LevelProblem& problem, const std::string& path)
{
    switch (problem.kind) {
    case LevelProblem::Kind::Unopened:
        return {"Couldn't open file", problem.text};
    case LevelProblem::Kind::Unread:
        return {"Couldn't load File", problem.text};
    case LevelProblem::Kind::Format:
        return {problem.text, "Level: " + path + " does not follow the level format"};
    case LevelProblem::Kind::Picture:
        return {"Fehler beim Laden von Texturen", problem.text + "\nLevel: a texture of " + path + " cannot be read"};
    }
    return {problem.text, {}};
}

void World::addBuiltInLights(Level& level)
{
    level.addLight(std::make_unique<Light>(glm::vec3(0.0f, 54.0f, 0.0f), glm::vec3(1.0f), 150.0f));
    level.addLight(std::make_unique<Light>(glm::vec3(4.0f, 4.0f, 4.0f), glm::vec3(1.0f), 2.0f));
}

World::World() : World(std::make_unique<PhysicsWorld>(), std::make_unique<Level>(LevelAssets{})) {}

World::World(std::unique_ptr<PhysicsWorld> physics, std::unique_ptr<Level> level)
    : physicsWorld(std::move(physics)), theLevel(std::move(level))
{
    // The player's controls and the animations run at the physics rate;
    // frames only look (the mouse) and draw.
    physicsWorld->preStep = [this](double dt) {
        theLevel->step(dt);
        if (stepListener)
            stepListener(*theLevel);
    };
}

Result<std::unique_ptr<World>> World::load(const std::string& levelFile, const VertexLayout& layout, GLFWwindow* window,
                                           int width, int height)
{
    // The level check bounds what the level may take; memory can run out
    // below that budget all the same, which ends here rather than in terminate.
    try {
        const LevelFile file(levelFile, builtInLightCount);
        if (!file.problems().empty())
            return levelFailure(file.problems().front(), levelFile);
        for (const std::string& warning : file.warnings())
            std::cerr << printable(warning) << std::endl;
        auto physics = std::make_unique<PhysicsWorld>();
        AssimpLoader loader(layout, *physics);
        const std::vector<LevelProblem> problems = loader.loadTextures(file);
        if (!problems.empty())
            return levelFailure(problems.front(), levelFile);
        std::unique_ptr<Level> level =
            loader.createLevel(file.scene(), static_cast<float>(width), static_cast<float>(height), window);
        addBuiltInLights(*level);
        if (PlayerObject* player = level->player())
            player->fallLimit = level->extent().low.y - tuning::fallDepth;
        auto world = std::unique_ptr<World>(new World(std::move(physics), std::move(level)));
        world->levelHint = file.hint();
        return world;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    return Failure{"Level error: the level does not fit in memory",
                   "Level: " + levelFile + " does not follow the level format"};
}

int World::step(double frameTime)
{
    if (PlayerObject* p = player())
        p->contacts = PlayerContacts{};
    return physicsWorld->stepSimulation(frameTime);
}

void World::update() { theLevel->update(); }

void World::reset()
{
    for (MeshObject* object : theLevel->getObjects())
        object->reset();
    for (Light* light : theLevel->getLights())
        light->position = light->startPosition;
}

void World::restartAnimations()
{
    for (MeshObject* object : theLevel->getObjects())
        if (auto* animated = dynamic_cast<AnimatedObject*>(object))
            animated->animationTime = 0.0;
}

void World::updateShadowTransforms()
{
    for (Light* light : theLevel->getLights())
        light->updateShadowTransforms();
}

void World::fitCameras(float aspect)
{
    if (PlayerObject* p = player(); p && p->camera)
        p->camera->setAspectRatio(aspect);
    for (auto& camera : theLevel->getCameras()->cameras)
        camera->setAspectRatio(aspect);
}
