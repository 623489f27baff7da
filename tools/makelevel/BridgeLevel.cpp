#include "ChainLevels.h"

#include "LevelParts.h"

#include <sstream>

// Seen from above (+z north, the way the player starts looking):
//
//   z=12 +---------------+ passage +--------------+
//        |     rock      | beacon  |     rock      |  beacon_win (0,10.5)
//   z=4  |     rock      |  door   |     rock      |  doorway 1.6 wide, 1.9 high
//   z=2  |~~~~~~~~~~~~~ trench_loose ~~~~~~~~~~~~~~|  2 wide, its water one block down
//   z=0.4|             ||=gate=||                  |  the bar over the lane: 1.27 up
//        |             || blk1 ||                  |  lane 1.32 wide, walls 4 high
//  z=-2.4|             ||      ||                  |
//        |                       player (3,-8)     |
//  z=-10 +-----------------------------------------+
//        x=-8                                    x=8
//
// The trench could be jumped, but the wall stands at its far edge: any jump
// rises over the doorway's height within its first 0.1 s and meets the wall,
// or comes down through the doorway's height only after more than 5.5 units
// (more than there is room for). The lane keeps the pushed block straight; the
// player stops under the gate while the block slides on into the trench, so
// nobody presses it against the far side while it falls. Sunk, its top is
// level with the floor, and it is walked over into the doorway.

namespace {

using glm::vec3;
using namespace parts;

constexpr float kNear = 2.0f, kFar = 4.0f;         // the trench's edges
constexpr float kWall = 1.0f;                      // the wall's thickness
constexpr float kDoor = 0.8f;                      // half the doorway's width
constexpr float kLintel = 1.9f;                    // the doorway's height: 0.54 over a walker's head
constexpr float kLaneTop = 4.0f;                   // out of reach of a jump from the block
constexpr float kLane = 0.66f, kLaneSouth = -2.4f; // half the lane's width, its south end
// The bar over the lane's north end: a block passes under it, the walker not.
constexpr float kGate = 0.0f, kGateHeight = 1.27f;
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
    // A lane between two walls keeps the block in line with the door.
    solid(doc, "lane", vec3(0.0f, 0.0f, kNear), 3.0f, m.rock, [](shapes::MeshBuilder& b) {
        b.box(vec3(-kLane - 0.4f, 0, kLaneSouth - kNear), vec3(-kLane, kLaneTop, kGate + 0.4f - kNear));
        b.box(vec3(kLane, 0, kLaneSouth - kNear), vec3(kLane + 0.4f, kLaneTop, kGate + 0.4f - kNear));
        b.box(vec3(-kLane, kGateHeight, kGate - kNear), vec3(kLane, kLaneTop, kGate + 0.4f - kNear));
    });
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
    out << "Bridge route (Data/LevelBridge.dae): the player starts at " << point(vec3(kStart.x, 0, kStart.y))
        << " looking north.\n"
        << "  trench_loose x [-8, 8], z [" << kNear << ", " << kFar << "], its water " << kBlock
        << " under the floor; door_wall behind it, doorway x [" << -kDoor << ", " << kDoor << "], " << kLintel
        << " high.\n"
        << "  the lane x [" << -kLane << ", " << kLane << "], z [" << kLaneSouth << ", " << kGate + 0.4f
        << "], under a bar " << kGateHeight << " up at its north end.\n"
        << "  dynamicBlock1 at " << point(vec3(kBlock1.x, kBlock * 0.5f, kBlock1.y)) << "; beacon_win at "
        << point(kBeacon) << ".\n"
        << "  Keys: D 0.7 s (into the lane), W 2.5 s (the block slides on from the gate into the trench),\n"
        << "  S 0.6 s, A 0.4 s, W 0.8 s, D 0.4 s (out of the lane and round to the trench before the door),\n"
        << "  W 3 s: over the sunk block, through the door to the beacon. Holding W walks into the water.\n";
    return out.str();
}
