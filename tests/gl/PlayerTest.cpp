#include "scene/PlayerObject.h"

#include "physics/BulletMath.h"
#include "physics/RigidBody.h"
#include "scene/Level.h"
#include "scene/Light.h"

#include "SceneWorld.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

constexpr double frameTime = 1.0 / 60.0;

struct CountingCallback : btCollisionWorld::ContactResultCallback {
    btScalar addSingleResult(btManifoldPoint&, const btCollisionObjectWrapper*, int, int,
                             const btCollisionObjectWrapper*, int, int) override
    {
        ++points;
        return 0.0f;
    }
    int points = 0;
};

glm::vec2 horizontal(const glm::vec3& v) { return {v.x, v.z}; }

class PlayerTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        world = std::make_unique<SceneWorld>(window);
    }
    void TearDown() override { world.reset(); }

    // A 30 × 30 floor with its top at y = 0 and the player standing on it.
    PlayerObject* playerOnFloor(const std::string& floorName = "Floor1")
    {
        world->addBox(floorName, {0, -0.5f, 0}, {15, 0.5f, 15}, 0);
        PlayerObject* p = world->addPlayer({0, 1.0f, 0});
        world->frames(60);
        return p;
    }

    // The physics step alone, then the player's update: the velocity read in
    // between is what the update started from.
    glm::vec3 stepOnly()
    {
        world->physics->stepSimulation(frameTime);
        return world->velocity();
    }

    // Frames until one whose contact check finds the ground: a player placed
    // just above the floor takes a frame or two to settle on it.
    bool groundedFrame()
    {
        for (int i = 0; i < 5; ++i) {
            world->frame();
            if (world->player->grounded)
                return true;
        }
        return false;
    }

    std::unique_ptr<SceneWorld> world;
};

TEST_F(PlayerTest, CapsuleStandsGroundedOnAFloorAndCameraAndModelFollow)
{
    PlayerObject* p = world->addPlayer({0, 5, 0});
    EXPECT_TRUE(p->firstMouse);
    auto* capsule = dynamic_cast<btCapsuleShape*>(p->rigidBody->getCollisionShape());
    ASSERT_NE(capsule, nullptr);
    EXPECT_EQ(p->collisionShape, capsule);
    EXPECT_EQ(capsule->getUpAxis(), 1);
    EXPECT_FLOAT_EQ(capsule->getLocalScaling().x(), 0.5f);
    EXPECT_FLOAT_EQ(capsule->getLocalScaling().y(), 0.5f);
    // Bullet reports the scaled dimensions: radius × x scaling, half height × y scaling.
    EXPECT_FLOAT_EQ(capsule->getRadius(), 0.5f * 0.5f * p->boundingSphere.radius);
    EXPECT_FLOAT_EQ(capsule->getHalfHeight(), 0.5f * 0.5f * 1.8f);
    EXPECT_FLOAT_EQ(p->rigidBody->getInvMass(), 1.0f);

    world->addBox("Floor1", {0, -0.5f, 0}, {15, 0.5f, 15}, 0);
    world->frames(90);
    EXPECT_EQ(p->rigidBody->getAngularFactor(), btVector3(0, 0, 0)) << "the capsule never tips over";
    EXPECT_TRUE(p->grounded);
    const glm::vec3 at = world->position();
    EXPECT_NEAR(at.y, capsule->getHalfHeight() + capsule->getRadius(), 0.05f) << "resting on y = 0";
    EXPECT_FLOAT_EQ(p->camera->position.y, at.y + 1.3f);
    EXPECT_FLOAT_EQ(p->camera->position.x, at.x);
    EXPECT_FLOAT_EQ(p->modelMatrix[3][1], at.y);
    EXPECT_FLOAT_EQ(p->maxScale, 0.5f);
    EXPECT_FLOAT_EQ(glm::length(glm::vec3(p->modelMatrix[0])), 0.5f);
}

TEST_F(PlayerTest, WalksAtFiveAlongTheCameraHeading)
{
    PlayerObject* p = playerOnFloor();
    p->camera->horizontalAngle = 0.7f;
    const glm::vec3 forward(std::sin(0.7f), 0.0f, std::cos(0.7f));
    world->input.hold({GLFW_KEY_W});
    ASSERT_TRUE(groundedFrame());
    const glm::vec3 set = world->velocity();
    EXPECT_NEAR(set.x, 5.0f * forward.x, 0.01f);
    EXPECT_EQ(set.y, 0.0f) << "walking zeroes the vertical speed";
    EXPECT_NEAR(set.z, 5.0f * forward.z, 0.01f);

    // The solver holds the walking capsule at about zero distance from the
    // floor, now and then a hair above it: the contact check's small margin
    // must still count every frame as grounded.
    const glm::vec3 start = world->position();
    int airborne = 0;
    for (int i = 0; i < 60; ++i) {
        world->frame();
        airborne += p->grounded ? 0 : 1;
    }
    const glm::vec3 moved = world->position() - start;
    const float along = glm::dot(moved, forward);
    EXPECT_GT(along, 4.8f) << "one second of walking";
    EXPECT_LT(along, 5.05f);
    EXPECT_LT(std::fabs(glm::dot(moved, glm::vec3(forward.z, 0, -forward.x))), 0.05f);
    EXPECT_LT(std::fabs(moved.y), 0.05f);
    EXPECT_EQ(airborne, 0) << "grounded in every frame of the walk";
}

TEST_F(PlayerTest, KeyCombinationsPickTheirMovement)
{
    playerOnFloor();
    // Heading 0 looks along +z; right is -x.
    const glm::vec2 f(0, 1), r(-1, 0);
    struct Row {
        const char* name;
        std::initializer_list<int> keys;
        glm::vec2 direction;
    };
    const Row rows[] = {
        {"W", {GLFW_KEY_W}, f},
        {"S", {GLFW_KEY_S}, -f},
        {"A", {GLFW_KEY_A}, -r},
        {"D", {GLFW_KEY_D}, r},
        {"W and D", {GLFW_KEY_W, GLFW_KEY_D}, f + r},
        {"W and A", {GLFW_KEY_W, GLFW_KEY_A}, f - r},
        {"W and S go forward", {GLFW_KEY_W, GLFW_KEY_S}, f},
        {"A and D go left", {GLFW_KEY_A, GLFW_KEY_D}, -r},
        {"S and A go left", {GLFW_KEY_S, GLFW_KEY_A}, -r},
        {"S and D go back", {GLFW_KEY_S, GLFW_KEY_D}, -f},
        {"W, A and D go forward left", {GLFW_KEY_W, GLFW_KEY_A, GLFW_KEY_D}, f - r},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        world->input.hold(row.keys);
        ASSERT_TRUE(groundedFrame());
        const glm::vec2 v = horizontal(world->velocity());
        EXPECT_NEAR(v.x, 5.0f * row.direction.x, 0.01f);
        EXPECT_NEAR(v.y, 5.0f * row.direction.y, 0.01f);
    }
    world->input.hold({GLFW_KEY_W, GLFW_KEY_D});
    ASSERT_TRUE(groundedFrame());
    EXPECT_NEAR(glm::length(horizontal(world->velocity())), 5.0f * std::sqrt(2.0f), 0.01f)
        << "diagonals are not normalised";
}

TEST_F(PlayerTest, NoKeyOnTheGroundStopsTheSlide)
{
    PlayerObject* p = playerOnFloor();
    world->input.hold({GLFW_KEY_W});
    world->frames(30);
    ASSERT_GT(glm::length(horizontal(world->velocity())), 4.0f);
    EXPECT_FLOAT_EQ(p->rigidBody->getLinearDamping(), 0.0f);

    world->input.hold({});
    world->frame();
    EXPECT_FALSE(p->moving);
    EXPECT_FLOAT_EQ(p->rigidBody->getLinearDamping(), 1.0f);
    world->frames(3);
    EXPECT_LT(glm::length(horizontal(world->velocity())), 1e-3f);
}

TEST_F(PlayerTest, UnlistedGroundAllowsNeitherWalkingNorJumping)
{
    world->addBox("ground", {0, -0.5f, 0}, {15, 0.5f, 15}, 0);
    PlayerObject* p = world->addPlayer({0, 1.0f, 0});
    world->frames(60);
    const glm::vec3 start = world->position();
    world->input.hold({GLFW_KEY_W, GLFW_KEY_SPACE});
    float highest = -1.0f;
    for (int i = 0; i < 60; ++i) {
        world->frame();
        EXPECT_FALSE(p->grounded);
        highest = std::max(highest, world->velocity().y);
    }
    EXPECT_LT(glm::length(horizontal(world->position() - start)), 0.01f);
    EXPECT_LT(highest, 0.1f);
    EXPECT_FLOAT_EQ(p->rigidBody->getLinearDamping(), 0.0f) << "airborne damping";
}

TEST_F(PlayerTest, JumpAddsSixUnlessAlreadyRisingAtOne)
{
    PlayerObject* p = playerOnFloor();
    world->input.hold({GLFW_KEY_SPACE});
    const struct {
        float before;
        float after;
    } rows[] = {{0.0f, 6.0f}, {0.5f, 6.5f}, {0.99f, 6.99f}, {1.0f, 1.0f}, {3.0f, 3.0f}, {-2.0f, 4.0f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.before);
        p->rigidBody->setLinearVelocity(btVector3(0, row.before, 0));
        p->update(frameTime);
        ASSERT_TRUE(p->grounded);
        EXPECT_FLOAT_EQ(world->velocity().y, row.after);
    }
}

TEST_F(PlayerTest, HoldingSpaceWhileWalkingNeverBuildsAboveSix)
{
    PlayerObject* p = playerOnFloor();
    world->input.hold({GLFW_KEY_W, GLFW_KEY_SPACE});
    float highest = 0.0f;
    int jumps = 0;
    bool wasGrounded = true;
    for (int i = 0; i < 240; ++i) {
        world->frame();
        highest = std::max(highest, world->velocity().y);
        if (!p->grounded && wasGrounded)
            ++jumps;
        wasGrounded = p->grounded;
        EXPECT_FALSE(p->airControl) << "a jump while walking gives no air control";
    }
    EXPECT_LE(highest, 6.0f + 1e-4f);
    EXPECT_GE(highest, 5.9f);
    EXPECT_GE(jumps, 2);
}

TEST_F(PlayerTest, StandingJumpGivesOneAirSteerThatKeepsTheVerticalSpeed)
{
    PlayerObject* p = playerOnFloor();
    world->input.hold({GLFW_KEY_SPACE});
    world->frame();
    EXPECT_TRUE(p->airControl);
    // Keep space down until the contact check lets go; a held space never jumps twice.
    int frames = 0;
    while (p->grounded && frames++ < 20)
        world->frame();
    ASSERT_FALSE(p->grounded);
    ASSERT_GT(world->velocity().y, 3.0f);
    // Without a movement key the steer is kept.
    world->input.hold({});
    world->frame();
    ASSERT_TRUE(p->airControl);
    EXPECT_FALSE(p->moving);

    world->input.hold({GLFW_KEY_W});
    const glm::vec3 before = stepOnly();
    p->update(frameTime);
    const glm::vec3 steered = world->velocity();
    EXPECT_NEAR(steered.z, 1.5f, 1e-3f) << "forward at 0.3 × 5";
    EXPECT_NEAR(steered.x, 0.0f, 1e-2f);
    EXPECT_EQ(steered.y, before.y);
    EXPECT_FALSE(p->airControl);
    EXPECT_FLOAT_EQ(moveSpeed, 1.5f);

    // Further keys in the air change nothing.
    world->input.hold({GLFW_KEY_D});
    const glm::vec3 drift = stepOnly();
    p->update(frameTime);
    EXPECT_EQ(horizontal(world->velocity()), horizontal(drift));
    EXPECT_FLOAT_EQ(moveSpeed, 5.0f);
}

TEST_F(PlayerTest, LoseContactShowsGameOverAndWinWithLoseInOneFrameShowsWin)
{
    PlayerObject* p = playerOnFloor();
    const glm::vec3 at = world->position();
    world->addBox("loose_pad", at + glm::vec3(-0.3f, 0, 0), {0.2f, 0.2f, 0.2f}, 0);
    p->update(frameTime);
    EXPECT_TRUE(p->contacts.gameOver);
    EXPECT_FALSE(p->contacts.win);

    world->addBox("win_pad", at + glm::vec3(0.3f, 0, 0), {0.2f, 0.2f, 0.2f}, 0);
    p->update(frameTime);
    EXPECT_TRUE(p->contacts.win);
    EXPECT_FALSE(p->contacts.gameOver);
    EXPECT_TRUE(p->grounded);
}

TEST_F(PlayerTest, FloorContactEndsTheCheckBeforeTheDynamicListAndTheBoxIsPushed)
{
    PlayerObject* p = playerOnFloor();
    ImportObject* floor = world->objects.front();
    ImportObject* crate = world->addBox("dynamicCrate", {0, 0.5f, 1.5f}, {0.5f, 0.5f, 0.5f}, 1);
    world->frames(10);
    btTransform start;
    crate->rigidBody->getMotionState()->getWorldTransform(start);

    world->input.hold({GLFW_KEY_W});
    int touchingBoth = 0;
    for (int i = 0; i < 60; ++i) {
        world->physics->stepSimulation(frameTime);
        CountingCallback floorPoints, cratePoints;
        world->physics->dynamicsWorld->contactPairTest(p->rigidBody, floor->rigidBody, floorPoints);
        world->physics->dynamicsWorld->contactPairTest(p->rigidBody, crate->rigidBody, cratePoints);
        CaptureStdout();
        p->update(frameTime);
        const std::string printed = GetCapturedStdout();
        if (floorPoints.points > 0) {
            EXPECT_TRUE(p->grounded);
            EXPECT_EQ(printed.find("COLLISION WITH DYNAMIC"), std::string::npos) << "frame " << i;
            touchingBoth += cratePoints.points > 0 ? 1 : 0;
        }
    }
    EXPECT_GT(touchingBoth, 10) << "the player pushed the crate while on the floor";

    btTransform end;
    crate->rigidBody->getMotionState()->getWorldTransform(end);
    EXPECT_GT(end.getOrigin().z() - start.getOrigin().z(), 1.0f) << "walking into the crate pushes it";
}

TEST_F(PlayerTest, MouseTurnsOnlyWhenFocusedAndNotOnTheFirstFrame)
{
    PlayerObject* p = playerOnFloor();
    // Unfocused: no turn and the cursor is left alone.
    world->input.focus = false;
    world->input.cursor = {100.0, 50.0};
    world->frame();
    EXPECT_EQ(p->camera->horizontalAngle, 0.0f);
    EXPECT_EQ(world->input.cursorSets, 0);
    EXPECT_TRUE(p->firstMouse);

    // First focused frame: centres the cursor, ignores where it was.
    world->input.focus = true;
    world->frame();
    EXPECT_EQ(p->camera->horizontalAngle, 0.0f);
    EXPECT_EQ(p->camera->verticalAngle, 0.0f);
    EXPECT_FALSE(p->firstMouse);
    EXPECT_EQ(world->input.cursor, glm::dvec2(320.0, 180.0));

    // 6 pixels right and 3 up: yaw falls by dt per pixel, pitch rises.
    world->input.cursor = {326.0, 177.0};
    world->frame();
    EXPECT_FLOAT_EQ(p->camera->horizontalAngle, static_cast<float>(frameTime) * -6.0f);
    EXPECT_FLOAT_EQ(p->camera->verticalAngle, static_cast<float>(frameTime) * 3.0f);
    EXPECT_EQ(world->input.cursor, glm::dvec2(320.0, 180.0));

    // Pitch stops at ±1 (after the wrap: a move of more than 2π worth wraps first).
    world->input.cursor = {320.0, 100.0};
    world->frame();
    EXPECT_EQ(p->camera->verticalAngle, 1.0f);
    world->input.cursor = {320.0, 330.0};
    world->frame();
    EXPECT_EQ(p->camera->verticalAngle, -1.0f);

    // Yaw wraps by fmod and keeps its sign.
    const float before = p->camera->horizontalAngle;
    world->input.cursor = {320.0 + 400.0, 180.0};
    world->frame();
    const float yaw = p->camera->horizontalAngle;
    EXPECT_NEAR(yaw, std::fmod(before - 400.0f * static_cast<float>(frameTime), 6.2831853f), 1e-5f);
    EXPECT_LT(yaw, 0.0f);
    EXPECT_GT(yaw, -6.2831853f);
}

TEST_F(PlayerTest, HeadingErrorNearAQuarterTurnGivesAFiniteTurnRate)
{
    world->addBox("Floor1", {0, -0.5f, 0}, {15, 0.5f, 15}, 0);
    // An imported orientation other than the identity brings the rounding that
    // pushes the sine of a quarter-turn error past 1.
    const float beta = -3.0f;
    PlayerObject* p = world->addPlayer({0, 1.0f, 0}, {0.5f, 0.9f, 0.5f},
                                       glm::rotate(glm::mat4(1.0f), beta, glm::vec3(0, 1, 0)));
    btTransform transform;
    p->rigidBody->getMotionState()->getWorldTransform(transform);
    const glm::quat current = toGlm(transform.getRotation());

    // Find a heading whose error sine rounds beyond ±1, as the player computes it.
    float chosen = 0.0f;
    float sine = 0.0f;
    for (float quarter : {1.5707964f, -1.5707964f}) {
        float h = quarter;
        for (int i = 0; i < 64; ++i)
            h = std::nextafter(h, -10.0f);
        for (int i = 0; i < 128 && chosen == 0.0f; ++i, h = std::nextafter(h, 10.0f)) {
            const glm::quat yaw(std::cos(h / 2.0f), 0.0f, std::sin(h / 2.0f), 0.0f);
            const glm::quat e = (yaw * p->orientation) * glm::conjugate(current);
            const float s = -2.0f * (e.x * e.z - e.w * e.y);
            if (std::fabs(s) > 1.0f) {
                chosen = h;
                sine = s;
            }
        }
    }
    ASSERT_NE(chosen, 0.0f) << "no heading near a quarter turn rounds past 1";

    p->camera->horizontalAngle = chosen;
    p->update(frameTime);
    const btVector3 w = p->rigidBody->getAngularVelocity();
    ASSERT_TRUE(std::isfinite(w.y())) << "sine " << sine;
    EXPECT_NEAR(std::fabs(w.y()), 10.0f * 1.5707964f, 1e-3f);
    EXPECT_EQ(w.x(), 0.0f);
    EXPECT_EQ(w.z(), 0.0f);
}

TEST_F(PlayerTest, TurnsTheBodyTowardsTheCameraHeading)
{
    PlayerObject* p = playerOnFloor();
    p->camera->horizontalAngle = 0.5f;
    world->frames(120);
    btTransform transform;
    p->rigidBody->getMotionState()->getWorldTransform(transform);
    const glm::quat q = toGlm(transform.getRotation());
    const glm::vec3 facing = glm::mat3_cast(q) * glm::vec3(0, 0, 1);
    EXPECT_NEAR(std::atan2(facing.x, facing.z), 0.5f, 0.02f);
}

TEST_F(PlayerTest, ResetPutsPlayerAndCameraBack)
{
    PlayerObject* p = playerOnFloor();
    p->camera->horizontalAngle = 1.0f;
    p->camera->verticalAngle = -0.5f;
    world->input.hold({GLFW_KEY_W, GLFW_KEY_D});
    world->frames(40);
    ASSERT_GT(glm::length(world->position() - glm::vec3(0, 1, 0)), 2.0f);
    p->firstMouse = false;

    p->reset();
    EXPECT_EQ(world->position(), glm::vec3(0, 1, 0));
    EXPECT_EQ(world->velocity(), glm::vec3(0.0f));
    EXPECT_EQ(p->rigidBody->getAngularVelocity(), btVector3(0, 0, 0));
    EXPECT_EQ(p->camera->horizontalAngle, 0.0f);
    EXPECT_EQ(p->camera->verticalAngle, 0.0f);
    EXPECT_FALSE(p->firstMouse) << "reset leaves the mouse state alone";
    EXPECT_TRUE(p->rigidBody->isInWorld());

    world->input.hold({});
    p->update(frameTime);
    EXPECT_FLOAT_EQ(p->camera->position.y, 2.3f);
}

TEST_F(PlayerTest, LevelUpdateHangsTheLastLightBehindTheCamera)
{
    PlayerObject* p = playerOnFloor();
    Light fileLight({1, 2, 3}, {1, 1, 1}, 10.0f);
    Light a({4, 4, 4}, {1, 1, 1}, 2.0f);
    // The level owns the player now; the floor stays the world's.
    world->objects.erase(std::remove(world->objects.begin(), world->objects.end(), p), world->objects.end());
    auto level = std::make_unique<Level>(glm::mat4(1.0f), &world->phong, std::vector<ImportObject*>{p},
                                         std::vector<Light*>{&fileLight}, std::vector<Material*>{}, p);
    level->addLight(&a);
    p->camera->horizontalAngle = 0.4f;
    world->physics->stepSimulation(frameTime);
    level->update(frameTime);
    const Camera& camera = *p->camera;
    EXPECT_EQ(a.position, camera.position - camera.direction + glm::vec3(0, 1, 0));
    EXPECT_EQ(fileLight.position, glm::vec3(1, 2, 3));
    EXPECT_NEAR(camera.direction.x, std::sin(0.4f), 1e-6f) << "the camera was updated first";
    level.reset(); // deletes the player with its camera
}

} // namespace
