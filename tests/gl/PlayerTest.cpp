// The player standing on a 30 × 30 floor (top at y = 0) in a real world.

#include "Fixture.h"

#include <cmath>

namespace {

constexpr double frameTime = 1.0 / 60.0;

class PlayerTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        world->addMesh("Floor1", boxArrays({15, 0.5f, 15}), translation({0, -0.5f, 0}), 0);
        p = world->addPlayer({0, 1.0f, 0});
        world->frames(60);
    }
    void keys(std::set<int> pressed) { world->input.pressed = std::move(pressed); }
    glm::vec3 velocity() const { return toVec(p->rigidBody->getLinearVelocity()); }

    PlayerObject* p = nullptr;
};

TEST_F(PlayerTest, KeyCombinationsPickTheirMovementAndNoKeyStops)
{
    const glm::vec2 f(0, 1), r(-1, 0); // heading 0 looks along +z; right is -x
    const std::pair<std::set<int>, glm::vec2> rows[] = {
        {{GLFW_KEY_W}, f},
        {{GLFW_KEY_S}, -f},
        {{GLFW_KEY_A}, -r},
        {{GLFW_KEY_D}, r},
        {{GLFW_KEY_W, GLFW_KEY_D}, f + r},
        {{GLFW_KEY_W, GLFW_KEY_A}, f - r},
        {{GLFW_KEY_W, GLFW_KEY_S}, f},
        {{GLFW_KEY_A, GLFW_KEY_D}, -r},
        {{GLFW_KEY_S, GLFW_KEY_A}, -r},
        {{GLFW_KEY_S, GLFW_KEY_D}, -f},
        {{GLFW_KEY_W, GLFW_KEY_A, GLFW_KEY_D}, f - r},
        {{GLFW_KEY_UP, GLFW_KEY_RIGHT}, f + r}, // the arrows walk as W, A, S and D
        {{GLFW_KEY_DOWN, GLFW_KEY_LEFT}, -r},
        {{}, {0, 0}},
    };
    for (const auto& [pressed, direction] : rows) {
        SCOPED_TRACE(testing::PrintToString(pressed));
        keys(pressed);
        world->frames(3);   // without a key, damped to a stop at the next step
        p->step(frameTime); // what a step sets, before the world moves on
        EXPECT_NEAR(velocity().x, 5.0f * direction.x, 0.01f);
        EXPECT_NEAR(velocity().z, 5.0f * direction.y, 0.01f);
        EXPECT_EQ(pressed.empty() ? 0.0f : velocity().y, 0.0f) << "walking zeroes the vertical speed";
    }
    p->keys.forward = 'E'; // remapped: E walks forward, W no more
    for (const auto& [key, speed] : {std::pair{'E', 5.0f}, {'W', 0.0f}}) {
        keys({key}), world->frames(3), p->step(frameTime);
        EXPECT_NEAR(velocity().z, speed, 0.01f) << key;
    }
    EXPECT_FLOAT_EQ(p->camera->position.y, positionOf(p->rigidBody).y + 1.3f);
    // The body turns after the camera's heading, upright.
    p->camera->horizontalAngle = 0.7f;
    world->frames(60);
    const glm::vec3 facing = toGlm(p->rigidBody->getWorldTransform().getRotation()) * glm::vec3(0, 0, 1);
    EXPECT_NEAR(std::atan2(facing.x, facing.z), 0.7f, 0.02f);
    EXPECT_NEAR(facing.y, 0.0f, 1e-4f);
}

// A jump adds 6 unless already rising at 1; a standing jump leaves one steer
// in the air at 0.3 × 5 that keeps the vertical speed, and then no more.
TEST_F(PlayerTest, JumpsAndTheOneAirSteer)
{
    keys({GLFW_KEY_SPACE});
    for (const auto& [before, after] : {std::pair{0.0f, 6.0f}, {0.99f, 6.99f}, {1.0f, 1.0f}, {-2.0f, 4.0f}}) {
        p->rigidBody->setLinearVelocity(btVector3(0, before, 0));
        p->step(frameTime);
        EXPECT_FLOAT_EQ(velocity().y, after) << before;
    }
    EXPECT_TRUE(p->airControl);
    for (int frames = 0; p->grounded && frames < 20; ++frames)
        world->frame();
    ASSERT_FALSE(p->grounded);
    keys({GLFW_KEY_W});
    const glm::vec3 before = velocity(); // what the step starts from
    p->step(frameTime);
    EXPECT_NEAR(velocity().z, 1.5f, 1e-3f);
    EXPECT_EQ(velocity().y, before.y);
    EXPECT_FALSE(p->airControl);
}

TEST_F(PlayerTest, MouseTurnsOnlyWhenFocusedAndNotOnTheFirstFrameAfterFocusOrAReset)
{
    const glm::dvec2 centre(320.0, 180.0);
    world->input.cursor = {100.0, 50.0};
    world->frame();
    EXPECT_EQ(world->input.cursor, glm::dvec2(100.0, 50.0)) << "unfocused";
    world->input.focus = true;
    world->frame();
    EXPECT_EQ(world->input.cursor, centre);
    EXPECT_EQ(p->camera->horizontalAngle, 0.0f) << "the first focused frame only centres the cursor";
    world->input.cursor = centre + glm::dvec2(6, -3); // yaw falls by 1/60 rad a pixel, pitch rises
    world->frame();
    EXPECT_FLOAT_EQ(p->camera->horizontalAngle, float(frameTime) * -6.0f);
    EXPECT_FLOAT_EQ(p->camera->verticalAngle, float(frameTime) * 3.0f);
    p->invertLook = true; // inverted, the same travel up looks down again
    world->input.cursor = centre + glm::dvec2(0, -3);
    world->frame();
    EXPECT_NEAR(p->camera->verticalAngle, 0.0f, 1e-6f);
    p->invertLook = false;
    for (const auto& [dy, pitch] : {std::pair{-80.0, 1.0f}, {150.0, -1.0f}}) {
        world->input.cursor = centre + glm::dvec2(0, dy);
        world->frame();
        EXPECT_EQ(p->camera->verticalAngle, pitch) << "pitch stops at ±1";
    }
    // The cursor drifts while the window has no focus, or while a reset is due.
    for (const bool focusLost : {true, false}) {
        const float yaw = focusLost ? p->camera->horizontalAngle : 0.0f;
        world->input.focus = !focusLost;
        focusLost ? world->frame() : p->reset();
        world->input.focus = true;
        world->input.cursor = centre + glm::dvec2(50, 0);
        world->frame();
        EXPECT_EQ(p->camera->horizontalAngle, yaw) << (focusLost ? "focus back" : "reset");
    }
}

// A body turned away from heading 0 brings the rounding that pushes the sine of
// a quarter-turn error past 1.
TEST_F(PlayerTest, HeadingErrorNearAQuarterTurnGivesAFiniteTurnRate)
{
    p = world->addPlayer({5, 1.0f, 0});
    p->camera->horizontalAngle = -3.0f;
    world->frames(60);
    const glm::quat current = toGlm(p->rigidBody->getWorldTransform().getRotation());
    float chosen = 0.0f;
    for (float h : {-3.0f + 1.5707964f, -3.0f - 1.5707964f}) {
        for (int i = 0; i < 64; ++i)
            h = std::nextafter(h, -10.0f);
        for (int i = 0; i < 128 && chosen == 0.0f; ++i, h = std::nextafter(h, 10.0f)) {
            const glm::quat e = glm::quat(std::cos(h / 2), 0, std::sin(h / 2), 0) * glm::conjugate(current);
            chosen = std::fabs(-2.0f * (e.x * e.z - e.w * e.y)) > 1.0f ? h : 0.0f;
        }
    }
    ASSERT_NE(chosen, 0.0f) << "no heading near a quarter turn rounds past 1";
    p->camera->horizontalAngle = chosen;
    p->step(frameTime);
    EXPECT_NEAR(std::fabs(p->rigidBody->getAngularVelocity().y()), 10.0f * 1.5707964f, 1e-3f);
}

// Looking down through its own eyes, the player does not see the top of its body.
TEST_F(PlayerTest, ItsOwnBodyIsNotDrawnFromItsCamera)
{
    const gl::Texture red = solidTexture(255, 0, 0);
    p->mesh.colorTexture = red;
    p->camera->verticalAngle = -1.0f;
    world->frame();
    for (const MeshObject* viewer : {static_cast<const MeshObject*>(nullptr), static_cast<const MeshObject*>(p)}) {
        const Texels seen = world->draw(*p->camera, viewer);
        EXPECT_EQ(std::count_if(seen.rgba.begin(), seen.rgba.end(), [](Rgba c) { return c[0] > 2 * c[1] + 20; }) > 1000,
                  viewer == nullptr);
    }
}

} // namespace
