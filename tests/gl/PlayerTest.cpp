// The player in a small real world: a 30 × 30 floor whose top is y = 0.

#include "Fixture.h"

#include "physics/BulletMath.h"

#include <cmath>

namespace {

constexpr double frameTime = 1.0 / 60.0;

glm::vec3 velocity(const PlayerObject* p) { return toVec(p->rigidBody->getLinearVelocity()); }

class PlayerTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        world = std::make_unique<SceneWorld>(window);
    }
    void TearDown() override { world.reset(); }

    PlayerObject* playerOnFloor(const std::string& floorName = "Floor1", const glm::mat4& turn = glm::mat4(1.0f))
    {
        world->addBox(floorName, {0, -0.5f, 0}, {15, 0.5f, 15}, 0);
        p = world->addPlayer({0, 1.0f, 0}, turn);
        world->frames(60);
        return p;
    }
    // Frames until the contact check finds the ground (a frame or two after a jump).
    bool groundedFrame()
    {
        for (int i = 0; i < 5; ++i)
            if (world->frames(), p->grounded)
                return true;
        return false;
    }
    // The physics step alone: the velocity the next update starts from.
    glm::vec3 stepOnly() { return world->physics->stepSimulation(frameTime), velocity(p); }

    std::unique_ptr<SceneWorld> world;
    PlayerObject* p = nullptr;
};

// The solver holds a walking capsule a hair above the floor: the contact
// check's margin must still count every frame as grounded.
TEST_F(PlayerTest, WalksAtFiveAlongTheHeadingGroundedInEveryFrame)
{
    playerOnFloor();
    const float rest = positionOf(p->rigidBody).y;
    EXPECT_NEAR(rest, 0.5f * 0.5f * (1.8f + p->boundingSphere.radius), 0.05f) << "a capsule scaled by a half";
    p->camera->horizontalAngle = 0.7f;
    const glm::vec3 forward(std::sin(0.7f), 0.0f, std::cos(0.7f));
    world->input.pressed = {GLFW_KEY_W};
    const glm::vec3 start = positionOf(p->rigidBody);
    int airborne = 0;
    for (int i = 0; i < 60; ++i) {
        world->frames();
        airborne += p->grounded ? 0 : 1;
    }
    EXPECT_EQ(airborne, 0);
    EXPECT_NEAR(glm::dot(velocity(p), forward), 5.0f, 0.01f);
    const glm::vec3 moved = positionOf(p->rigidBody) - start;
    EXPECT_NEAR(glm::dot(moved, forward), 4.9f, 0.15f);
    EXPECT_LT(glm::length(moved - forward * glm::dot(moved, forward)), 0.05f);
    EXPECT_FLOAT_EQ(p->camera->position.y, positionOf(p->rigidBody).y + 1.3f);
    // The body turns after the camera's heading and never tips over.
    btQuaternion q = p->rigidBody->getWorldTransform().getRotation();
    const glm::vec3 facing = glm::mat3_cast(toGlm(q)) * glm::vec3(0, 0, 1);
    EXPECT_NEAR(std::atan2(facing.x, facing.z), 0.7f, 0.02f);
    EXPECT_NEAR(facing.y, 0.0f, 1e-4f);
}

TEST_F(PlayerTest, KeyCombinationsPickTheirMovementAndNoKeyStops)
{
    playerOnFloor();
    const glm::vec2 f(0, 1), r(-1, 0); // heading 0 looks along +z; right is -x
    const struct {
        std::set<int> keys;
        glm::vec2 direction;
    } rows[] = {
        {{GLFW_KEY_W}, f},           {{GLFW_KEY_S}, -f},          {{GLFW_KEY_A}, -r},
        {{GLFW_KEY_D}, r},           {{GLFW_KEY_W, GLFW_KEY_D}, f + r}, {{GLFW_KEY_W, GLFW_KEY_A}, f - r},
        {{GLFW_KEY_W, GLFW_KEY_S}, f}, {{GLFW_KEY_A, GLFW_KEY_D}, -r},  {{GLFW_KEY_S, GLFW_KEY_A}, -r},
        {{GLFW_KEY_S, GLFW_KEY_D}, -f}, {{GLFW_KEY_W, GLFW_KEY_A, GLFW_KEY_D}, f - r}, {{}, {0, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.keys));
        world->input.pressed = row.keys;
        ASSERT_TRUE(groundedFrame());
        world->frames(2); // no key: damped to a stop at the next step
        EXPECT_NEAR(velocity(p).x, 5.0f * row.direction.x, 0.01f);
        EXPECT_NEAR(velocity(p).z, 5.0f * row.direction.y, 0.01f);
        EXPECT_EQ(row.keys.empty() ? 0.0f : velocity(p).y, 0.0f) << "walking zeroes the vertical speed";
    }
}

TEST_F(PlayerTest, JumpAddsSixUnlessAlreadyRisingAtOne)
{
    playerOnFloor();
    world->input.pressed = {GLFW_KEY_SPACE};
    const float rows[][2] = {{0.0f, 6.0f}, {0.99f, 6.99f}, {1.0f, 1.0f}, {3.0f, 3.0f}, {-2.0f, 4.0f}};
    for (const auto& [before, after] : rows) {
        p->rigidBody->setLinearVelocity(btVector3(0, before, 0));
        p->update(frameTime);
        ASSERT_TRUE(p->grounded);
        EXPECT_FLOAT_EQ(velocity(p).y, after) << before;
    }
}

// A standing jump leaves one steer in the air at 0.3 × 5 that keeps the
// vertical speed.
TEST_F(PlayerTest, StandingJumpGivesOneAirSteer)
{
    playerOnFloor();
    world->input.pressed = {GLFW_KEY_SPACE};
    world->frames();
    EXPECT_TRUE(p->airControl);
    for (int frames = 0; p->grounded && frames < 20; ++frames)
        world->frames();
    ASSERT_FALSE(p->grounded);
    world->input.pressed = {GLFW_KEY_W};
    const glm::vec3 before = stepOnly();
    p->update(frameTime);
    EXPECT_NEAR(velocity(p).z, 1.5f, 1e-3f);
    EXPECT_EQ(velocity(p).y, before.y);
    EXPECT_FALSE(p->airControl);
    world->input.pressed = {GLFW_KEY_D}; // further keys in the air change nothing
    const glm::vec3 drift = stepOnly();
    p->update(frameTime);
    EXPECT_EQ(velocity(p).x, drift.x);
    EXPECT_EQ(velocity(p).z, drift.z);
}

// Only objects named as floors hold the player up; a lose pad ends the game
// and a win pad touched in the same frame wins.
TEST_F(PlayerTest, GroundNamesDecideWalkingLosingAndWinning)
{
    playerOnFloor("ground");
    world->input.pressed = {GLFW_KEY_W, GLFW_KEY_SPACE};
    const glm::vec3 start = positionOf(p->rigidBody);
    world->frames(30);
    EXPECT_FALSE(p->grounded);
    EXPECT_LT(glm::length(positionOf(p->rigidBody) - start), 0.01f);
    EXPECT_FALSE(world->menu->showing);

    world->addBox("loose_pad", start + glm::vec3(-0.3f, 0, 0), glm::vec3(0.2f), 0);
    p->update(frameTime);
    EXPECT_TRUE(world->menu->showing && world->menu->gameOver && !world->menu->win);
    world->menu->showing = world->menu->gameOver = false;
    world->addBox("win_pad", start + glm::vec3(0.3f, 0, 0), glm::vec3(0.2f), 0);
    p->update(frameTime);
    EXPECT_TRUE(world->menu->showing && world->menu->win && !world->menu->gameOver);
}

TEST_F(PlayerTest, MouseTurnsOnlyWhenFocusedAndNotOnTheFirstFrame)
{
    playerOnFloor();
    world->input.cursor = {100.0, 50.0};
    world->frames();
    EXPECT_EQ(p->camera->horizontalAngle, 0.0f) << "unfocused";
    EXPECT_EQ(world->input.cursor, glm::dvec2(100.0, 50.0));
    world->input.focus = true;
    world->frames();
    EXPECT_EQ(p->camera->horizontalAngle, 0.0f) << "the first focused frame only centres the cursor";
    EXPECT_EQ(world->input.cursor, glm::dvec2(320.0, 180.0));
    world->input.cursor = {326.0, 177.0}; // 6 right, 3 up: yaw falls by dt a pixel, pitch rises
    world->frames();
    EXPECT_FLOAT_EQ(p->camera->horizontalAngle, float(frameTime) * -6.0f);
    EXPECT_FLOAT_EQ(p->camera->verticalAngle, float(frameTime) * 3.0f);
    for (const auto& [y, pitch] : {std::pair{100.0, 1.0f}, {330.0, -1.0f}}) {
        world->input.cursor = {320.0, y};
        world->frames();
        EXPECT_EQ(p->camera->verticalAngle, pitch) << "pitch stops at ±1";
    }
    const float before = p->camera->horizontalAngle;
    world->input.cursor = {720.0, 180.0};
    world->frames();
    EXPECT_NEAR(p->camera->horizontalAngle, std::fmod(before - 400.0f * float(frameTime), 6.2831853f), 1e-5f);
}

// An imported orientation other than the identity brings the rounding that
// pushes the sine of a quarter-turn heading error past 1; the turn rate must
// stay finite.
TEST_F(PlayerTest, HeadingErrorNearAQuarterTurnGivesAFiniteTurnRate)
{
    playerOnFloor("Floor1", glm::rotate(glm::mat4(1.0f), -3.0f, glm::vec3(0, 1, 0)));
    const glm::quat current = toGlm(p->rigidBody->getWorldTransform().getRotation());
    float chosen = 0.0f;
    for (const float quarter : {1.5707964f, -1.5707964f}) {
        float h = quarter;
        for (int i = 0; i < 64; ++i)
            h = std::nextafter(h, -10.0f);
        for (int i = 0; i < 128 && chosen == 0.0f; ++i, h = std::nextafter(h, 10.0f)) {
            const glm::quat e =
                glm::quat(std::cos(h / 2), 0, std::sin(h / 2), 0) * p->orientation * glm::conjugate(current);
            if (std::fabs(-2.0f * (e.x * e.z - e.w * e.y)) > 1.0f)
                chosen = h;
        }
    }
    ASSERT_NE(chosen, 0.0f) << "no heading near a quarter turn rounds past 1";
    p->camera->horizontalAngle = chosen;
    p->update(frameTime);
    EXPECT_NEAR(std::fabs(p->rigidBody->getAngularVelocity().y()), 10.0f * 1.5707964f, 1e-3f);
}

TEST_F(PlayerTest, ResetPutsPlayerAndCameraBack)
{
    playerOnFloor();
    p->camera->horizontalAngle = 1.0f;
    p->camera->verticalAngle = -0.5f;
    world->input.pressed = {GLFW_KEY_W, GLFW_KEY_D};
    world->frames(40);
    p->reset();
    EXPECT_EQ(positionOf(p->rigidBody), glm::vec3(0, 1, 0));
    EXPECT_EQ(velocity(p), glm::vec3(0.0f));
    EXPECT_EQ(p->camera->horizontalAngle, 0.0f);
    EXPECT_EQ(p->camera->verticalAngle, 0.0f);
}

} // namespace
