#include "ShaftLevel.h"

#include "LevelParts.h"
#include "QuarryLevel.h"

#include <sstream>

// Seen from above (+z north, the way the player starts looking):
//
//   z=20 +------------ shaft walls, 12 high ------------+
//        |         Floor_top (y 6)  beacon_win (0,6,16)  |
//   z=12 |         Floor_lift2_Anim (y 3 to 6)           |
//   z=10 |  water  Floor_middle (y 3)            water   |
//   z=5  |         Floor_lift1_Anim (y 0 to 3)           |
//   z=3  |         Floor_island (y 0), player (0,_,-1)   |
//  z=-4  +-----------------------------------------------+
//        x=-8    x=-2 ............ x=2                x=8
//
// Each lift is a column as tall as its travel that fills its slot between two
// floors at every height, so nobody falls through or gets under one. A player
// who walks north and keeps walking waits against the face of whatever is in
// the way (the terrace above, or a lift standing up) until a lift carries them
// on: the route needs no timing, only patience. Stepping off the sides drops
// into the water, which loses.

namespace {

using glm::vec3;
using parts::solid;

constexpr float kGround = -3.0f;
constexpr float kWater = -1.5f;
constexpr float kRise = 3.0f;      // each lift's travel, the height of each terrace
constexpr float kLift = 0.02f;     // a lift's top stands this far above the floor it meets
constexpr float kHalfWidth = 2.0f; // the path's floors run from x -2 to 2
constexpr float kLiftHalfWidth = 1.5f;
constexpr float kWallTop = 12.0f;
constexpr float kPhase = 1.5f; // each lift waits, rises, waits and sinks this long
const vec3 kStart(0.0f, 0.0f, -1.0f);
const vec3 kBeacon(0.0f, 2.0f * kRise, 16.0f);

struct Slot {
    const char* name;
    float z0, z1, floor; // the slot between two terraces and the height it starts from
    bool upFirst;        // the second lift stands up while the first is down
};
const Slot kLifts[] = {{"Floor_lift1_Anim", 3.0f, 5.0f, 0.0f, false}, {"Floor_lift2_Anim", 10.0f, 12.0f, kRise, true}};

// A terrace: rock from the ground to `top`, with a gravel slab that is the
// floor, so that only the top counts as ground.
void terrace(collada::Document& doc, const parts::Materials& m, const std::string& name, float top, float z0, float z1)
{
    const float middle = (z0 + z1) * 0.5f, half = (z1 - z0) * 0.5f;
    solid(doc, name + "_rock", vec3(0, 0, middle), 3.0f, m.rock, [&](shapes::MeshBuilder& b) {
        b.box(vec3(-kHalfWidth, kGround, -half), vec3(kHalfWidth, top - 0.15f, half));
    });
    solid(doc, "Floor_" + name, vec3(0, top, middle), 2.0f, m.gravel,
          [&](shapes::MeshBuilder& b) { b.box(vec3(-kHalfWidth, -0.15f, -half), vec3(kHalfWidth, 0, half)); });
}

void addLift(collada::Document& doc, const parts::Materials& m, const Slot& slot)
{
    const float bottom = slot.floor + kLift, top = bottom + kRise, middle = (slot.z0 + slot.z1) * 0.5f;
    const vec3 position(0.0f, slot.upFirst ? top : bottom, middle);
    solid(doc, slot.name, position, 1.0f, m.metal, [&](shapes::MeshBuilder& b) {
        b.box(vec3(-kLiftHalfWidth, -kRise, slot.z0 - middle), vec3(kLiftHalfWidth, 0, slot.z1 - middle));
    });
    std::vector<float> times, values;
    for (int k = 0; k <= 4; ++k) {
        const bool up = (k == 2 || k == 3) != slot.upFirst;
        times.push_back(k * kPhase);
        values.insert(values.end(), {0.0f, up ? top : bottom, middle});
    }
    doc.channels.push_back({std::string(slot.name) + "/location", times, values, 3});
}

} // namespace

collada::Document buildShaftLevel()
{
    collada::Document doc;
    doc.subject = "Ride the lifts up to the beacon";
    const parts::Materials m = parts::addMaterials(doc);
    solid(doc, "shaft_walls", vec3(0), 3.0f, m.rock, [](shapes::MeshBuilder& b) {
        b.box(vec3(-9, kGround, -5), vec3(9, kWallTop, -4));
        b.box(vec3(-9, kGround, 20), vec3(9, kWallTop, 21));
        b.box(vec3(-9, kGround, -4), vec3(-8, kWallTop, 20));
        b.box(vec3(8, kGround, -4), vec3(9, kWallTop, 20));
    });
    solid(doc, "water_loose", vec3(0, kWater, 0), 2.0f, m.hazard,
          [](shapes::MeshBuilder& b) { b.box(vec3(-8, kGround - kWater, -4), vec3(8, 0, 20)); });
    terrace(doc, m, "island", 0.0f, -4.0f, 5.0f);
    terrace(doc, m, "middle", kRise, 5.0f, 12.0f);
    terrace(doc, m, "top", 2.0f * kRise, 12.0f, 20.0f);
    for (const Slot& slot : kLifts)
        addLift(doc, m, slot);
    solid(doc, "dynamicCrate", vec3(-1.3f, kRise + 0.4f, 7.0f), 1.0f, m.wood,
          [](shapes::MeshBuilder& b) { b.unitMappedBox(vec3(-0.4f), vec3(0.4f)); });
    solid(doc, "beacon_win", kBeacon, 0.5f, m.goal, [](shapes::MeshBuilder& b) {
        b.prism(vec3(0), 0.45f, 0.0f, 1.5f, 8, true, false);
        b.pyramid(vec3(0), 0.45f, 1.5f, 2.2f, 8);
    });

    const PlayerCapsule capsule = playerCapsule(parts::playerBuilder(kStart).build(0));
    const vec3 start(kStart.x, capsule.halfHeight() + 0.05f, kStart.z);
    doc.nodes.push_back(parts::meshNode(doc, "player", start, parts::playerBuilder(start), m.player));
    parts::addLamp(doc, "lamp_island", vec3(0.0f, 6.0f, 0.0f), vec3(1.0f, 0.9f, 0.78f), 9.0f);
    parts::addLamp(doc, "lamp_middle", vec3(-4.0f, 9.0f, 9.0f), vec3(0.85f, 0.9f, 1.0f), 9.0f);
    parts::addLamp(doc, "lamp_beacon", kBeacon + vec3(0.0f, 3.0f, 0.0f), vec3(0.55f, 1.0f, 0.7f), 4.0f);
    parts::addCamera(doc, vec3(0.0f, 10.0f, -3.0f), vec3(0.0f, 3.0f, 8.0f), 60.0f);
    return doc;
}

std::string shaftRoute()
{
    auto n = [](double v) { return collada::formatNumber(v); };
    std::ostringstream out;
    out << "Shaft route (Data/LevelShaft.dae): the player starts at (0, _, " << n(kStart.z) << ") looking north.\n"
        << "  Floor_island y 0 to z 5; Floor_lift1_Anim z [3, 5] from y " << n(kLift) << " to " << n(kLift + kRise)
        << "; Floor_middle y " << n(kRise) << ", z [5, 12];\n"
        << "  Floor_lift2_Anim z [10, 12] from y " << n(kRise + kLift) << " to " << n(2 * kRise + kLift)
        << "; Floor_top y " << n(2 * kRise) << " from z 12; beacon_win at z " << n(kBeacon.z) << ".\n"
        << "  Lift 1: " << n(kPhase) << " s down, rising, up, sinking, every " << n(4 * kPhase)
        << " s; lift 2 half a cycle later.\n"
        << "  Hold W: the player waits against each face until a lift carries it up, and wins within about "
        << n(2 * 4 * kPhase + 6.0) << " s.\n"
        << "  The path is 4 wide (x -2 to 2); beside it lies water_loose.\n";
    return out.str();
}
