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

// Owner of the one dynamics world, its bodies, motion states and shapes, and
// of the four name lists the player's contact check walks.
class PhysicsWorld {
public:
    // Covers frames up to half a second; a longer one slows the world down
    // instead of running ever more steps (the whole update costs a fraction of
    // a millisecond, so this cap never feeds on itself).
    static constexpr int maxSubSteps = 30;
    static constexpr float fixedTimeStep = 1.0f / 60.0f;

    PhysicsWorld() = default;
    ~PhysicsWorld();

    PhysicsWorld(const PhysicsWorld&) = delete;
    PhysicsWorld& operator=(const PhysicsWorld&) = delete;

    // Creates the world with gravity (0, -10, 0).
    void initPhysics();
    // Prints the name (and the list lines), sorts the body into the name lists,
    // keeps its shape for teardown and adds it to the world.
    void addBody(btRigidBody* body, std::string name);
    // Pair tests of the player's body against win, lose, floor and dynamic
    // bodies, stopping at the first contact (see ContactCollector): win and
    // lose bodies count when they touch the player, the rest (and so the
    // ground) within the 2 cm margin. The
    // player's own body is skipped wherever its name put it in a list.
    PlayerContacts findPlayerContacts(btRigidBody* playerBody);
    // Advances the world by `frameTime` in sub-steps of 1/60 s, at most
    // maxSubSteps of them, each after preStep. Returns how many ran.
    int stepSimulation(double frameTime);
    // Deletes every body in the world with its motion state, every kept shape,
    // then the world and its parts.
    // Safe to call again: a second call (the destructor's) finds nothing left.
    void exitPhysics();
    // Hands over a shape that no registered body started with, for deletion at
    // teardown after the listed shapes: the tree under a scaled wrapper, or a
    // shape that replaced a body's registered one (the player's capsule; the
    // registered mesh shape stays in collisionShapes). Null, a listed shape or
    // one already adopted is ignored, so nothing is deleted twice.
    void adoptShape(btCollisionShape* shape);
    // Keeps the edge information of a static mesh's tree until teardown.
    void adoptTriangleInfo(btTriangleInfoMap* info);

    // Runs before every sub-step with its length: what must move at the
    // physics rate (the player's controls, animated bodies) is driven from
    // here by whoever installs it.
    std::function<void(double)> preStep;

    btAlignedObjectArray<btCollisionShape*> collisionShapes; // owned
    std::unique_ptr<btDefaultCollisionConfiguration> collisionConfiguration;
    std::unique_ptr<btCollisionDispatcher> dispatcher;
    std::unique_ptr<btDbvtBroadphase> broadphase;
    std::unique_ptr<btSequentialImpulseConstraintSolver> solver;
    std::unique_ptr<btDiscreteDynamicsWorld> dynamicsWorld;
    std::vector<btRigidBody*> floorBodies;
    std::vector<btRigidBody*> dynamicBodies;
    std::vector<btRigidBody*> winBodies;
    std::vector<btRigidBody*> looseBodies;

private:
    std::vector<btCollisionShape*> adoptedShapes; // owned
    std::vector<btTriangleInfoMap*> triangleInfos; // owned
    // The library's contact-added hook is process-wide: the world installs its
    // own while it exists and gives the previous one back at teardown.
    ContactAddedCallback previousContactAddedCallback = nullptr;
};

// The body of an imported mesh object.
struct ImportedBody {
    btCollisionShape* shape = nullptr;
    RigidBody* body = nullptr;
};

// Builds and registers the body of an imported object: mass 1 gives a convex
// hull of the triangles scaled by the matrix's scale, mass 0 a scaled
// triangle-mesh tree (the tree is adopted by `physics`; the mesh stays the
// caller's and must outlive `physics`) with the edge information that keeps
// contacts across its inner edges on the faces; a mesh without triangles, or
// none, gets an empty shape. The start transform is the matrix's rotation and
// translation.
ImportedBody createImportedBody(PhysicsWorld* physics, btTriangleMesh* triangleMesh, const glm::mat4& matrix,
                                int mass, const std::string& name);

// Wakes every movable body whose bounds overlap `body`'s: a static body moved
// by hand (an animated object) does not wake what has fallen asleep on it, and
// would otherwise pass through it.
void wakeBodiesAround(PhysicsWorld* physics, btRigidBody* body);

// Puts a body back to `initialMatrix` with a new motion state, no forces and
// zero velocities, and re-adds it to the world; a movable body is woken, so
// that one put back in mid-air falls. `beforeReAdd` runs just before the body
// joins the world again (the player resets its camera there).
void resetBody(PhysicsWorld* physics, btRigidBody* body, const glm::mat4& initialMatrix,
               const std::function<void()>& beforeReAdd = {});
