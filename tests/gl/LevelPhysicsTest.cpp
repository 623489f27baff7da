// The shipped level under the game's own physics: the player standing,
// walking and jumping on its floors through many reloads, blocks pushed into
// its walls, and the lift carrying the player and a block. Every test builds a
// fresh world from Data/LevelFinal.dae and steps it frame by frame the way the
// game does, at 60 frames a second and, where the game is slow (a few frames a
// second on software rendering), at 10.

#include "ShippedLevel.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double fast = 1.0 / 60.0;
// Six whole sub-steps a frame, the most the game's step runs without losing time.
constexpr double slow = 0.1;

constexpr float pi = glm::pi<float>();
// Walking directions: W walks along (sin h, cos h) for the camera heading h.
constexpr float north = 0.0f;
constexpr float east = pi / 2.0f;
constexpr float south = pi;
constexpr float west = -pi / 2.0f;

// From the level's layout.
constexpr float floorTop = 0.0f;  // Floor_quarry
constexpr float upperTop = 3.6f;  // Floor_ledge and Floor_terrace
constexpr float blockHalf = 0.6f; // the push blocks are 1.2 cubes

// Heights and distances that count as on, in or through something.
constexpr float sinkTolerance = 0.05f; // below the resting height
// The player walks into a wall for up to one 60 Hz step (diagonally, √2 × 5
// a second) before the next step finds the contact and pushes it back out.
const float stepTravel = 5.0f * std::sqrt(2.0f) / 60.0f;
constexpr float blockOverlap = 0.25f;   // a block pressed into a wall for a moment
constexpr float restingOverlap = 0.05f; // a block left standing against a wall
// The lift is a static body moved every frame: rising, it goes 2 cm a step
// into whatever stands on it, and the solver takes out a fifth of the depth
// per step, so riders go along about 10 cm deep in the platform.
constexpr float liftSink = 0.12f;

float restHeight(const PlayerObject* player)
{
    const auto* capsule = static_cast<const btCapsuleShape*>(player->rigidBody->getCollisionShape());
    return capsule->getHalfHeight() + capsule->getRadius();
}

float capsuleRadius(const PlayerObject* player)
{
    return static_cast<const btCapsuleShape*>(player->rigidBody->getCollisionShape())->getRadius();
}

std::string str(const glm::vec3& v)
{
    std::ostringstream out;
    out << '(' << v.x << ", " << v.y << ", " << v.z << ')';
    return out.str();
}

// A vertical wall face: points p with dot(p - point, normal) > 0 are in front
// of it, on the open side.
struct Wall {
    const char* name;
    glm::vec3 point;
    glm::vec3 normal;

    float distance(const glm::vec3& p) const { return glm::dot(p - point, normal); }
};

const Wall ledgeFace{"ledge face", {0, 0, 2}, {0, 0, -1}};
const Wall westCliff{"west cliff", {-12, 0, 0}, {1, 0, 0}};
const Wall eastCliff{"east cliff", {12, 0, 0}, {-1, 0, 0}};
const Wall southCliff{"south cliff", {0, 0, -12}, {0, 0, 1}};
const Wall northCliff{"north cliff", {0, 0, 12}, {0, 0, -1}};

std::string frameRateName(const testing::TestParamInfo<double>& info)
{
    return info.param == fast ? "At60Hz" : "At10Hz";
}

class LevelPhysics : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        level = std::make_unique<ShippedLevel>(window);
    }
    void TearDown() override { level.reset(); }

    std::unique_ptr<ShippedLevel> level;
};

class LevelPhysicsAtFrameRate : public LevelPhysics, public testing::WithParamInterface<double> {};

// Reload after reload, each followed by a second of standing,
// walking into the block or a cliff, or jumping. The player starts 5 cm above
// the quarry floor, so it lands at once and never ends up below it.
TEST_P(LevelPhysicsAtFrameRate, ReloadsNeverDropThePlayerThroughTheFloor)
{
    const double dt = GetParam();
    const int framesPerSecond = static_cast<int>(std::lround(1.0 / dt));
    // The first frames after a reload: the player drops 5 cm, a little over a
    // tenth of a second.
    const int groundedWithin = dt == fast ? 10 : 2;
    PlayerObject* player = level->player;
    const float rest = restHeight(player);
    const float radius = capsuleRadius(player);
    const glm::vec3 start(-7.0f, 0.725f, -10.0f);

    struct Activity {
        const char* name;
        std::set<int> keys;
    };
    const Activity activities[] = {
        {"standing", {}},
        {"walking into block 1", {GLFW_KEY_W}},
        {"running jumps", {GLFW_KEY_W, GLFW_KEY_SPACE}},
        {"jumping on the spot", {GLFW_KEY_SPACE}},
        {"backing into the south cliff", {GLFW_KEY_S}},
        {"walking east", {GLFW_KEY_A}},
        {"walking diagonally", {GLFW_KEY_W, GLFW_KEY_D}},
    };

    std::vector<btRigidBody*> blocks;
    std::vector<float> blockRest;
    for (const char* name : {"dynamicBlock1", "dynamicBlock2", "dynamicBlock3", "dynamicBlock4"}) {
        blocks.push_back(level->object(name)->rigidBody);
        blockRest.push_back(level->object(name)->initialModelMatrix[3][1]);
    }

    for (int reload = 0; reload < 50; ++reload) {
        const Activity& activity = activities[reload % std::size(activities)];
        SCOPED_TRACE("reload " + std::to_string(reload) + ", " + activity.name);
        level->input.pressed.clear();
        level->reload(dt);
        ASSERT_LT(glm::length(level->playerPosition() - start), 1e-4f) << str(level->playerPosition());
        level->input.pressed = activity.keys;

        int firstGrounded = -1;
        float lowest = 1e9f;
        glm::vec3 lowestAt(0.0f);
        float nearestWall = 1e9f;
        for (int frame = 0; frame < framesPerSecond; ++frame) {
            level->frame(dt);
            const glm::vec3 p = level->playerPosition();
            if (player->grounded && firstGrounded < 0)
                firstGrounded = frame;
            if (p.y < lowest) {
                lowest = p.y;
                lowestAt = p;
            }
            for (const Wall* wall : {&southCliff, &westCliff, &eastCliff})
                nearestWall = std::min(nearestWall, wall->distance(p));
            for (size_t b = 0; b < blocks.size(); ++b)
                EXPECT_GT(ShippedLevel::positionOf(blocks[b]).y, blockRest[b] - sinkTolerance)
                    << "block " << b + 1 << " sank into the floor at frame " << frame;
        }
        EXPECT_GE(firstGrounded, 0) << "never grounded";
        EXPECT_LE(firstGrounded, groundedWithin);
        EXPECT_GT(lowest, floorTop + rest - sinkTolerance) << "the player sank to " << str(lowestAt);
        EXPECT_GT(nearestWall, radius - stepTravel) << "the player went into a cliff";
        EXPECT_FALSE(level->menu->showing()) << "a win or lose contact";
        if (HasFailure())
            break;
    }
}

// Blocks pushed into the walls, and the player alone against them: pushed at
// walking speed (√2 times that diagonally), with a run-up or from standing,
// for seconds on end, a block stays out of the wall it is pushed into and
// stops there; the player stays out of the wall and on the floor.
struct PushCase {
    const char* name;
    const char* block; // null: the player alone
    glm::vec2 blockAt; // x, z; the block's own place when 0, 0
    glm::vec2 playerAt;
    float heading;
    std::set<int> keys;
    std::vector<const Wall*> walls;
    float ground; // floor top under the push
    double seconds;
};

const PushCase pushCases[] = {
    {"block 1 north into the ledge face", "dynamicBlock1", {0, 0}, {-7, -10}, north, {GLFW_KEY_W}, {&ledgeFace},
     floorTop, 6.0},
    {"block 1 into the ledge face at an angle", "dynamicBlock1", {-7, -3}, {-7.62f, -4.14f}, 0.5f, {GLFW_KEY_W},
     {&ledgeFace}, floorTop, 4.0},
    {"block 1 with a run-up into the ledge face", "dynamicBlock1", {-7, 0.5f}, {-7, -6}, north, {GLFW_KEY_W},
     {&ledgeFace}, floorTop, 5.0},
    {"block 2 west into the cliff", "dynamicBlock2", {-9, -3}, {-6.5f, -3}, west, {GLFW_KEY_W}, {&westCliff},
     floorTop, 5.0},
    {"block 2 with a run-up into the west cliff", "dynamicBlock2", {-10.5f, -3}, {-4.5f, -3}, west, {GLFW_KEY_W},
     {&westCliff}, floorTop, 5.0},
    {"block 1 south into the cliff", "dynamicBlock1", {-5, -8}, {-5, -5.5f}, south, {GLFW_KEY_W}, {&southCliff},
     floorTop, 5.0},
    {"block 3 east into the cliff", "dynamicBlock3", {8.5f, -9.8f}, {6, -9.8f}, east, {GLFW_KEY_W}, {&eastCliff},
     floorTop, 5.0},
    {"block 1 diagonally into the south-west corner", "dynamicBlock1", {-10, -9}, {-9.1f, -8.1f}, south,
     {GLFW_KEY_W, GLFW_KEY_A}, {&westCliff, &southCliff}, floorTop, 5.0},
    {"block 4 north into the cliff on the ledge", "dynamicBlock4", {-9, 9}, {-9, 6.5f}, north, {GLFW_KEY_W},
     {&northCliff}, upperTop, 5.0},
    {"the player west into the cliff", nullptr, {0, 0}, {-9, -3}, west, {GLFW_KEY_W}, {&westCliff}, floorTop, 3.0},
    {"the player north into the ledge face", nullptr, {0, 0}, {-5, -1}, north, {GLFW_KEY_W}, {&ledgeFace}, floorTop,
     3.0},
    {"the player diagonally into the south-west corner", nullptr, {0, 0}, {-9, -9}, south, {GLFW_KEY_W, GLFW_KEY_A},
     {&westCliff, &southCliff}, floorTop, 3.0},
};

TEST_P(LevelPhysicsAtFrameRate, PushedBlocksStayOutOfTheWalls)
{
    const double dt = GetParam();
    PlayerObject* player = level->player;
    const float rest = restHeight(player);
    const float radius = capsuleRadius(player);

    for (const PushCase& push : pushCases) {
        SCOPED_TRACE(push.name);
        // Each push from the level as it was loaded.
        level->input.pressed.clear();
        level->reload(dt);
        btRigidBody* block = push.block ? level->object(push.block)->rigidBody : nullptr;
        const float blockY = push.ground + blockHalf + 0.04f;
        if (block && push.blockAt != glm::vec2(0.0f))
            ShippedLevel::place(block, {push.blockAt.x, blockY, push.blockAt.y});
        ShippedLevel::place(player->rigidBody, {push.playerAt.x, push.ground + rest + 0.01f, push.playerAt.y});
        level->face(push.heading);
        for (int i = 0; i < 0.2 / dt; ++i)
            level->frame(dt);

        level->input.pressed = push.keys;
        float blockNearest = 1e9f, playerNearest = 1e9f;
        float blockLowest = 1e9f, blockHighest = -1e9f, playerLowest = 1e9f, playerHighest = -1e9f;
        double blockNearestAt = 0.0;
        const int frames = static_cast<int>(std::lround(push.seconds / dt));
        for (int frame = 0; frame < frames; ++frame) {
            level->frame(dt);
            const glm::vec3 p = level->playerPosition();
            playerLowest = std::min(playerLowest, p.y);
            playerHighest = std::max(playerHighest, p.y);
            for (const Wall* wall : push.walls)
                playerNearest = std::min(playerNearest, wall->distance(p));
            if (block) {
                const glm::vec3 b = ShippedLevel::positionOf(block);
                blockLowest = std::min(blockLowest, b.y);
                blockHighest = std::max(blockHighest, b.y);
                for (const Wall* wall : push.walls) {
                    if (wall->distance(b) < blockNearest) {
                        blockNearest = wall->distance(b);
                        blockNearestAt = (frame + 1) * dt;
                    }
                }
            }
        }
        EXPECT_GT(playerNearest, radius - stepTravel) << "the player went into the wall";
        EXPECT_GT(playerLowest, push.ground + rest - sinkTolerance) << "the player sank into the floor";
        EXPECT_LT(playerHighest, push.ground + rest + 0.25f) << "the player climbed";
        if (!block)
            continue;

        EXPECT_GT(blockNearest, blockHalf - blockOverlap)
            << "the block's centre came within " << blockNearest << " of the wall after " << blockNearestAt << " s";
        EXPECT_GT(blockLowest, push.ground + blockHalf - sinkTolerance) << "the block sank into the floor";
        EXPECT_LT(blockHighest, push.ground + blockHalf + 0.3f) << "the block climbed the wall";

        // Let go: the block comes to rest against the wall, not in it.
        level->input.pressed.clear();
        for (int i = 0; i < 1.0 / dt; ++i)
            level->frame(dt);
        const glm::vec3 b = ShippedLevel::positionOf(block);
        for (const Wall* wall : push.walls)
            EXPECT_GT(wall->distance(b), blockHalf - restingOverlap) << wall->name << ": left at " << str(b);
        EXPECT_NEAR(b.y, push.ground + blockHalf, 0.1f) << "left at " << str(b);
    }
}

// The level's way to the beacon (makelevel --route): the block pushed to the
// ledge face, up on it and over the lip, along the cliff, the running jump
// over the trench and on to the beacon. Walls that hold the block and floors
// that hold the player must keep it open.
TEST_P(LevelPhysicsAtFrameRate, TheRouteOverThePushedBlockStillWins)
{
    const double dt = GetParam();
    struct Leg {
        const char* name;
        std::set<int> keys;
        double seconds;
        bool endsOnTheLedge;
    };
    const Leg legs[] = {
        {"push the block to the face", {GLFW_KEY_W}, 2.2, false},
        {"up on the block and over the lip", {GLFW_KEY_W, GLFW_KEY_SPACE}, 1.5, false},
        {"north to the cliff", {GLFW_KEY_W}, 2.5, true},
        {"east along the cliff", {GLFW_KEY_A}, 0.8, true},
        {"jump the trench", {GLFW_KEY_A, GLFW_KEY_SPACE}, 0.25, false},
        {"on to the beacon", {GLFW_KEY_A}, 3.0, false},
    };
    const float rest = restHeight(level->player);
    for (const Leg& leg : legs) {
        level->input.pressed = leg.keys;
        const int frames = static_cast<int>(std::lround(leg.seconds / dt));
        for (int i = 0; i < frames && !level->menu->showing(); ++i)
            level->frame(dt);
        if (leg.endsOnTheLedge) {
            EXPECT_NEAR(level->playerPosition().y, upperTop + rest, sinkTolerance) << "after: " << leg.name;
        }
    }
    EXPECT_TRUE(level->menu->showing());
    EXPECT_EQ(level->menu->screen(), MenuState::Screen::Win) << "ended at " << str(level->playerPosition());
}

INSTANTIATE_TEST_SUITE_P(FrameRates, LevelPhysicsAtFrameRate, testing::Values(fast, slow), frameRateName);

// Long straight walks. Walking sets the vertical speed to 0 every
// frame; the step must not give any back (a hop where the capsule meets the
// edge of the next triangle), and the contact check must find the floor in
// every frame.
struct Walk {
    const char* name;
    glm::vec2 from; // x, z
    float heading;
    float distance;
    float ground;
};

struct WalkRecord {
    std::vector<glm::vec3> hops; // where |vy| after the step reached 0.3
    float worstVy = 0.0f;
    glm::vec3 worstAt{0.0f};
    int airborne = 0;
    float lowest = 1e9f;
    float highest = -1e9f;
    glm::vec3 end{0.0f};
};

WalkRecord walkAlong(ShippedLevel& level, const Walk& walk)
{
    PlayerObject* player = level.player;
    const float rest = restHeight(player);
    level.input.pressed.clear();
    ShippedLevel::place(player->rigidBody, {walk.from.x, walk.ground + rest + 0.01f, walk.from.y});
    level.face(walk.heading);
    for (int i = 0; i < 30; ++i)
        level.frame();
    EXPECT_TRUE(player->grounded) << "standing at the start";

    level.input.pressed = {GLFW_KEY_W};
    WalkRecord r;
    const int frames = static_cast<int>(walk.distance / 5.0f * 60.0f);
    for (int frame = 0; frame < frames; ++frame) {
        // The speed the step leaves, before the player's update sets it again.
        level.physics->stepSimulation(fast);
        const float vy = level.playerVelocity().y;
        level.level->update(fast);
        const glm::vec3 p = level.playerPosition();
        if (std::fabs(vy) >= 0.3f)
            r.hops.push_back(p);
        if (std::fabs(vy) > std::fabs(r.worstVy)) {
            r.worstVy = vy;
            r.worstAt = p;
        }
        r.airborne += player->grounded ? 0 : 1;
        r.lowest = std::min(r.lowest, p.y - walk.ground - rest);
        r.highest = std::max(r.highest, p.y - walk.ground - rest);
    }
    r.end = level.playerPosition();
    const glm::vec2 travelled(r.end.x - walk.from.x, r.end.z - walk.from.y);
    EXPECT_GT(glm::dot(travelled, glm::vec2(std::sin(walk.heading), std::cos(walk.heading))), walk.distance - 0.5f)
        << "stopped at " << str(r.end);
    return r;
}

// Over Floor_quarry's two parts along and across the diagonals of their
// triangles, across the line x = -1 where the rectangles of the L-shaped floor
// meet and round its inner corner, and over Floor_ledge.
TEST_F(LevelPhysics, WalkingOverTheFloorsTrianglesNeverHops)
{
    const Walk walks[] = {
        {"east along z = -2", {-11.5f, -2}, east, 9.7f, floorTop},
        {"north along x = -2.5", {-2.5f, -11.3f}, north, 12.5f, floorTop},
        {"south along x = -8.5", {-8.5f, 1.0f}, south, 11.5f, floorTop},
        {"north-east over the west part", {-9, -10.5f}, pi / 4.0f, 9.9f, floorTop},
        {"north-east over the east part", {5.5f, -11.3f}, pi / 4.0f, 7.0f, floorTop},
        {"east across the inner line", {-6, -2}, east, 10.0f, floorTop},
        {"west across the inner line", {4.5f, -6.5f}, west, 10.0f, floorTop},
        {"north-east round the inner corner", {-4.5f, -8.3f}, pi / 4.0f, 7.0f, floorTop},
        {"east on the ledge", {-11.3f, 10}, east, 9.7f, upperTop},
    };
    for (const Walk& walk : walks) {
        SCOPED_TRACE(walk.name);
        const WalkRecord r = walkAlong(*level, walk);
        EXPECT_TRUE(r.hops.empty()) << r.hops.size() << " frames; vertical speed up to " << r.worstVy << " at "
                                    << str(r.worstAt);
        EXPECT_EQ(r.airborne, 0) << "frames without ground";
        EXPECT_GT(r.lowest, -sinkTolerance);
        EXPECT_LT(r.highest, sinkTolerance);
    }
}

// The lift rises 3.6 from the quarry floor to the ledge and sinks
// back every 10 s (0-2 s down, 2-5 s rising, 5-7 s up, 7-10 s sinking). What
// stands on it rides up and back down: it never drops through the platform,
// is never thrown off it, and stays on its top. Two cycles and a second, from
// the lift's start, which the level's clock is just past.
struct RideRecord {
    float lowestAbove = 1e9f; // rider over the platform top, less its resting height
    double lowestAt = 0.0;
    float highestAbove = -1e9f;
    double highestAt = 0.0;
    float highestTop = -1e9f;
    float riderHighest = -1e9f;
    float farthestOff = 0.0f; // from the platform's centre line
    int frames = 0;
    int grounded = 0;
};

RideRecord ride(ShippedLevel& level, btRigidBody* rider, float restingHeight, bool player)
{
    btRigidBody* lift = level.object("Floor_lift_Anim")->rigidBody;
    EXPECT_LT(ShippedLevel::positionOf(lift).y, 0.05f) << "the lift is down at the start";
    const glm::vec3 centre = ShippedLevel::positionOf(lift);
    ShippedLevel::place(rider, {centre.x, centre.y + restingHeight + 0.01f, centre.z});

    RideRecord r;
    const int frames = static_cast<int>(21.0 / fast);
    for (int frame = 0; frame < frames; ++frame) {
        level.frame();
        const glm::vec3 top = ShippedLevel::positionOf(lift);
        const glm::vec3 p = ShippedLevel::positionOf(rider);
        const float above = p.y - top.y - restingHeight;
        const double t = (frame + 1) * fast;
        if (frame >= 10) {
            ++r.frames;
            r.grounded += player && level.player->grounded ? 1 : 0;
            if (above < r.lowestAbove) {
                r.lowestAbove = above;
                r.lowestAt = t;
            }
            if (above > r.highestAbove) {
                r.highestAbove = above;
                r.highestAt = t;
            }
        }
        r.highestTop = std::max(r.highestTop, top.y);
        r.riderHighest = std::max(r.riderHighest, p.y);
        r.farthestOff = std::max(r.farthestOff, glm::length(glm::vec2(p.x - top.x, p.z - top.z)));
    }
    const glm::vec3 top = ShippedLevel::positionOf(lift);
    const glm::vec3 p = ShippedLevel::positionOf(rider);
    EXPECT_GT(r.highestTop, upperTop) << "the lift went up";
    EXPECT_LT(top.y, 0.05f) << "the lift is down again";
    EXPECT_GT(r.riderHighest, upperTop + restingHeight - sinkTolerance) << "rode up";
    EXPECT_NEAR(p.y, top.y + restingHeight, sinkTolerance) << "rode down, left at " << str(p);
    EXPECT_GT(r.lowestAbove, -liftSink) << "in the platform at " << r.lowestAt << " s";
    // Where the platform stops at the top, a rider going up at 1.2 goes on
    // for 7 cm.
    EXPECT_LT(r.highestAbove, 0.15f) << "thrown up at " << r.highestAt << " s";
    EXPECT_LT(r.farthestOff, 0.2f) << "slid on the platform";
    return r;
}

TEST_F(LevelPhysics, LiftCarriesThePlayerUpAndDown)
{
    const RideRecord r = ride(*level, level->player->rigidBody, restHeight(level->player), true);
    // Standing still on the ground the player's speed is damped to nothing
    // every step, so on the way down it does not follow the platform but
    // drops after it in short falls: the contact check finds no ground for
    // most of the three seconds of each descent, and nowhere else.
    EXPECT_GT(r.grounded, r.frames * 2 / 3) << "grounded in " << r.grounded << " of " << r.frames << " frames";
}

TEST_F(LevelPhysics, LiftCarriesABlockUpAndDown)
{
    // The block stands still on the platform for the lift's first two
    // seconds, long enough to fall asleep, and again at the top.
    btRigidBody* block = level->object("dynamicBlock2")->rigidBody;
    ride(*level, block, blockHalf + 0.04f, false);
}

} // namespace
