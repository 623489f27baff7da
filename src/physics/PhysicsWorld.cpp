#include "physics/PhysicsWorld.h"

#include "core/MatrixMath.h"
#include "core/Platform.h"
#include "physics/BodyNames.h"
#include "physics/BulletMath.h"
#include "physics/ContactCollector.h"
#include "physics/RigidBody.h"

#include <BulletCollision/CollisionDispatch/btInternalEdgeUtility.h>
#include <BulletCollision/CollisionShapes/btEmptyShape.h>
#include <BulletCollision/CollisionShapes/btTriangleInfoMap.h>

#include <algorithm>
#include <iostream>

namespace {

// The library's contact-added hook is process-wide: the worlds install their
// own while any of them exists and give the previous one back when the last goes.
int livingWorlds = 0;
ContactAddedCallback previousContactAddedCallback = nullptr;

// Runs for every new contact point with a static mesh (they carry the custom
// material flag). A capsule or block sliding across the shared edge of two
// flat triangles otherwise meets the edge of the next triangle with a normal
// tilted back towards it and is thrown up a little; the edge information of
// the mesh puts such normals back on the face. The mesh is always the second
// object of a convex-against-mesh pair.
bool adjustInternalEdgeContact(btManifoldPoint& point, const btCollisionObjectWrapper* object0, int /*partId0*/,
                               int /*index0*/, const btCollisionObjectWrapper* object1, int partId1, int index1)
{
    btAdjustInternalEdgeContacts(point, object1, object0, partId1, index1);
    return true;
}

// Bullet's copy of the triangles, for a body's hull or tree.
std::unique_ptr<btTriangleMesh> triangleMeshOf(const std::vector<glm::vec3>& corners)
{
    auto triangles = std::make_unique<btTriangleMesh>(true, true);
    for (size_t k = 0; k + 2 < corners.size(); k += 3)
        triangles->addTriangle(toBullet(corners[k]), toBullet(corners[k + 1]), toBullet(corners[k + 2]), false);
    return triangles;
}

template <typename T> T* keep(std::vector<std::unique_ptr<T>>& owner, std::unique_ptr<T> object)
{
    owner.push_back(std::move(object));
    return owner.back().get();
}

} // namespace

PhysicsWorld::PhysicsWorld()
{
    collisionConfiguration = std::make_unique<btDefaultCollisionConfiguration>();
    // A block's hull against a wall or floor triangle would otherwise get one
    // contact point per step, at whichever corner the distance query finds,
    // and the points do not last while the block moves. The player sets its
    // velocity into the block every frame, so the wall's push-back acts at that
    // one corner: the block pivots about it, its other corner goes into the
    // rock, and once its centre is past the face of the hollow triangle mesh
    // the contact pushes it through to the inside. A few perturbed queries per
    // pair give the whole face (up to four points) in every step.
    collisionConfiguration->setConvexConvexMultipointIterations();
    dispatcher = std::make_unique<btCollisionDispatcher>(collisionConfiguration.get());
    broadphase = std::make_unique<btDbvtBroadphase>();
    // Both classes bring Bullet's 16-byte aligned operator new.
    solver = std::make_unique<btSequentialImpulseConstraintSolver>();
    dynamicsWorld = std::make_unique<btDiscreteDynamicsWorld>(dispatcher.get(), broadphase.get(), solver.get(),
                                                              collisionConfiguration.get());
    dynamicsWorld->setGravity(btVector3(0.0f, gravity, 0.0f));
    dynamicsWorld->setInternalTickCallback(
        [](btDynamicsWorld* world, btScalar timeStep) {
            auto* self = static_cast<PhysicsWorld*>(world->getWorldUserInfo());
            if (self->preStep)
                self->preStep(static_cast<double>(timeStep));
        },
        this, true);
    // With friction along one direction per contact point, nothing holds a
    // block pressed against a wall from twisting about the wall's normal,
    // and a twisting block works its corners into the wall the same way.
    dynamicsWorld->getSolverInfo().m_solverMode |= SOLVER_USE_2_FRICTION_DIRECTIONS;
    // Bullet calls one contact callback for every world: it is ours while any
    // world lives, also while a new level's world and the old one overlap.
    if (livingWorlds++ == 0)
        previousContactAddedCallback = gContactAddedCallback;
    gContactAddedCallback = adjustInternalEdgeContact;
}

// The members then go in reverse order: bodies, motion states, shapes, the
// meshes under the shapes, and the world's parts.
PhysicsWorld::~PhysicsWorld()
{
    if (--livingWorlds == 0)
        gContactAddedCallback = previousContactAddedCallback;
    for (const auto& body : bodies)
        dynamicsWorld->removeRigidBody(body.get());
}

RigidBody* PhysicsWorld::addMeshBody(const std::vector<glm::vec3>& corners, const glm::mat4& matrix, int mass,
                                     const std::string& name)
{
    const Decomposed parts = decompose(matrix);
    const btVector3 scaling = toBullet(parts.scale);
    const bool hasTriangles = corners.size() >= 3;

    btCollisionShape* shape = nullptr;
    if (!hasTriangles) {
        // Neither a hull nor a tree can be built from nothing; an empty shape
        // gives the object a body that collides with nothing.
        shape = keep(shapes, std::unique_ptr<btCollisionShape>(new btEmptyShape()));
        shape->setLocalScaling(scaling);
    } else if (mass != 0) {
        btTriangleMesh* triangles = keep(triangleMeshes, triangleMeshOf(corners));
        shape = keep(shapes, std::unique_ptr<btCollisionShape>(new btConvexTriangleMeshShape(triangles, true)));
        shape->setLocalScaling(scaling);
    } else {
        btTriangleMesh* triangles = keep(triangleMeshes, triangleMeshOf(corners));
        auto* tree = static_cast<btBvhTriangleMeshShape*>(
            keep(shapes, std::unique_ptr<btCollisionShape>(new btBvhTriangleMeshShape(triangles, true, true))));
        btTriangleInfoMap* edges = keep(triangleInfos, std::make_unique<btTriangleInfoMap>());
        btGenerateInternalEdgeInfo(tree, edges);
        shape = keep(shapes, std::unique_ptr<btCollisionShape>(new btScaledBvhTriangleMeshShape(tree, scaling)));
    }

    btVector3 inertia(0.0f, 0.0f, 0.0f);
    if (mass != 0 && hasTriangles)
        shape->calculateLocalInertia(static_cast<btScalar>(mass), inertia);

    btDefaultMotionState* motionState =
        keep(motionStates, std::make_unique<btDefaultMotionState>(bodyTransformOf(matrix), btTransform::getIdentity()));
    btRigidBody::btRigidBodyConstructionInfo info(static_cast<btScalar>(mass), motionState, shape, inertia);
    RigidBody* body = keep(bodies, std::make_unique<RigidBody>(info, name));
    body->setLinearFactor(btVector3(1.0f, 1.0f, 1.0f));
    if (mass == 0 && hasTriangles)
        body->setCollisionFlags(body->getCollisionFlags() | btCollisionObject::CF_CUSTOM_MATERIAL_CALLBACK);
    addBody(*body);
    return body;
}

void PhysicsWorld::useCapsule(RigidBody& body, float radius, float height, const btVector3& scaling)
{
    btCollisionShape* capsule = keep(shapes, std::unique_ptr<btCollisionShape>(new btCapsuleShape(radius, height)));
    capsule->setLocalScaling(scaling);
    body.setCollisionShape(capsule);
}

void PhysicsWorld::addBody(RigidBody& body)
{
    std::cout << printable(body.name) << '\n';
    const BodyNameRules rules = classifyBodyName(body.name);
    if (rules.win)
        bodyLists.win.push_back(&body);
    if (rules.loose)
        bodyLists.loose.push_back(&body);
    if (rules.floor) {
        std::cout << "ADDED TO FLOOR: " << printable(body.name) << '\n';
        bodyLists.floor.push_back(&body);
    }
    if (rules.dynamic) {
        std::cout << "ADDED TO dynamic: " << printable(body.name) << '\n';
        bodyLists.dynamic.push_back(&body);
    }
    dynamicsWorld->addRigidBody(&body);
}

int PhysicsWorld::stepSimulation(double frameTime)
{
    const int steps = dynamicsWorld->stepSimulation(static_cast<float>(frameTime), maxSubSteps, fixedTimeStep);
    return std::min(steps, maxSubSteps);
}

PlayerContacts PhysicsWorld::findPlayerContacts(const btRigidBody* playerBody)
{
    PlayerContacts found;
    if (!playerBody)
        return found;

    ContactCollector callback;
    // The pair test takes a body it may not change; it only reads it.
    auto* player = const_cast<btRigidBody*>(playerBody);

    // True at the first body of `bodies` after whose test `hit` is set: a
    // touch for the win and lose bodies, a point within the ground margin for
    // the rest.
    auto touchesAny = [&](const std::vector<btRigidBody*>& bodies, const bool& hit) {
        for (btRigidBody* body : bodies) {
            if (body == playerBody)
                continue;
            dynamicsWorld->contactPairTest(player, body, callback);
            if (hit)
                return true;
        }
        return false;
    };

    if (touchesAny(bodyLists.win, callback.touched)) {
        found.win = true;
    } else if (touchesAny(bodyLists.loose, callback.touched)) {
        found.gameOver = true;
    } else if (!touchesAny(bodyLists.floor, callback.found)) {
        callback.printsContacts = contactLines;
        touchesAny(bodyLists.dynamic, callback.found);
    }
    found.grounded = callback.found;
    return found;
}

void PhysicsWorld::resetBody(RigidBody& body, const glm::mat4& initialMatrix, const std::function<void()>& beforeReAdd)
{
    dynamicsWorld->removeRigidBody(&body);

    // A fresh motion state in place of the old one: the body takes its start
    // transform from it.
    const btTransform start = bodyTransformOf(initialMatrix);
    auto* motionState = static_cast<btDefaultMotionState*>(body.getMotionState());
    *motionState = btDefaultMotionState(start, btTransform::getIdentity());
    body.setMotionState(motionState);
    // setMotionState moves only the current transform. The interpolation state
    // still describes the old motion, and a frame with no whole sub-step would
    // write it back into the motion state.
    body.setInterpolationWorldTransform(start);
    body.setInterpolationLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
    body.setInterpolationAngularVelocity(btVector3(0.0f, 0.0f, 0.0f));

    body.clearForces();
    body.setAngularVelocity(btVector3(0.0f, 0.0f, 0.0f));
    body.setLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
    // A body that fell asleep where it was pushed would otherwise hang at its
    // start place until something touched it.
    if (!body.isStaticOrKinematicObject())
        body.activate(true);

    if (beforeReAdd)
        beforeReAdd();
    dynamicsWorld->addRigidBody(&body);
}

void PhysicsWorld::wakeBodiesAround(const RigidBody& body)
{
    if (!body.getBroadphaseHandle())
        return;
    struct Waker : btBroadphaseAabbCallback {
        const btCollisionObject* self = nullptr;
        bool process(const btBroadphaseProxy* proxy) override
        {
            auto* other = static_cast<btCollisionObject*>(proxy->m_clientObject);
            if (other != self && !other->isStaticOrKinematicObject())
                other->activate();
            return true;
        }
    } waker;
    waker.self = &body;
    btVector3 low, high;
    body.getCollisionShape()->getAabb(body.getWorldTransform(), low, high);
    // A body resting on the surface touches the bounds; a little more catches
    // it whichever way the rounding goes.
    const btVector3 slack(0.05f, 0.05f, 0.05f);
    dynamicsWorld->getBroadphase()->aabbTest(low - slack, high + slack, waker);
}

void PhysicsWorld::makeGhost(RigidBody& body)
{
    const int ghostFlags = btCollisionObject::CF_KINEMATIC_OBJECT | btCollisionObject::CF_NO_CONTACT_RESPONSE;
    if ((body.getCollisionFlags() & ghostFlags) == ghostFlags)
        return;
    // A body changes between dynamic and kinematic outside the world, which
    // files it by that kind.
    dynamicsWorld->removeRigidBody(&body);
    body.setCollisionFlags(body.getCollisionFlags() | ghostFlags);
    body.setActivationState(DISABLE_DEACTIVATION);
    body.setLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
    body.setAngularVelocity(btVector3(0.0f, 0.0f, 0.0f));
    dynamicsWorld->addRigidBody(&body);
}

void PhysicsWorld::setDebugDrawer(btIDebugDraw* drawer) { dynamicsWorld->setDebugDrawer(drawer); }

void PhysicsWorld::drawDebugLines() { dynamicsWorld->debugDrawWorld(); }

int PhysicsWorld::bodyCount() const { return dynamicsWorld->getNumCollisionObjects(); }
