#include "physics/PhysicsWorld.h"

#include "physics/BodyNames.h"
#include "physics/BulletMath.h"
#include "physics/ContactCollector.h"
#include "physics/RigidBody.h"
#include "core/MatrixMath.h"

#include <BulletCollision/CollisionDispatch/btInternalEdgeUtility.h>
#include <BulletCollision/CollisionShapes/btEmptyShape.h>
#include <BulletCollision/CollisionShapes/btTriangleInfoMap.h>

#include <algorithm>
#include <iostream>

namespace {

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

} // namespace

PhysicsWorld::~PhysicsWorld()
{
    exitPhysics();
    floorBodies.clear();
    dynamicBodies.clear();
    winBodies.clear();
    looseBodies.clear();
}

void PhysicsWorld::initPhysics()
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
    dynamicsWorld->setGravity(btVector3(0.0f, -10.0f, 0.0f));
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
    previousContactAddedCallback = gContactAddedCallback;
    gContactAddedCallback = adjustInternalEdgeContact;
}

void PhysicsWorld::addBody(btRigidBody* body, std::string name)
{
    std::cout << name << '\n';
    const BodyNameRules rules = classifyBodyName(name);
    if (rules.win)
        winBodies.push_back(body);
    if (rules.loose)
        looseBodies.push_back(body);
    if (rules.floor) {
        std::cout << "ADDED TO FLOOR: " << name << '\n';
        floorBodies.push_back(body);
    }
    if (rules.dynamic) {
        std::cout << "ADDED TO dynamic: " << name << '\n';
        dynamicBodies.push_back(body);
    }
    collisionShapes.push_back(body->getCollisionShape());
    dynamicsWorld->addRigidBody(body);
}

int PhysicsWorld::stepSimulation(double frameTime)
{
    if (!dynamicsWorld)
        return 0;
    const int steps = dynamicsWorld->stepSimulation(static_cast<float>(frameTime), maxSubSteps, fixedTimeStep);
    return std::min(steps, maxSubSteps);
}

PlayerContacts PhysicsWorld::findPlayerContacts(btRigidBody* playerBody)
{
    PlayerContacts found;
    if (!dynamicsWorld || !playerBody)
        return found;

    ContactCollector callback;

    // True at the first body of `bodies` after whose test `hit` is set: a
    // touch for the win and lose bodies, a point within the ground margin for
    // the rest.
    auto touchesAny = [&](const std::vector<btRigidBody*>& bodies, const char* tag, const bool& hit) {
        callback.tag = tag;
        for (btRigidBody* body : bodies) {
            if (body == playerBody)
                continue;
            dynamicsWorld->contactPairTest(playerBody, body, callback);
            if (hit)
                return true;
        }
        return false;
    };

    if (touchesAny(winBodies, "WIN", callback.touched)) {
        found.win = true;
    } else if (touchesAny(looseBodies, "LOOSE", callback.touched)) {
        found.gameOver = true;
    } else if (!touchesAny(floorBodies, "geht nicht", callback.found)) {
        touchesAny(dynamicBodies, "dynamic", callback.found);
    }
    found.grounded = callback.found;
    return found;
}

void PhysicsWorld::adoptShape(btCollisionShape* shape)
{
    if (!shape || collisionShapes.findLinearSearch(shape) < collisionShapes.size())
        return;
    if (std::find(adoptedShapes.begin(), adoptedShapes.end(), shape) != adoptedShapes.end())
        return;
    adoptedShapes.push_back(shape);
}

void PhysicsWorld::adoptTriangleInfo(btTriangleInfoMap* info)
{
    if (info && std::find(triangleInfos.begin(), triangleInfos.end(), info) == triangleInfos.end())
        triangleInfos.push_back(info);
}

void PhysicsWorld::exitPhysics()
{
    if (dynamicsWorld) {
        gContactAddedCallback = previousContactAddedCallback;
        for (int i = dynamicsWorld->getNumCollisionObjects() - 1; i >= 0; --i) {
            btCollisionObject* object = dynamicsWorld->getCollisionObjectArray()[i];
            btRigidBody* body = btRigidBody::upcast(object);
            if (body && body->getMotionState())
                delete body->getMotionState();
            dynamicsWorld->removeCollisionObject(object);
            delete object;
        }
    }

    for (int i = 0; i < collisionShapes.size(); ++i)
        delete collisionShapes[i];
    collisionShapes.clear();
    // After the listed shapes: a scaled wrapper goes before the tree it wraps.
    for (btCollisionShape* shape : adoptedShapes)
        delete shape;
    adoptedShapes.clear();
    for (btTriangleInfoMap* info : triangleInfos)
        delete info;
    triangleInfos.clear();

    // Each part is built on the ones before it and goes before them.
    dynamicsWorld.reset();
    solver.reset();
    broadphase.reset();
    dispatcher.reset();
    collisionConfiguration.reset();
}

ImportedBody createImportedBody(PhysicsWorld* physics, btTriangleMesh* triangleMesh, const glm::mat4& matrix,
                                int mass, const std::string& name)
{
    const Decomposed parts = decompose(matrix);
    const btVector3 scaling = toBullet(parts.scale);
    const bool hasTriangles = triangleMesh && triangleMesh->getNumTriangles() > 0;

    btCollisionShape* shape = nullptr;
    if (!hasTriangles) {
        // Neither a hull nor a tree can be built from nothing; an empty shape
        // gives the object a body that collides with nothing.
        shape = new btEmptyShape();
        shape->setLocalScaling(scaling);
    } else if (mass != 0) {
        shape = new btConvexTriangleMeshShape(triangleMesh, true);
        shape->setLocalScaling(scaling);
    } else {
        auto* tree = new btBvhTriangleMeshShape(triangleMesh, true, true);
        physics->adoptShape(tree);
        auto* edges = new btTriangleInfoMap();
        btGenerateInternalEdgeInfo(tree, edges);
        physics->adoptTriangleInfo(edges);
        shape = new btScaledBvhTriangleMeshShape(tree, scaling);
    }

    btVector3 inertia(0.0f, 0.0f, 0.0f);
    if (mass != 0 && hasTriangles)
        shape->calculateLocalInertia(static_cast<btScalar>(mass), inertia);

    auto* motionState = new btDefaultMotionState(bodyTransformOf(matrix), btTransform::getIdentity());
    btRigidBody::btRigidBodyConstructionInfo info(static_cast<btScalar>(mass), motionState, shape, inertia);
    auto* body = new RigidBody(info, name);
    body->setLinearFactor(btVector3(1.0f, 1.0f, 1.0f));
    if (mass == 0 && hasTriangles)
        body->setCollisionFlags(body->getCollisionFlags() | btCollisionObject::CF_CUSTOM_MATERIAL_CALLBACK);
    physics->addBody(body, name);
    return ImportedBody{shape, body};
}

void wakeBodiesAround(PhysicsWorld* physics, btRigidBody* body)
{
    if (!physics || !physics->dynamicsWorld || !body || !body->getBroadphaseHandle())
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
    waker.self = body;
    btVector3 low, high;
    body->getCollisionShape()->getAabb(body->getWorldTransform(), low, high);
    // A body resting on the surface touches the bounds; a little more catches
    // it whichever way the rounding goes.
    const btVector3 slack(0.05f, 0.05f, 0.05f);
    physics->dynamicsWorld->getBroadphase()->aabbTest(low - slack, high + slack, waker);
}

void resetBody(PhysicsWorld* physics, btRigidBody* body, const glm::mat4& initialMatrix,
               const std::function<void()>& beforeReAdd)
{
    delete body->getMotionState();
    physics->dynamicsWorld->removeRigidBody(body);

    const btTransform start = bodyTransformOf(initialMatrix);
    body->setMotionState(new btDefaultMotionState(start, btTransform::getIdentity()));
    // setMotionState moves only the current transform. The interpolation state
    // still describes the old motion, and a frame with no whole sub-step would
    // write it back into the new motion state.
    body->setInterpolationWorldTransform(start);
    body->setInterpolationLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
    body->setInterpolationAngularVelocity(btVector3(0.0f, 0.0f, 0.0f));

    body->clearForces();
    body->setAngularVelocity(btVector3(0.0f, 0.0f, 0.0f));
    body->setLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
    // A body that fell asleep where it was pushed would otherwise hang at its
    // start place until something touched it.
    if (!body->isStaticOrKinematicObject())
        body->activate(true);

    if (beforeReAdd)
        beforeReAdd();
    physics->dynamicsWorld->addRigidBody(body);
}
