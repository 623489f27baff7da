#include "physics/BodyNames.h"
#include "physics/ContactCollector.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

// A square in the plane y = 0 and, with a height, a lid above it: a hull of
// that is a box, a tree two squares. Three corners a triangle.
std::vector<glm::vec3> mesh(float half, float height = 0.0f)
{
    std::vector<glm::vec3> corners;
    for (float y : {0.0f, height}) {
        corners.insert(corners.end(), {{-half, y, -half}, {half, y, half}, {half, y, -half}});
        corners.insert(corners.end(), {{-half, y, half}, {-half, y, -half}, {half, y, half}});
        if (height == 0.0f)
            break;
    }
    return corners;
}

glm::mat4 at(float x, float y, float z) { return glm::translate(glm::mat4(1.0f), {x, y, z}); }

// The larger of the body's distance and its drawn (motion state) distance from `where`.
float distanceTo(const btRigidBody* body, const btVector3& where)
{
    btTransform drawn;
    body->getMotionState()->getWorldTransform(drawn);
    return std::max(body->getWorldTransform().getOrigin().distance(where), drawn.getOrigin().distance(where));
}

bool in(const std::vector<btRigidBody*>& list, const btRigidBody* body)
{
    return std::find(list.begin(), list.end(), body) != list.end();
}

class PhysicsTest : public testing::Test {
protected:
    RigidBody* create(const std::vector<glm::vec3>& corners, const glm::mat4& matrix, const std::string& name)
    {
        CaptureStdout();
        RigidBody* body = physics.addMeshBody(corners, matrix, isDynamicName(name) ? 1 : 0, name);
        printed = GetCapturedStdout();
        return body;
    }

    PhysicsWorld physics;
    std::string printed; // by the last create
};

TEST_F(PhysicsTest, NamesDecideTheListsAndThePrintedLines)
{
    const struct {
        const char* name;
        const char* lists; // w(in), l(oose), f(loor), d(ynamic)
        const char* secondLine;
    } rows[] = {
        {"Floor_win", "wf", "ADDED TO FLOOR: Floor_win\n"},
        {"window3", "w", ""},
        {"floor2", "", ""},
        {"Floo", "", ""},
        {"dynamic", "d", "ADDED TO dynamic: dynamic\n"},
        {"crate_dynamicFloor", "", ""},
        {"lavaloose", "l", ""},
        {"dynamicloosewin", "wld", "ADDED TO dynamic: dynamicloosewin\n"},
        {"Win", "", ""},
    };
    for (const auto& row : rows) {
        const RigidBody* body = create(mesh(1.0f, 1.0f), glm::mat4(1.0f), row.name);
        const BodyLists& l = physics.lists();
        const std::string lists = std::string(in(l.win, body) ? "w" : "") + (in(l.loose, body) ? "l" : "") +
                                  (in(l.floor, body) ? "f" : "") + (in(l.dynamic, body) ? "d" : "");
        EXPECT_EQ(lists, row.lists) << row.name;
        EXPECT_EQ(printed, std::string(row.name) + "\n" + row.secondLine);
    }
}

// Mass 1 gets a scaled convex hull, mass 0 a scaled tree; no triangles an
// empty shape either way. The start is the matrix without its scale.
TEST_F(PhysicsTest, ImportedBodiesGetTheirShapeScaleAndPlace)
{
    const glm::mat4 matrix = glm::scale(glm::rotate(at(3, 4, -5), 0.6f, {0, 1, 0}), {2, 3, 0.5f});
    const struct {
        const char* name;
        bool triangles;
        int shapeType;
    } rows[] = {
        {"dynamicBox", true, CONVEX_TRIANGLEMESH_SHAPE_PROXYTYPE},
        {"Floor", true, SCALED_TRIANGLE_MESH_SHAPE_PROXYTYPE},
        {"dynamicNothing", false, EMPTY_SHAPE_PROXYTYPE},
        {"Floor_nothing", false, EMPTY_SHAPE_PROXYTYPE},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RigidBody* body = create(row.triangles ? mesh(1.0f, 2.0f) : std::vector<glm::vec3>(), matrix, row.name);
        EXPECT_EQ(body->getCollisionShape()->getShapeType(), row.shapeType);
        EXPECT_LT(body->getCollisionShape()->getLocalScaling().distance(btVector3(2, 3, 0.5f)), 1e-5f);
        btVector3 low, high; // scaled once: 2 units of height become 6
        body->getAabb(low, high);
        EXPECT_NEAR(high.y() - low.y(), row.triangles ? 6.0f : 0.0f, 0.25f);
        EXPECT_LT(distanceTo(body, btVector3(3, 4, -5)), 1e-5f);
        EXPECT_NEAR(std::fabs(body->getOrientation().dot(btQuaternion(btVector3(0, 1, 0), 0.6f))), 1.0f, 1e-5f);
        EXPECT_EQ(body->isStaticObject(), !isDynamicName(row.name));
        EXPECT_EQ(body->getLocalInertia().isZero(), !isDynamicName(row.name) || !row.triangles);
    }
    physics.stepSimulation(0.5);
}

// A reset puts the body back with no motion left, and a frame too short for a
// sub-step must not interpolate it back to where it was. A body put back in
// mid-air falls even if it had fallen asleep.
TEST_F(PhysicsTest, ResetPutsTheBodyBackAwakeAndStill)
{
    create(mesh(20.0f), glm::mat4(1.0f), "Floor");
    RigidBody* body = create(mesh(1.0f, 2.0f), at(2, 0, -1), "dynamicCrate");
    body->applyCentralImpulse(btVector3(4, 2, 0));
    for (int i = 0; i < 40; ++i)
        physics.stepSimulation(1.0 / 60.0);
    body->applyCentralForce(btVector3(0, 0, 50));
    ASSERT_GT(distanceTo(body, btVector3(2, 0, -1)), 0.5f);

    bool outsideTheWorld = false;
    CaptureStdout();
    physics.resetBody(*body, at(2, 0, -1), [&] { outsideTheWorld = !body->isInWorld(); });
    EXPECT_EQ(GetCapturedStdout(), "") << "registered again";
    EXPECT_TRUE(outsideTheWorld && body->isInWorld());
    EXPECT_EQ(physics.bodyCount(), 2);
    EXPECT_TRUE(body->getLinearVelocity().isZero() && body->getTotalForce().isZero());
    physics.stepSimulation(0.005);
    EXPECT_LT(distanceTo(body, btVector3(2, 0, -1)), 1e-5f);

    for (int i = 0; i < 300; ++i)
        physics.stepSimulation(1.0 / 60.0);
    ASSERT_EQ(body->getActivationState(), ISLAND_SLEEPING);
    physics.resetBody(*body, at(0, 8, 0));
    physics.stepSimulation(0.5);
    EXPECT_LT(body->getLinearVelocity().y(), -1.0f);
}

// The player's contact check: any contact within 2 cm grounds, win and lose
// bodies raise their pictures only when they touch, and each contact point with a body of the
// dynamic list prints a line (a box under the capsule gives four). The
// player's own name puts it in the win and dynamic lists: it must never find itself.
TEST_F(PhysicsTest, PlayerContactsFollowTheListsAndSkipThePlayer)
{
    create(mesh(10.0f), glm::mat4(1.0f), "Floor");
    create(mesh(1.0f, 2.0f), at(5, 0, 0), "dynamicCrate");
    create(mesh(1.0f, 2.0f), at(30, 0, 0), "winFlag");
    create(mesh(1.0f, 2.0f), at(30, 0, 1.5f), "looseLava");
    create(mesh(1.0f, 2.0f), at(50, 0, 0), "looseLava2");
    create(mesh(2.0f), at(70, 0, 0), "Floor_win");
    create(mesh(1.0f, 2.0f), at(90, 0, 0), "dynamicwinBox"); // a hull: it has sides
    RigidBody* player = create(mesh(0.5f, 2.0f), at(0, 100, 0), "dynamic_winner");
    physics.useCapsule(*player, 0.5f, 1.0f, btVector3(1, 1, 1)); // as the player replaces its shape

    const struct {
        const char* label;
        btVector3 where;
        bool grounded, win, gameOver;
        int lines;
    } rows[] = {
        {"on the floor", {0, 0.95f, 0}, true, false, false, 0},
        {"1 cm above the floor", {0, 1.01f, 0}, true, false, false, 0},
        {"on the floor pushing a crate", {3.6f, 0.95f, 0}, true, false, false, 0},
        {"on a crate only", {5, 2.95f, 0}, true, false, false, 4},
        {"on a win and a lose body", {30, 2.95f, 0.75f}, true, true, false, 0},
        {"on a lose body", {50, 2.95f, 0}, true, false, true, 0},
        {"on a floor that is a win body", {70, 0.95f, 0}, true, true, false, 0},
        {"1 cm above a win body", {70, 1.01f, 0}, true, false, false, 0},
        {"a hair off a win box's side, pressed against it", {88.445f, 1, 0}, true, true, false, 0},
        {"1 cm above a lose body", {50, 3.01f, 0}, true, false, false, 0},
        {"3 cm above the floor", {0, 1.03f, 0}, false, false, false, 0},
        {"touches nothing", {0, 50, 0}, false, false, false, 0},
    };
    for (const auto& row : rows) {
        player->setWorldTransform(btTransform(btQuaternion::getIdentity(), row.where));
        CaptureStdout();
        const PlayerContacts found = physics.findPlayerContacts(player);
        std::string lines;
        for (int i = 0; i < row.lines; ++i)
            lines += "COLLISION WITH DYNAMIC\n";
        EXPECT_EQ(GetCapturedStdout(), lines) << row.label;
        EXPECT_EQ(found.grounded, row.grounded) << row.label;
        EXPECT_EQ(found.win, row.win) << row.label;
        EXPECT_EQ(found.gameOver, row.gameOver) << row.label;
    }
    physics.setContactLines(false); // --quiet: the check on the crate prints nothing
    player->setWorldTransform(btTransform(btQuaternion::getIdentity(), btVector3(5, 2.95f, 0)));
    CaptureStdout();
    EXPECT_TRUE(physics.findPlayerContacts(player).grounded);
    EXPECT_EQ(GetCapturedStdout(), "");
}

} // namespace

// Bullet's contact-added hook serves every world: a new level's world made
// before the old one goes keeps it (without it, bodies hop over the seams of
// triangle meshes), and the last world gives back what was there before.
TEST(PhysicsWorlds, TheEdgeContactHookLastsWhileAnyWorldLives)
{
    const ContactAddedCallback before = gContactAddedCallback;
    auto first = std::make_unique<PhysicsWorld>();
    const ContactAddedCallback ours = gContactAddedCallback;
    ASSERT_NE(ours, before);
    auto second = std::make_unique<PhysicsWorld>();
    first.reset();
    EXPECT_EQ(gContactAddedCallback, ours) << "the level played after the first";
    second.reset();
    EXPECT_EQ(gContactAddedCallback, before);
}
