#include "ChainLevels.h"

#include "LevelParts.h"

#include <sstream>

// Seen from above (+z north, the way the player starts looking):
//
//   z=12 +---------------+ passage +--------------+
//        |     rock      | beacon  |     rock      |  beacon_win (0,10.5)
//   z=4  |     rock      |  door   |     rock      |  doorway 1.6 wide, 1.9 high
//   z=2  |~~~~~~~~~~~~~ trench_loose ~~~~~~~~~~~~~~|  2 wide, its water one block down
//   z=1.2|             ||=gate=||  ====kerb====    |  the bar over the lane: 1.27 up
//        |             || blk1 ||  [pillar]        |  lane 1.32 wide, walls 4 high
//  z=-2.4|             ||      ||  [      ]        |
//        |          [post]       player (3,-8)     |
//  z=-10 +-----------------------------------------+
//        x=-8                                    x=8
//
// The trench could be jumped, but the wall stands at its far edge: any jump
// rises over the doorway's height within its first 0.1 s and meets the wall,
// or comes down through the doorway's height only after more than 5.5 units
// (more than there is room for). The lane keeps the pushed block straight; the
// player stops under the gate while the block slides on into the trench, so
// nobody presses it against the far side while it falls. Sunk, its top is
// level with the floor, and it is walked over into the doorway. The way there
// leads from stop to stop: the post, the gate, the pillar, the kerb and the
// lane's west wall past the gate each end a leg of the walk where the next must begin, so
// that legs held a little long or short lead the same way.

namespace {

using glm::vec3;
using namespace parts;

constexpr float kNear = 2.0f, kFar = 4.0f;         // the trench's edges
constexpr float kWall = 1.0f;                      // the wall's thickness
constexpr float kDoor = 0.8f;                      // half the doorway's width
constexpr float kLintel = 1.9f;                    // the doorway's height: 0.54 over a walker's head
constexpr float kLaneTop = 4.0f;                   // out of reach of a jump from the block
constexpr float kLane = 0.66f, kLaneSouth = -2.4f; // half the lane's width, its south end
// The bar over the lane's north end, from kGate to kLaneNorth: a block passes
// under it, the walker not. It stands so near the trench that the block the
// walker leaves under it slides on over the edge, and so far that a walker
// fits between it and the kerb.
constexpr float kGate = 1.1f, kLaneNorth = 1.2f, kGateHeight = 1.27f;
constexpr float kKerb = kNear - 0.1f; // the kerb's south face
constexpr float kInLine = 0.25f;      // a walker stopped going west by a face here stands in the door's line
constexpr float kPillar = 1.85f;      // the pillar's west face: a walker stopped by it passes the lane
const glm::vec2 kStart(3.0f, -8.0f);
const glm::vec2 kBlock1(0.0f, -1.6f);
const vec3 kBeacon(0.0f, 0.0f, 10.5f);

} // namespace

collada::Document buildBridgeLevel()
{
    collada::Document doc;
    doc.subject = "Push a block into the trench and cross on it";
    const Materials m = addMaterials(doc);
    walls(doc, m, -8, 8, -10, 12, 6.0f);
    terrace(doc, m, "near", -8, 8, -10, kNear, 0.0f);
    terrace(doc, m, "far", -8, 8, kFar, 12, 0.0f);
    // The block sinks onto the water with its top a hair under the floor.
    water(doc, m, "trench", -8, 8, kNear, kFar, -kBlock - 0.02f);
    // Past the trench only a passage as wide as the door leads on, to the beacon.
    solid(doc, "door_wall", vec3(0.0f, 0.0f, kFar), 3.0f, m.rock, [](shapes::MeshBuilder& b) {
        b.box(vec3(-8, 0, 0), vec3(-kDoor, 6, 12 - kFar));
        b.box(vec3(kDoor, 0, 0), vec3(8, 6, 12 - kFar));
        b.box(vec3(-kDoor, kLintel, 0), vec3(kDoor, 6, kWall));
    });
    // A lane between two walls keeps the block in line with the door. Its west
    // wall runs on past the gate to the trench: a walker going west there stops
    // in the door's line.
    solid(doc, "lane", vec3(0.0f, 0.0f, kNear), 3.0f, m.rock, [](shapes::MeshBuilder& b) {
        b.box(vec3(-kLane - 0.4f, 0, kLaneSouth - kNear), vec3(-kLane, kLaneTop, 0));
        b.box(vec3(kLane, 0, kLaneSouth - kNear), vec3(kLane + 0.4f, kLaneTop, kLaneNorth - kNear));
        b.box(vec3(-kLane, kGateHeight, kGate - kNear), vec3(kLane, kLaneTop, kLaneNorth - kNear));
    });
    // Stops for the walker: the post west of the start and the pillar east of
    // the lane's mouth put it in line with the lane and beside it, and the kerb
    // along the trench east of the lane stops it short of the water.
    rock(doc, m, "post", vec3(-1.5f, 0.0f, kStart.y - 0.8f), vec3(-kInLine, 2.4f, kStart.y + 0.8f));
    rock(doc, m, "pillar", vec3(kPillar, 0.0f, kLaneSouth - 4.0f), vec3(kPillar + 0.6f, 2.4f, kLaneSouth));
    rock(doc, m, "kerb", vec3(kLane + 0.05f, 0.0f, kKerb), vec3(8.0f, 1.0f, kNear));
    pushBlock(doc, m, 1, kBlock1);
    beacon(doc, m, kBeacon);
    player(doc, m, kStart);
    lamps(doc, vec3(-3.0f, 6.0f, -4.0f), vec3(3.0f, 5.5f, 7.0f), kBeacon);
    addCamera(doc, vec3(0.0f, 5.0f, -9.5f), vec3(0.0f, 1.0f, 4.0f), 60.0f);
    return doc;
}

std::string bridgeRoute()
{
    std::ostringstream out;
    out << routeStart("Bridge", "Data/LevelBridge.dae", kStart) << "  trench_loose x [-8, 8], z [" << kNear << ", "
        << kFar << "], its water " << kBlock << " under the floor; door_wall behind it, doorway x [" << -kDoor << ", "
        << kDoor << "], " << kLintel << " high.\n"
        << "  the lane x [" << -kLane << ", " << kLane << "], z [" << kLaneSouth << ", " << kLaneNorth
        << "], under a bar " << kGateHeight << " up at its north end; its west wall runs on to the trench.\n"
        << "  dynamicBlock1 at " << point(vec3(kBlock1.x, kBlock * 0.5f, kBlock1.y)) << "; beacon_win at "
        << point(kBeacon) << ".\n"
        << "  Keys: D 1.5 s (to the post, in line with the lane), W 2.5 s (the block slides on from the gate into\n"
        << "  the trench), S 1.1 s (out of the lane), A 1 s (to the pillar), W 2 s (to the kerb), D 0.8 s (to the\n"
        << "  lane's west wall, in line with the door), W 3 s: over the sunk block, through the door to the beacon. "
           "Holding W\n"
        << "  stops at the kerb.\n";
    return out.str();
}
