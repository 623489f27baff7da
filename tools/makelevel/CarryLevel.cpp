#include "ChainLevels.h"

#include "LevelParts.h"

#include <sstream>

// Seen from above (+z north, the way the player starts looking):
//
//   z=14  +----------------------------------------------+
//         |       Floor_dais (7.2)  beacon_win (0,10.5)  |
//   z=8   |            +---------------+                 |
//         |  Floor_upper_west (3.6)  |  Floor_upper_east |
//   z=7   |                       |lift|                 |  the lift's notch, 1.32 wide
//   z=4   |-----------------------|    |-----------------|
//         |  Floor_yard (y 0)    ||blk1||                |  the lane, as wide, to z -3
//         |                  [post]   player (3,-8)      |
//   z=-10 +----------------------------------------------+
//         x=-8                                         x=8
//
// The terrace is the quarry's ledge again, and the block could take the player
// up it from the yard; but the beacon stands on a dais as high again above
// the terrace, and the one block is needed up there. So it goes up on the
// lift: pushed north up the lane while the lift stands down, it slides to the
// back of the notch; the player steps on behind it, rides up, pushes it off
// north to the dais's face and climbs. The post stops a walker going west in
// line with the lane, and lane, notch and lift are as wide as a block and a
// hair, and walls on the terrace go on beside the notch to the dais, so the
// block keeps its line and the walker behind it stays in line with the beacon. The lift is a column as tall as its
// travel: nothing gets under it. Down, its top lies under the yard's and, up,
// over the terrace's by more than a body's collision margin, so the block
// meets no edge on or off it.

namespace {

using glm::vec3;
using namespace parts;

constexpr float kUpper = kLedge, kDais = 2.0f * kLedge;
constexpr float kNotchHalf = 0.66f, kNotchSouth = 4.0f, kNotchNorth = 7.0f;
constexpr float kDaisSouth = 8.0f; // a step off the lift: a block pushed that far keeps its line
constexpr float kOver = 0.05f;     // the lift's top under the yard, over the terrace
// Down, rising, up, sinking; at the start the lift has just come up.
constexpr float kPhases[4] = {4.0f, 3.0f, 3.0f, 3.0f};
constexpr float kStartPhase = 7.0f;
constexpr float kLane = kNotchHalf, kLaneSouth = -3.0f; // half the lane's width, its south end
const glm::vec2 kStart(3.0f, -8.0f);
const glm::vec2 kBlock1(0.0f, -1.0f);
const vec3 kBeacon(0.0f, kDais, 10.5f);

} // namespace

collada::Document buildCarryLevel()
{
    collada::Document doc;
    doc.subject = "Ride the block up on the lift: the beacon's dais needs it";
    const Materials m = addMaterials(doc);
    walls(doc, m, -8, 8, -10, 14, 10.0f);
    terrace(doc, m, "yard", -8, 8, -10, kNotchSouth, 0.0f);
    terrace(doc, m, "upper_west", -8, -kNotchHalf, kNotchSouth, 14, kUpper);
    terrace(doc, m, "upper_east", kNotchHalf, 8, kNotchSouth, 14, kUpper);
    terrace(doc, m, "upper_mid", -kNotchHalf, kNotchHalf, kNotchNorth, 14, kUpper);
    terrace(doc, m, "dais", -3, 3, kDaisSouth, 14, kDais);

    const vec3 lift(0.0f, -kOver, (kNotchSouth + kNotchNorth) * 0.5f);
    const float travel = kUpper + 2.0f * kOver;
    solid(doc, "Floor_lift_Anim", lift, 1.0f, m.metal, [travel](shapes::MeshBuilder& b) {
        const float hz = (kNotchNorth - kNotchSouth) * 0.5f;
        b.box(vec3(-kNotchHalf, -travel, -hz), vec3(kNotchHalf, 0, hz));
    });
    liftKeys(doc, "Floor_lift_Anim", lift, travel, kPhases, kStartPhase);

    // A lane between walls out of a jump's reach keeps the pushed block in line with the notch.
    solid(doc, "lane", vec3(0.0f, 0.0f, kNotchSouth), 3.0f, m.rock, [](shapes::MeshBuilder& b) {
        b.box(vec3(-kLane - 0.4f, 0, kLaneSouth - kNotchSouth), vec3(-kLane, 2.4f, 0));
        b.box(vec3(kLane, 0, kLaneSouth - kNotchSouth), vec3(kLane + 0.4f, 2.4f, 0));
    });
    // Walls on the terrace beside the notch, up to the dais, keep the block in
    // line as it is pushed off the lift, and the walker behind it.
    rock(doc, m, "notch_west", vec3(-kNotchHalf - 0.4f, kUpper, kNotchSouth),
         vec3(-kNotchHalf, kUpper + 2.4f, kDaisSouth));
    rock(doc, m, "notch_east", vec3(kNotchHalf, kUpper, kNotchSouth),
         vec3(kNotchHalf + 0.4f, kUpper + 2.4f, kDaisSouth));
    // A post whose east face stops a walker going west in line with the lane.
    rock(doc, m, "post", vec3(-1.5f, 0.0f, kStart.y - 0.8f), vec3(-0.25f, 2.4f, kStart.y + 0.8f));
    pushBlock(doc, m, 1, kBlock1);
    beacon(doc, m, kBeacon);
    player(doc, m, kStart);
    lamps(doc, vec3(3.0f, 7.0f, -4.0f), vec3(-3.0f, 9.0f, 8.0f), kBeacon);
    addCamera(doc, vec3(3.0f, 6.0f, -9.5f), vec3(3.0f, 2.0f, 4.0f), 60.0f);
    return doc;
}

std::string carryRoute()
{
    std::ostringstream out;
    out << routeStart("Carry", "Data/LevelCarry.dae", kStart) << "  Floor_yard y 0 south of z " << kNotchSouth
        << "; the terrace y " << kUpper << " north of it; the dais y " << kDais << ", x [-3, 3], north of z "
        << kDaisSouth << ".\n"
        << "  Floor_lift_Anim in the notch x [" << -kNotchHalf << ", " << kNotchHalf << "], z [" << kNotchSouth << ", "
        << kNotchNorth << "], its top from " << -kOver << " to " << kUpper + kOver << ": up until 3 s, sinking to 6 s, "
        << "down to 10 s, rising to 13 s, every 13 s.\n"
        << "  dynamicBlock1 at " << point(vec3(kBlock1.x, kBlock * 0.5f, kBlock1.y)) << "; beacon_win at "
        << point(kBeacon) << ".\n"
        << "  Keys: D 1 s (to the post), wait 4 s, W 10 s (the block up the lane onto the lift as it stands\n"
        << "  down at 6 s, the ride up at 10-13 s, the block off north to the dais), W and space 4 s: up the\n"
        << "  block onto the dais to the beacon. Holding W leaves the player against the terrace's face.\n";
    return out.str();
}
