#pragma once

#include <btBulletDynamicsCommon.h>
#include <glm/glm.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class RigidBody;
struct btTriangleInfoMap;

// What one contact check found: any contact grounds the player; a win or a
// lose body also raises its picture.
struct PlayerContacts {
    bool grounded = false;
    bool win = false;
    bool gameOver = false;
};

// The bodies a contact check of the player walks, sorted by their names
// (physics/BodyNames.h). A body may be in several lists, or in none.
struct BodyLists {
    std::vector<btRigidBody*> floor;
    std::vector<btRigidBody*> dynamic;
    std::vector<btRigidBody*> win;
    std::vector<btRigidBody*> loose;
};

// The one dynamics world and everything in it. It alone makes and frees Bullet
// objects: the world's parts, every body with its motion state, every shape,
// the triangle meshes the shapes point into and their edge information. The
// rest of the game holds plain pointers to its bodies, valid while it lives.
class PhysicsWorld {
public:
    // Covers frames up to half a second; a longer one slows the world down
    // instead of running ever more steps (the whole update costs a fraction of
    // a millisecond, so this cap never feeds on itself).
    static constexpr int maxSubSteps = 30;
    static constexpr float fixedTimeStep = 1.0f / 60.0f;
    static constexpr float gravity = -10.0f; // along y

    // The world, with gravity (0, -10, 0) and no bodies.
    PhysicsWorld();
    ~PhysicsWorld();

    PhysicsWorld(const PhysicsWorld&) = delete;
    PhysicsWorld& operator=(const PhysicsWorld&) = delete;

    // Builds and registers the body of a mesh object from its triangles
    // (`corners`, three per triangle, in object space): mass 1 gives a convex
    // hull scaled by the matrix's scale, mass 0 a scaled triangle-mesh tree
    // with the edge information that keeps contacts across its inner edges on
    // the faces; no triangles give an empty shape. The start transform is the
    // matrix's rotation and translation. Prints the name (and the list lines,
    // see addBody).
    RigidBody* addMeshBody(const std::vector<glm::vec3>& corners, const glm::mat4& matrix, int mass,
                           const std::string& name);
    // Gives `body` a capsule of this radius and height (before `scaling`)
    // instead of the shape it was built with.
    void useCapsule(RigidBody& body, float radius, float height, const btVector3& scaling);

    // Pair tests of the player's body against win, lose, floor and dynamic
    // bodies, stopping at the first contact (see ContactCollector): win and
    // lose bodies count when they touch the player, the rest (and so the
    // ground) within the 2 cm margin. The player's own body is skipped
    // wherever its name put it in a list.
    PlayerContacts findPlayerContacts(const btRigidBody* playerBody);
    // Advances the world by `frameTime` in sub-steps of 1/60 s, at most
    // maxSubSteps of them, each after preStep. Returns how many ran.
    int stepSimulation(double frameTime);

    // Puts a body back to `initialMatrix` with no forces and zero velocities,
    // and re-adds it to the world; a movable body is woken, so that one put
    // back in mid-air falls. `beforeReAdd` runs just before the body joins the
    // world again (the player resets its camera there).
    void resetBody(RigidBody& body, const glm::mat4& initialMatrix, const std::function<void()>& beforeReAdd = {});
    // Wakes every movable body whose bounds overlap `body`'s: a static body
    // moved by hand (an animated object) does not wake what has fallen asleep
    // on it, and would otherwise pass through it.
    void wakeBodiesAround(const RigidBody& body);
    // Makes `body` a kinematic ghost that follows its motion state, never
    // sleeps and pushes nothing; for tools that place the player by hand.
    void makeGhost(RigidBody& body);

    // The world's debug drawing: lines of every body's shape go to `drawer`
    // when drawDebugLines runs and the drawer's mode asks for them.
    void setDebugDrawer(btIDebugDraw* drawer);
    void drawDebugLines();

    // Whether a contact check prints "COLLISION WITH DYNAMIC" for each contact
    // point with a body of the dynamic list (it does unless told otherwise).
    void setContactLines(bool on) { contactLines = on; }

    const BodyLists& lists() const { return bodyLists; }
    int bodyCount() const;

    // Runs before every sub-step with its length: what must move at the
    // physics rate (the player's controls, animated bodies) is driven from
    // here by whoever installs it.
    std::function<void(double)> preStep;

private:
    // Sorts the body into the name lists, printing the lines of BodyNames,
    // and adds it to the world.
    void addBody(RigidBody& body);

    // Declared so that each part goes after what is built on it; the
    // destructor first takes the bodies out of the world.
    std::unique_ptr<btDefaultCollisionConfiguration> collisionConfiguration;
    std::unique_ptr<btCollisionDispatcher> dispatcher;
    std::unique_ptr<btDbvtBroadphase> broadphase;
    std::unique_ptr<btSequentialImpulseConstraintSolver> solver;
    std::unique_ptr<btDiscreteDynamicsWorld> dynamicsWorld;
    std::vector<std::unique_ptr<btTriangleMesh>> triangleMeshes;
    std::vector<std::unique_ptr<btTriangleInfoMap>> triangleInfos;
    std::vector<std::unique_ptr<btCollisionShape>> shapes;
    std::vector<std::unique_ptr<btDefaultMotionState>> motionStates;
    std::vector<std::unique_ptr<RigidBody>> bodies;
    BodyLists bodyLists;
    bool contactLines = true;
};
