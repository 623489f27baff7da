#include "physics/BodyNames.h"
#include "physics/PhysicsWorld.h"
#include "physics/BulletMath.h"
#include "physics/ContactCollector.h"
#include "physics/RigidBody.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

// Twelve triangles of an axis-aligned box around the origin.
std::unique_ptr<btTriangleMesh> boxMesh(const btVector3& half)
{
    auto mesh = std::make_unique<btTriangleMesh>();
    btVector3 c[8];
    for (int i = 0; i < 8; ++i)
        c[i] = btVector3(i & 1 ? half.x() : -half.x(), i & 2 ? half.y() : -half.y(), i & 4 ? half.z() : -half.z());
    const int faces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto& f : faces) {
        mesh->addTriangle(c[f[0]], c[f[1]], c[f[2]]);
        mesh->addTriangle(c[f[0]], c[f[2]], c[f[3]]);
    }
    return mesh;
}

// A square in the plane y = 0, cut into cells x cells, two triangles each.
std::unique_ptr<btTriangleMesh> squareMesh(float half, int cells = 1)
{
    auto mesh = std::make_unique<btTriangleMesh>();
    const float size = 2.0f * half / static_cast<float>(cells);
    for (int i = 0; i < cells; ++i) {
        for (int k = 0; k < cells; ++k) {
            const float x = -half + size * static_cast<float>(i);
            const float z = -half + size * static_cast<float>(k);
            const btVector3 a(x, 0, z), b(x + size, 0, z), c(x + size, 0, z + size), d(x, 0, z + size);
            mesh->addTriangle(a, b, c);
            mesh->addTriangle(a, c, d);
        }
    }
    return mesh;
}

void expectScaling(const btCollisionShape* shape, const btVector3& expected)
{
    EXPECT_LT(shape->getLocalScaling().distance(expected), 1e-5f) << "scaling y " << shape->getLocalScaling().y();
}

glm::mat4 at(float x, float y, float z)
{
    return glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z));
}

template <class List> bool contains(const List& list, const btRigidBody* body)
{
    for (const btRigidBody* entry : list)
        if (entry == body)
            return true;
    return false;
}

struct PointCounter : btCollisionWorld::ContactResultCallback {
    int points = 0;
    btScalar addSingleResult(btManifoldPoint&, const btCollisionObjectWrapper*, int, int,
                             const btCollisionObjectWrapper*, int, int) override
    {
        ++points;
        return 0;
    }
};

std::string repeated(const std::string& line, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += line;
    return text;
}

class PhysicsTest : public testing::Test {
protected:
    void SetUp() override
    {
        physics = std::make_unique<PhysicsWorld>();
        physics->initPhysics();
    }

    btTriangleMesh* keep(std::unique_ptr<btTriangleMesh> mesh)
    {
        meshes.push_back(std::move(mesh));
        return meshes.back().get();
    }

    // Registration prints; keep it out of the test log.
    ImportedBody create(std::unique_ptr<btTriangleMesh> mesh, const glm::mat4& matrix, int mass,
                        const std::string& name)
    {
        btTriangleMesh* kept = keep(std::move(mesh));
        CaptureStdout();
        const ImportedBody made = createImportedBody(physics.get(), kept, matrix, mass, name);
        GetCapturedStdout();
        return made;
    }

    // The player's body: a mass-1 mesh body whose shape is then replaced by a
    // capsule, as the player does it.
    btRigidBody* createPlayer(const std::string& name, const glm::mat4& matrix)
    {
        btRigidBody* body = create(boxMesh(btVector3(0.5f, 1.0f, 0.5f)), matrix, 1, name).body;
        auto* capsule = new btCapsuleShape(0.5f, 1.0f);
        body->setCollisionShape(capsule);
        physics->adoptShape(capsule);
        return body;
    }

    int pointsBetween(btRigidBody* a, btRigidBody* b)
    {
        PointCounter counter;
        physics->dynamicsWorld->contactPairTest(a, b, counter);
        return counter.points;
    }

    // The meshes outlive the shapes built over them: physics goes first.
    std::vector<std::unique_ptr<btTriangleMesh>> meshes;
    std::unique_ptr<PhysicsWorld> physics;
};

// ---- body-name rules and registration ----

struct NameCase {
    const char* name;
    bool win, loose, floor, dynamic;
    const char* secondLine; // printed after the bare name, or ""
};

const NameCase nameCases[] = {
    {"Floor_win", true, false, true, false, "ADDED TO FLOOR: Floor_win\n"},
    {"window3", true, false, false, false, ""},
    {"floor2", false, false, false, false, ""},
    {"Floor", false, false, true, false, "ADDED TO FLOOR: Floor\n"},
    {"Floo", false, false, false, false, ""},
    {"dynamicFloor", false, false, false, true, "ADDED TO dynamic: dynamicFloor\n"},
    {"dynamic", false, false, false, true, "ADDED TO dynamic: dynamic\n"},
    {"dynami", false, false, false, false, ""},
    {"crate_dynamic", false, false, false, false, ""},
    {"lavaloose", false, true, false, false, ""},
    {"dynamicloosewin", true, true, false, true, "ADDED TO dynamic: dynamicloosewin\n"},
    {"Win", false, false, false, false, ""},
    {"player", false, false, false, false, ""},
    {"", false, false, false, false, ""},
};

TEST_F(PhysicsTest, RegistrationSortsPrintsAndKeepsTheShape)
{
    for (const NameCase& c : nameCases) {
        SCOPED_TRACE(c.name);
        const BodyNameRules rules = classifyBodyName(c.name);
        EXPECT_EQ(rules.win, c.win);
        EXPECT_EQ(rules.loose, c.loose);
        EXPECT_EQ(rules.floor, c.floor);
        EXPECT_EQ(rules.dynamic, c.dynamic);
        EXPECT_EQ(isDynamicName(c.name), c.dynamic);

        SetUp(); // a fresh owner per row; the previous one tears down here
        const int mass = isDynamicName(c.name) ? 1 : 0;
        btTriangleMesh* mesh = keep(boxMesh(btVector3(1, 1, 1)));

        CaptureStdout();
        const ImportedBody made = createImportedBody(physics.get(), mesh, glm::mat4(1.0f), mass, c.name);
        const std::string printed = GetCapturedStdout();

        EXPECT_EQ(printed, std::string(c.name) + "\n" + c.secondLine);
        EXPECT_EQ(contains(physics->winBodies, made.body), c.win);
        EXPECT_EQ(contains(physics->looseBodies, made.body), c.loose);
        EXPECT_EQ(contains(physics->floorBodies, made.body), c.floor);
        EXPECT_EQ(contains(physics->dynamicBodies, made.body), c.dynamic);
        ASSERT_EQ(physics->collisionShapes.size(), 1);
        EXPECT_EQ(physics->collisionShapes[0], made.body->getCollisionShape());
        EXPECT_EQ(physics->dynamicsWorld->getNumCollisionObjects(), 1);
        EXPECT_TRUE(made.body->isInWorld());
        EXPECT_EQ(made.body->name, c.name);
    }
}

TEST_F(PhysicsTest, ListsKeepRegistrationOrder)
{
    btRigidBody* first = create(boxMesh(btVector3(1, 1, 1)), at(0, 0, 0), 0, "Floor_a").body;
    btRigidBody* second = create(boxMesh(btVector3(1, 1, 1)), at(5, 0, 0), 0, "Floor_win").body;
    btRigidBody* third = create(boxMesh(btVector3(1, 1, 1)), at(9, 0, 0), 0, "window").body;
    EXPECT_EQ(physics->floorBodies, (std::vector<btRigidBody*>{first, second}));
    EXPECT_EQ(physics->winBodies, (std::vector<btRigidBody*>{second, third}));
    ASSERT_EQ(physics->collisionShapes.size(), 3);
    EXPECT_EQ(physics->collisionShapes[2], third->getCollisionShape());
}

// ---- stepping ----

// Velocity of a body that fell from rest for `steps` sub-steps of 1/60 s
// under gravity -10.
float fallSpeedAfter(int steps)
{
    float v = 0.0f;
    for (int i = 0; i < steps; ++i)
        v += -10.0f * (1.0f / 60.0f);
    return v;
}

TEST_F(PhysicsTest, LongFrameRunsSevenSubStepsAndDropsTheRest)
{
    btRigidBody* body = create(boxMesh(btVector3(1, 1, 1)), at(0, 100, 0), 1, "dynamicFalling").body;
    physics->stepSimulation(0.5);
    EXPECT_NEAR(body->getLinearVelocity().y(), fallSpeedAfter(7), 1e-5f);

    // The time beyond 7 sub-steps is lost, not owed: a following half-step
    // frame runs one sub-step at most (in float, 0.5 s counts as 29 whole
    // steps and a remainder just short of a 30th, which is carried over).
    physics->stepSimulation(1.0 / 120.0);
    EXPECT_GE(body->getLinearVelocity().y(), fallSpeedAfter(8) - 1e-5f);
}

TEST_F(PhysicsTest, ShortFrameRunsNoSubStepButCarriesTheTimeOver)
{
    btRigidBody* body = create(boxMesh(btVector3(1, 1, 1)), at(0, 100, 0), 1, "dynamicFalling").body;
    physics->stepSimulation(0.01);
    EXPECT_EQ(body->getLinearVelocity(), btVector3(0, 0, 0));
    EXPECT_EQ(body->getWorldTransform().getOrigin(), btVector3(0, 100, 0));

    physics->stepSimulation(0.01); // 0.02 s in all: one whole sub-step
    EXPECT_NEAR(body->getLinearVelocity().y(), fallSpeedAfter(1), 1e-6f);
}

// ---- creating the body of an imported object ----

TEST_F(PhysicsTest, MassOneGetsAScaledConvexHull)
{
    const glm::quat rotation = glm::angleAxis(0.6f, glm::normalize(glm::vec3(0, 1, 1)));
    const glm::mat4 matrix = at(3, 4, -5) * glm::mat4_cast(rotation) * glm::scale(glm::mat4(1.0f), glm::vec3(2, 3, 0.5f));
    const ImportedBody made = create(boxMesh(btVector3(1, 1, 1)), matrix, 1, "dynamicBox");

    ASSERT_NE(made.body, nullptr);
    EXPECT_EQ(made.shape, made.body->getCollisionShape());
    EXPECT_EQ(made.shape->getShapeType(), CONVEX_TRIANGLEMESH_SHAPE_PROXYTYPE);
    expectScaling(made.shape, btVector3(2, 3, 0.5f));

    // The hull is scaled: the box reaches 3 units up its local y axis.
    btVector3 aabbMin, aabbMax;
    made.shape->getAabb(btTransform::getIdentity(), aabbMin, aabbMax);
    EXPECT_NEAR(aabbMax.y(), 3.0f, 0.1f);

    const btTransform& start = made.body->getWorldTransform();
    EXPECT_NEAR(start.getOrigin().distance(btVector3(3, 4, -5)), 0.0f, 1e-5f);
    EXPECT_LT(1.0f - std::fabs(glm::dot(toGlm(start.getRotation()), rotation)), 1e-5f);
    btTransform stateTransform;
    made.body->getMotionState()->getWorldTransform(stateTransform);
    EXPECT_NEAR(stateTransform.getOrigin().distance(start.getOrigin()), 0.0f, 1e-6f);

    EXPECT_FLOAT_EQ(made.body->getInvMass(), 1.0f);
    EXPECT_GT(made.body->getLocalInertia().x(), 0.0f);
    EXPECT_EQ(made.body->getLinearFactor(), btVector3(1, 1, 1));
    EXPECT_FALSE(made.body->isStaticObject());
}

TEST_F(PhysicsTest, MassZeroGetsAScaledQuantizedTree)
{
    const glm::mat4 matrix = at(1, 0, 2) * glm::scale(glm::mat4(1.0f), glm::vec3(4, 1, 0.25f));
    const ImportedBody made = create(squareMesh(1.0f, 2), matrix, 0, "Floor");

    ASSERT_EQ(made.shape->getShapeType(), SCALED_TRIANGLE_MESH_SHAPE_PROXYTYPE);
    auto* scaled = static_cast<btScaledBvhTriangleMeshShape*>(made.shape);
    expectScaling(scaled, btVector3(4, 1, 0.25f));
    btBvhTriangleMeshShape* tree = scaled->getChildShape();
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(tree->usesQuantizedAabbCompression());
    ASSERT_NE(tree->getOptimizedBvh(), nullptr);
    // The tree itself stays unscaled; the wrapper carries the scale.
    EXPECT_EQ(tree->getLocalScaling(), btVector3(1, 1, 1));

    EXPECT_EQ(physics->collisionShapes[0], made.shape);
    EXPECT_TRUE(made.body->isStaticObject());
    EXPECT_FLOAT_EQ(made.body->getInvMass(), 0.0f);
    EXPECT_EQ(made.body->getLocalInertia(), btVector3(0, 0, 0));
    EXPECT_NEAR(made.body->getWorldTransform().getOrigin().distance(btVector3(1, 0, 2)), 0.0f, 1e-6f);
}

TEST_F(PhysicsTest, MeshWithoutTrianglesGetsAnEmptyShapeForEitherMass)
{
    const glm::mat4 matrix = at(0, 3, 0) * glm::scale(glm::mat4(1.0f), glm::vec3(2, 2, 2));
    for (int mass : {0, 1}) {
        SCOPED_TRACE(mass);
        const ImportedBody made = create(std::make_unique<btTriangleMesh>(), matrix, mass,
                                         mass ? "dynamicNothing" : "Floor_nothing");
        ASSERT_NE(made.body, nullptr);
        EXPECT_EQ(made.shape->getShapeType(), EMPTY_SHAPE_PROXYTYPE);
        expectScaling(made.shape, btVector3(2, 2, 2));
        EXPECT_TRUE(made.body->isInWorld());
    }
    // No mesh at all is the same case.
    CaptureStdout();
    const ImportedBody none = createImportedBody(physics.get(), nullptr, matrix, 1, "dynamicNull");
    GetCapturedStdout();
    EXPECT_EQ(none.shape->getShapeType(), EMPTY_SHAPE_PROXYTYPE);

    // The world steps and the player checks against them without trouble.
    btRigidBody* player = createPlayer("player", at(0, 3, 0));
    physics->stepSimulation(0.5);
    const PlayerContacts found = physics->findPlayerContacts(player);
    EXPECT_FALSE(found.grounded);
}

// ---- reset ----

TEST_F(PhysicsTest, ResetReturnsAMovedDynamicBodyToItsImportedPlace)
{
    create(squareMesh(20.0f), glm::mat4(1.0f), 0, "Floor");
    const glm::quat rotation = glm::angleAxis(0.5f, glm::vec3(0, 1, 0));
    const glm::mat4 initial = at(2, 3, -1) * glm::mat4_cast(rotation) * glm::scale(glm::mat4(1.0f), glm::vec3(1.5f));
    btRigidBody* body = create(boxMesh(btVector3(1, 1, 1)), initial, 1, "dynamicCrate").body;
    const btCollisionShape* shape = body->getCollisionShape();

    body->applyCentralImpulse(btVector3(4, 2, 0));
    body->applyTorqueImpulse(btVector3(0, 3, 1));
    for (int i = 0; i < 40; ++i)
        physics->stepSimulation(1.0 / 60.0);
    body->applyCentralForce(btVector3(0, 0, 50));
    body->applyTorque(btVector3(7, 0, 0));
    ASSERT_GT(body->getWorldTransform().getOrigin().distance(btVector3(2, 3, -1)), 0.5f);
    ASSERT_GT(body->getTotalForce().length(), 0.0f);

    const int objectsBefore = physics->dynamicsWorld->getNumCollisionObjects();
    bool hookRan = false;
    CaptureStdout();
    resetBody(physics.get(), body, initial, [&] {
        hookRan = true;
        EXPECT_FALSE(body->isInWorld());
        EXPECT_EQ(physics->dynamicsWorld->getCollisionObjectArray().findLinearSearch(body),
                  physics->dynamicsWorld->getNumCollisionObjects());
        EXPECT_NEAR(body->getWorldTransform().getOrigin().distance(btVector3(2, 3, -1)), 0.0f, 1e-5f);
    });
    EXPECT_EQ(GetCapturedStdout(), ""); // not registered again
    EXPECT_TRUE(hookRan);

    EXPECT_TRUE(body->isInWorld());
    EXPECT_EQ(physics->dynamicsWorld->getNumCollisionObjects(), objectsBefore);
    const btTransform& now = body->getWorldTransform();
    EXPECT_NEAR(now.getOrigin().distance(btVector3(2, 3, -1)), 0.0f, 1e-5f);
    EXPECT_LT(1.0f - std::fabs(glm::dot(toGlm(now.getRotation()), rotation)), 1e-5f);
    btTransform stateTransform;
    body->getMotionState()->getWorldTransform(stateTransform);
    EXPECT_NEAR(stateTransform.getOrigin().distance(btVector3(2, 3, -1)), 0.0f, 1e-5f);
    EXPECT_EQ(body->getLinearVelocity(), btVector3(0, 0, 0));
    EXPECT_EQ(body->getAngularVelocity(), btVector3(0, 0, 0));
    EXPECT_EQ(body->getTotalForce(), btVector3(0, 0, 0));
    EXPECT_EQ(body->getTotalTorque(), btVector3(0, 0, 0));
    EXPECT_EQ(body->getCollisionShape(), shape);
    EXPECT_FLOAT_EQ(body->getInvMass(), 1.0f);
    EXPECT_TRUE(contains(physics->dynamicBodies, body));
    EXPECT_EQ(physics->dynamicsWorld->getGravity(), body->getGravity());

    // A frame too short for a sub-step only interpolates: it must not bring
    // back the place the body had before the reset.
    physics->stepSimulation(0.005);
    body->getMotionState()->getWorldTransform(stateTransform);
    EXPECT_NEAR(stateTransform.getOrigin().distance(btVector3(2, 3, -1)), 0.0f, 1e-5f);
}

TEST_F(PhysicsTest, ResetWakesABodyThatFellAsleepElsewhere)
{
    create(squareMesh(20.0f), glm::mat4(1.0f), 0, "Floor");
    btRigidBody* body = create(boxMesh(btVector3(1, 1, 1)), at(0, 1.5f, 0), 1, "dynamicCrate").body;
    for (int i = 0; i < 300; ++i)
        physics->stepSimulation(1.0 / 60.0);
    ASSERT_EQ(body->getActivationState(), ISLAND_SLEEPING);

    resetBody(physics.get(), body, at(0, 8, 0));
    physics->stepSimulation(0.5);
    EXPECT_LT(body->getLinearVelocity().y(), -1.0f);
    EXPECT_LT(body->getWorldTransform().getOrigin().y(), 8.0f);
}

TEST_F(PhysicsTest, ResetLeavesAStaticBodyStatic)
{
    const glm::mat4 initial = at(0, -1, 4) * glm::scale(glm::mat4(1.0f), glm::vec3(3, 1, 3));
    btRigidBody* body = create(squareMesh(1.0f), initial, 0, "Floor").body;
    const int flags = body->getCollisionFlags();
    const btCollisionShape* shape = body->getCollisionShape();

    resetBody(physics.get(), body, initial);
    EXPECT_TRUE(body->isInWorld());
    EXPECT_TRUE(body->isStaticObject());
    EXPECT_EQ(body->getCollisionFlags(), flags);
    EXPECT_EQ(body->getCollisionShape(), shape);
    EXPECT_NEAR(body->getWorldTransform().getOrigin().distance(btVector3(0, -1, 4)), 0.0f, 1e-6f);
    EXPECT_EQ(physics->dynamicsWorld->getNumCollisionObjects(), 1);
    EXPECT_EQ(physics->collisionShapes.size(), 1);
}

// ---- the player's contact check ----

class ContactTest : public PhysicsTest {
protected:
    void SetUp() override
    {
        PhysicsTest::SetUp();
        floor = create(squareMesh(10.0f), glm::mat4(1.0f), 0, "Floor").body;
        crate = create(boxMesh(btVector3(1, 1, 1)), at(5, 1, 0), 1, "dynamicCrate").body;
        winBox = create(boxMesh(btVector3(1, 1, 1)), at(30, 1, 0), 0, "winFlag").body;
        lavaBetween = create(boxMesh(btVector3(1, 1, 1)), at(30, 1, 1.5f), 0, "looseLava").body;
        lavaAlone = create(boxMesh(btVector3(1, 1, 1)), at(50, 1, 0), 0, "looseLava2").body;
        floorWin = create(squareMesh(2.0f), at(70, 0, 0), 0, "Floor_win").body;
        // Static, but named like a movable body: a tree gives several contact
        // points where the capsule's cap meets a fan of small triangles.
        slab = create(squareMesh(2.0f, 4), at(90, 0, 0), 0, "dynamicSlab").body;
        player = createPlayer("player", at(0, 100, 0));
    }

    void place(btRigidBody* body, const btVector3& where)
    {
        btTransform transform;
        transform.setIdentity();
        transform.setOrigin(where);
        body->setWorldTransform(transform);
    }

    btRigidBody* floor = nullptr;
    btRigidBody* crate = nullptr;
    btRigidBody* winBox = nullptr;
    btRigidBody* lavaBetween = nullptr;
    btRigidBody* lavaAlone = nullptr;
    btRigidBody* floorWin = nullptr;
    btRigidBody* slab = nullptr;
    btRigidBody* player = nullptr;
};

TEST_F(ContactTest, ListOrderAndResults)
{
    struct Case {
        const char* label;
        btVector3 where;
        std::vector<btRigidBody*> touching; // checked first: the scene is as intended
        bool grounded, win, gameOver;
        btRigidBody* printsFor; // the dynamic-list body whose points are printed
    };
    const Case cases[] = {
        {"touches nothing", {0, 50, 0}, {}, false, false, false, nullptr},
        {"on the floor", {0, 0.95f, 0}, {floor}, true, false, false, nullptr},
        {"on the floor pushing a crate", {3.6f, 0.95f, 0}, {floor, crate}, true, false, false, nullptr},
        {"on a crate only", {5, 2.95f, 0}, {crate}, true, false, false, crate},
        {"on a win and a lose body", {30, 2.95f, 0.75f}, {winBox, lavaBetween}, true, true, false, nullptr},
        {"on a lose body", {50, 2.95f, 0}, {lavaAlone}, true, false, true, nullptr},
        {"on a floor that is a win body", {70, 0.95f, 0}, {floorWin}, true, true, false, nullptr},
        {"on a dynamic-named slab", {90, 0.95f, 0}, {slab}, true, false, false, slab},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        place(player, c.where);
        for (btRigidBody* body : c.touching)
            ASSERT_GT(pointsBetween(player, body), 0);
        const int printedPoints = c.printsFor ? pointsBetween(player, c.printsFor) : 0;
        if (c.printsFor == slab) {
            ASSERT_GE(printedPoints, 2) << "one line for each of several points";
        }

        CaptureStdout();
        const PlayerContacts found = physics->findPlayerContacts(player);
        const std::string printed = GetCapturedStdout();

        EXPECT_EQ(found.grounded, c.grounded);
        EXPECT_EQ(found.win, c.win);
        EXPECT_EQ(found.gameOver, c.gameOver);
        EXPECT_EQ(printed, repeated("COLLISION WITH DYNAMIC\n", printedPoints));
    }
}

TEST_F(ContactTest, ThePlayersOwnBodyIsSkipped)
{
    // A player whose name put it into the win and dynamic lists, far from all else.
    btRigidBody* listed = createPlayer("dynamic_winner", at(0, 500, 0));
    ASSERT_TRUE(contains(physics->winBodies, listed));
    ASSERT_TRUE(contains(physics->dynamicBodies, listed));
    ASSERT_GT(pointsBetween(listed, listed), 0); // it would touch itself

    CaptureStdout();
    const PlayerContacts found = physics->findPlayerContacts(listed);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_FALSE(found.grounded);
    EXPECT_FALSE(found.win);
}

// ---- teardown ----

int destroyedBodies = 0;
int destroyedStates = 0;
int destroyedShapes = 0;

struct CountingMotionState : btDefaultMotionState {
    using btDefaultMotionState::btDefaultMotionState;
    ~CountingMotionState() override { ++destroyedStates; }
};

ATTRIBUTE_ALIGNED16(struct) CountingShape : btSphereShape {
    BT_DECLARE_ALIGNED_ALLOCATOR();
    CountingShape() : btSphereShape(1.0f) {}
    ~CountingShape() override { ++destroyedShapes; }
};

ATTRIBUTE_ALIGNED16(struct) CountingBody : RigidBody {
    BT_DECLARE_ALIGNED_ALLOCATOR();
    using RigidBody::RigidBody;
    ~CountingBody() override { ++destroyedBodies; }
};

TEST(Teardown, DeletesEveryBodyStateAndShapeExactlyOnce)
{
    for (bool explicitExit : {true, false}) {
        SCOPED_TRACE(explicitExit ? "exitPhysics, then the destructor" : "the destructor alone");
        destroyedBodies = destroyedStates = destroyedShapes = 0;
        auto physics = std::make_unique<PhysicsWorld>();
        physics->initPhysics();

        std::vector<CountingBody*> bodies;
        CaptureStdout();
        for (const char* name : {"Floor", "dynamicA", "dynamic_winB"}) {
            const btScalar mass = isDynamicName(name) ? 1.0f : 0.0f;
            auto* shape = new CountingShape();
            btVector3 inertia(0, 0, 0);
            if (mass > 0)
                shape->calculateLocalInertia(mass, inertia);
            auto* state = new CountingMotionState();
            auto* body = new CountingBody(btRigidBody::btRigidBodyConstructionInfo(mass, state, shape, inertia), name);
            physics->addBody(body, name);
            bodies.push_back(body);
        }
        GetCapturedStdout();

        // A replacement shape handed over, plus hand-overs that must be ignored.
        auto* replacement = new CountingShape();
        bodies[1]->setCollisionShape(replacement);
        physics->adoptShape(replacement);
        physics->adoptShape(replacement);
        physics->adoptShape(physics->collisionShapes[0]);
        physics->adoptShape(nullptr);

        physics->stepSimulation(0.1);
        if (explicitExit) {
            physics->exitPhysics();
            EXPECT_EQ(physics->dynamicsWorld, nullptr);
            EXPECT_EQ(physics->collisionShapes.size(), 0);
            EXPECT_EQ(destroyedBodies, 3);
            physics->exitPhysics();
        }
        physics.reset();
        EXPECT_EQ(destroyedBodies, 3);
        EXPECT_EQ(destroyedStates, 3);
        EXPECT_EQ(destroyedShapes, 4);
    }
}

} // namespace
