#pragma once

#include "import/AssimpLoader.h"
#include "scene/Level.h"
#include "scene/Light.h"

#include "SceneWorld.h"

#include <unistd.h>

#include <climits>
#include <stdexcept>

// A level file (the shipped one unless told otherwise), imported by the game's
// own loader into a fresh physics world, with the built-in lights added the way
// the game's set-up adds them. Frames run as the game runs them: the physics
// step, then the level's update.
class ShippedLevel {
public:
    static constexpr double frameTime = 1.0 / 60.0;

    // Paths relative to the source tree, as the game's are to its directory.
    explicit ShippedLevel(GLFWwindow* window, const std::string& file = "Data/LevelFinal.dae",
                          const std::string& textures = "Textures/new/")
        : world(window), physics(world.physics), lightA(glm::vec3(4.0f, 4.0f, 4.0f), glm::vec3(1.0f), 2.0f),
          lightB(glm::vec3(0.0f, 54.0f, 0.0f), glm::vec3(1.0f), 150.0f)
    {
        char previous[PATH_MAX];
        if (!getcwd(previous, sizeof previous) || chdir(QUARRYSTACK_SOURCE_DIR) != 0)
            throw std::runtime_error("ShippedLevel: cannot enter the source directory");
        loader = std::make_unique<AssimpLoader>(&world.phong, &world.depth, physics.get());
        const aiScene* scene = loader->load(file);
        if (scene && loader->loadTextures(scene, textures))
            level.reset(loader->createLevel(scene, 640.0f, 360.0f, window));
        if (chdir(previous) != 0 || !level || !level->player)
            throw std::runtime_error("ShippedLevel: " + file + " did not load");

        player = level->player;
        level->addLight(&lightB);
        level->addLight(&lightA);
        // The game opens on the welcome picture; its first game frame reloads
        // the level, which also sets the camera's angles to 0.
        reload();
    }

    ~ShippedLevel()
    {
        // The game's teardown order: bodies go with the physics owner before
        // the objects; the loader keeps the triangle meshes until last.
        physics.reset();
        level.reset();
        loader.reset();
    }

    ShippedLevel(const ShippedLevel&) = delete;
    ShippedLevel& operator=(const ShippedLevel&) = delete;

    // One game frame: the step (at most 7 sub-steps of 1/60 s), then every
    // object's update, the player's input and contact check among them.
    void frame(double dt = frameTime)
    {
        physics->stepSimulation(dt);
        level->update(dt);
        world.showContacts(*player);
    }

    // The reload of the game's first frame after a menu: every object back to
    // its imported placement and one update, before the frame's own step.
    void reload(double dt = frameTime)
    {
        for (ImportObject* object : level->getObjects())
            object->reset();
        level->update(dt);
        world.showContacts(*player);
    }

    ImportObject* object(const std::string& name) const
    {
        for (ImportObject* o : level->getObjects())
            if (o->mesh.name == name)
                return o;
        throw std::runtime_error("ShippedLevel: no object " + name);
    }

    static glm::vec3 positionOf(const btRigidBody* body)
    {
        const btVector3& o = body->getWorldTransform().getOrigin();
        return {o.x(), o.y(), o.z()};
    }
    glm::vec3 playerPosition() const { return positionOf(player->rigidBody); }
    glm::vec3 playerVelocity() const
    {
        const btVector3& v = player->rigidBody->getLinearVelocity();
        return {v.x(), v.y(), v.z()};
    }

    // Moves a movable body to `position`, at rest, upright, as a reset would.
    static void place(btRigidBody* body, const glm::vec3& position)
    {
        const btTransform t(btQuaternion::getIdentity(), btVector3(position.x, position.y, position.z));
        body->setWorldTransform(t);
        body->setInterpolationWorldTransform(t);
        if (body->getMotionState())
            body->getMotionState()->setWorldTransform(t);
        body->setLinearVelocity(btVector3(0, 0, 0));
        body->setAngularVelocity(btVector3(0, 0, 0));
        body->setInterpolationLinearVelocity(btVector3(0, 0, 0));
        body->setInterpolationAngularVelocity(btVector3(0, 0, 0));
        body->clearForces();
        body->activate(true);
    }

    // Faces the player's view along heading `h` (0 looks along +z; W then
    // walks along (sin h, cos h)). The body turns after it on its own.
    void face(float heading) { player->camera->horizontalAngle = heading; }

    SceneWorld world; // the programs, the menu and the keys
    std::unique_ptr<PhysicsWorld>& physics;
    FakeInput& input = world.input;
    MenuState* menu = &world.menu;
    Light lightA;
    Light lightB;
    std::unique_ptr<AssimpLoader> loader;
    std::unique_ptr<Level> level;
    PlayerObject* player = nullptr;
};
