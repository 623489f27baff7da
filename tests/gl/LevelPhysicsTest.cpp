// The shipped level under the game's own physics, stepped as the game steps it
// (at 60 Hz and, as software rendering can be that slow, at 10). Each case once
// failed: falls through the floor after a reload, blocks pushed through walls,
// hops over triangle edges, a sleeping block swallowed by the lift.

#include "Fixture.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>

namespace {

constexpr double fast = 1.0 / 60.0, slow = 0.1; // slow: six whole sub-steps a frame
// W walks along (sin h, cos h) for the camera heading h.
constexpr float north = 0.0f, east = glm::half_pi<float>(), south = glm::pi<float>(), west = -east;
constexpr float upperTop = 3.6f;  // the ledge and the terrace; the quarry floor is at 0
constexpr float blockHalf = 0.6f; // the push blocks are 1.2 cubes
constexpr float sink = 0.05f;     // below the resting height that counts as in the floor

// A vertical wall face: a point on it and the normal towards the open side.
using Wall = std::pair<glm::vec3, glm::vec3>;
float distance(const Wall& wall, const glm::vec3& p) { return glm::dot(p - wall.first, wall.second); }
const Wall ledgeFace{{0, 0, 2}, {0, 0, -1}}, westCliff{{-12, 0, 0}, {1, 0, 0}}, southCliff{{0, 0, -12}, {0, 0, 1}},
    northCliff{{0, 0, 12}, {0, 0, -1}};

class LevelPhysics : public GlTest, public testing::WithParamInterface<double> {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        level = std::make_unique<LoadedLevel>(window);
        const auto* capsule = static_cast<const btCapsuleShape*>(level->player()->rigidBody->getCollisionShape());
        radius = capsule->getRadius();
        rest = capsule->getHalfHeight() + radius;
    }
    void keys(std::set<int> pressed) { level->input.pressed = std::move(pressed); }
    void seconds(double time, double dt = fast)
    {
        for (int i = 0; i < std::lround(time / dt); ++i)
            level->frame(dt);
    }

    std::unique_ptr<LoadedLevel> level;
    float rest = 0.0f, radius = 0.0f;
};

// Fifty reloads, each followed by a second of standing, walking into block 1,
// running jumps or walking diagonally: nothing ends up in the floor.
TEST_P(LevelPhysics, ReloadsNeverDropThePlayerThroughTheFloor)
{
    const double dt = GetParam();
    const std::set<int> activities[] = {{}, {GLFW_KEY_W}, {GLFW_KEY_W, GLFW_KEY_SPACE}, {GLFW_KEY_W, GLFW_KEY_D}};
    for (int reload = 0; reload < 50 && !HasFailure(); ++reload) {
        SCOPED_TRACE("reload " + std::to_string(reload));
        keys({});
        level->reload();
        ASSERT_LT(glm::length(level->playerAt() - glm::vec3(-7.0f, 0.725f, -10.0f)), 1e-4f);
        keys(activities[reload % 4]);
        int firstGrounded = -1;
        for (int frame = 0; frame < std::lround(1.0 / dt); ++frame) {
            level->frame(dt);
            firstGrounded = firstGrounded < 0 && level->player()->grounded ? frame : firstGrounded;
            EXPECT_GT(level->playerAt().y, rest - sink) << "frame " << frame;
            for (const char* block : {"dynamicBlock1", "dynamicBlock2", "dynamicBlock3", "dynamicBlock4"})
                EXPECT_GT(positionOf(level->body(block)).y, blockHalf - sink) << block << ", frame " << frame;
        }
        EXPECT_GE(firstGrounded, 0);
        EXPECT_LE(firstGrounded, dt == fast ? 10 : 2);
        EXPECT_FALSE(level->menu.showing()) << "a win or lose contact";
    }
}

// Blocks pushed into walls at walking speed (diagonally √2 times that), with
// a run-up or from standing, stay out of them and come to rest against them.
TEST_P(LevelPhysics, PushesNeverTunnelThroughWalls)
{
    const double dt = GetParam();
    const struct {
        const char* block;
        glm::vec2 blockAt, playerAt; // x, z; the block's own place when 0, 0
        float heading;
        std::set<int> keys;
        std::vector<Wall> walls;
        float ground;
        double seconds;
    } pushes[] = {
        {"dynamicBlock1", {0, 0}, {-7, -10}, north, {GLFW_KEY_W}, {ledgeFace}, 0.0f, 5},
        {"dynamicBlock1", {-7, -3}, {-7.62f, -4.14f}, 0.5f, {GLFW_KEY_W}, {ledgeFace}, 0.0f, 4}, // not off the ledge
        {"dynamicBlock1", {-7, 0.5f}, {-7, -6}, north, {GLFW_KEY_W}, {ledgeFace}, 0.0f, 5},
        {"dynamicBlock2", {-10.5f, -3}, {-4.5f, -3}, west, {GLFW_KEY_W}, {westCliff}, 0.0f, 5},
        {"dynamicBlock1", {-10, -9}, {-9.1f, -8.1f}, south, {GLFW_KEY_W, GLFW_KEY_A}, {westCliff, southCliff}, 0, 5},
        {"dynamicBlock4", {-9, 9}, {-9, 6.5f}, north, {GLFW_KEY_W}, {northCliff}, upperTop, 5},
    };
    for (const auto& push : pushes) {
        SCOPED_TRACE(std::string(push.block) + " heading " + std::to_string(push.heading));
        keys({});
        level->reload();
        RigidBody* block = level->body(push.block);
        if (push.blockAt != glm::vec2(0.0f))
            level->place(block, {push.blockAt.x, push.ground + blockHalf + 0.04f, push.blockAt.y});
        level->place(level->player()->rigidBody, {push.playerAt.x, push.ground + rest + 0.01f, push.playerAt.y});
        level->player()->camera->horizontalAngle = push.heading;
        seconds(0.2, dt);
        keys(push.keys);
        float blockNearest = 1e9f, blockLow = 1e9f, blockHigh = -1e9f, playerNearest = 1e9f;
        for (int frame = 0; frame < std::lround(push.seconds / dt); ++frame) {
            level->frame(dt);
            for (const Wall& wall : push.walls) {
                playerNearest = std::min(playerNearest, distance(wall, level->playerAt()));
                blockNearest = std::min(blockNearest, distance(wall, positionOf(block)));
            }
            blockLow = std::min(blockLow, positionOf(block).y);
            blockHigh = std::max(blockHigh, positionOf(block).y);
        }
        // The player walks into a wall for up to one 60 Hz step before the contact pushes it out.
        EXPECT_GT(playerNearest, radius - 5.0f * std::sqrt(2.0f) / 60.0f);
        EXPECT_NEAR(level->playerAt().y, push.ground + rest, 0.25f);
        EXPECT_GT(blockNearest, blockHalf - 0.25f) << "pressed into the wall";
        EXPECT_GT(blockLow, push.ground + blockHalf - sink) << "sank into the floor";
        EXPECT_LT(blockHigh, push.ground + blockHalf + 0.3f) << "climbed the wall";
        keys({}); // let go: the block rests against the wall, not in it
        seconds(1.0, dt);
        for (const Wall& wall : push.walls)
            EXPECT_GT(distance(wall, positionOf(block)), blockHalf - 0.05f);
        EXPECT_NEAR(positionOf(block).y, push.ground + blockHalf, 0.1f);
    }
}

INSTANTIATE_TEST_SUITE_P(FrameRates, LevelPhysics, testing::Values(fast, slow),
                         [](const auto& info) { return info.param == fast ? "At60Hz" : "At10Hz"; });

// Off the level, the game is over well below its lowest point: no endless fall.
TEST_F(LevelPhysics, AFallOutOfTheLevelEndsInTheGameOver)
{
    const float limit = level->level().extent().low.y - tuning::fallDepth;
    level->place(level->player()->rigidBody, {200.0f, 5.0f, 200.0f});
    for (int frame = 0; frame < 10 * 60 && !level->menu.showing(); ++frame)
        level->frame(fast);
    ASSERT_EQ(level->menu.screen(), MenuState::Screen::GameOver);
    EXPECT_NEAR(level->playerAt().y, limit - 0.5f, 0.5f) << "below the limit, not far past it";
}

// Walks over the floors' triangles, across the L-shaped quarry floor's seam and
// round its inner corner: no step gives back vertical speed (a hop on an edge)
// and the contact check finds the floor in every frame.
TEST_F(LevelPhysics, WalkingOverTriangleEdgesNeverHops)
{
    const struct {
        glm::vec2 from;
        float heading, distance, ground;
    } walks[] = {{{-11.5f, -2}, east, 9.7f, 0.0f},
                 {{-9, -10.5f}, east / 2, 9.9f, 0.0f},
                 {{-6, -2}, east, 10.0f, 0.0f},
                 {{-4.5f, -8.3f}, east / 2, 7.0f, 0.0f},
                 {{-11.3f, 10}, east, 9.7f, upperTop}};
    for (const auto& walk : walks) {
        SCOPED_TRACE(walk.from.x);
        keys({});
        level->place(level->player()->rigidBody, {walk.from.x, walk.ground + rest + 0.01f, walk.from.y});
        level->player()->camera->horizontalAngle = walk.heading;
        seconds(0.5);
        keys({GLFW_KEY_W});
        float worstVy = 0.0f, worstY = 0.0f;
        int airborne = 0;
        for (int frame = 0; frame < int(walk.distance / 5.0f * 60.0f); ++frame) {
            level->physics().stepSimulation(fast);
            worstVy = std::max(worstVy, std::fabs(level->player()->rigidBody->getLinearVelocity().y())); // pre-update
            level->level().update();
            airborne += level->player()->grounded ? 0 : 1;
            worstY = std::max(worstY, std::fabs(level->playerAt().y - walk.ground - rest));
        }
        EXPECT_LT(worstVy, 0.3f);
        EXPECT_LT(worstY, sink);
        EXPECT_EQ(airborne, 0);
        const glm::vec3 along(std::sin(walk.heading), 0, std::cos(walk.heading));
        EXPECT_GT(glm::dot(level->playerAt() - glm::vec3(walk.from.x, 0, walk.from.y), along), walk.distance - 0.5f);
    }
}

// The lift rises 3.6 to the ledge and back every 10 s; the player, and a block
// asleep on it while it waits below, ride along, never through it nor thrown
// off (rising, it goes 2 cm a step into them; the solver takes out a fifth).
TEST_F(LevelPhysics, LiftCarriesThePlayerAndASleepingBlock)
{
    for (const bool player : {true, false}) {
        SCOPED_TRACE(player ? "player" : "block");
        if (!player) {     // a fresh level: the block waits two seconds below, long enough to fall asleep
            level.reset(); // first: a world hands back the input when it goes
            level = std::make_unique<LoadedLevel>(window);
        }
        RigidBody* lift = level->body("Floor_lift_Anim");
        RigidBody* rider = player ? level->player()->rigidBody : level->body("dynamicBlock2");
        const float height = player ? rest : blockHalf + 0.04f;
        ASSERT_LT(positionOf(lift).y, 0.05f);
        level->place(rider, positionOf(lift) + glm::vec3(0, height + 0.01f, 0));
        float lowest = 1e9f, highest = -1e9f, riderTop = -1e9f, off = 0.0f;
        int grounded = 0;
        for (int frame = 0; frame < 21 * 60; ++frame) {
            level->frame();
            const glm::vec3 top = positionOf(lift), p = positionOf(rider);
            lowest = std::min(lowest, frame < 10 ? 0.0f : p.y - top.y - height);
            highest = std::max(highest, frame < 10 ? 0.0f : p.y - top.y - height);
            grounded += level->player()->grounded ? 1 : 0;
            riderTop = std::max(riderTop, p.y);
            off = std::max(off, glm::length(glm::vec2(p.x - top.x, p.z - top.z)));
        }
        EXPECT_GT(riderTop, upperTop + height - sink) << "rode up";
        EXPECT_NEAR(positionOf(rider).y, positionOf(lift).y + height, sink) << "rode down";
        EXPECT_GT(lowest, -0.12f) << "in the platform";
        EXPECT_LT(highest, 0.15f) << "thrown up"; // where it stops at the top, a rider goes on 7 cm
        EXPECT_LT(off, 0.2f) << "slid on the platform";
        // Standing still, the player drops after the sinking platform in short falls.
        EXPECT_GT(grounded, player ? 21 * 60 * 2 / 3 : -1);
    }
}

} // namespace
