#include "QuarryLevel.h"

#include "LevelParts.h"
#include "Shapes.h"

#include <cmath>
#include <sstream>

// Layout, in world units (+y up, +z north; the player starts looking north):
//
//   z=12 +---------------------- cliff_north ----------------------+
//        |  Floor_ledge (y 3.6)       |trench|  Floor_terrace (3.6) |
//        |  on ledge_rock             |water |      beacon_win (8,11.3)
//   z=2  |lift|====== rock face ======|      +---- moat (water) ----|
//   z=-1 |  Floor_quarry (y 0)               +----------------------|
//        |      dynamicBlock1 (-7,-5)          crane_mast (6.5,-6.5)|
//        |      player (-7,-10)                                      |
//  z=-12 +---------------------- cliff_south ----------------------+
//        x=-12                  x=-1   x=1                     x=12
//
// The upper level stands 3.6 above the quarry floor. That is more than a jump
// (6 up against gravity 10 lifts the capsule's bottom 1.8, its top about 3.2),
// and the game counts any touch of a Floor body as ground, so a lower lip
// could be reached by jumping against the face. From a 1.2 block the capsule's
// top passes the lip and the player climbs on.
//
// The upper route runs along the north cliff, so that a route played by held
// keys alone (W north into the cliff, then A to strafe east) ends in known
// places.

namespace {

using glm::vec3;
using parts::Materials;
using parts::meshNode;
using parts::playerBuilder;
using parts::solid;

constexpr float kUpper = 3.6f;   // top of the ledge and the terrace
constexpr float kSlab = 0.15f;   // gravel slab on the rock masses
constexpr float kGround = -3.0f; // bottom of every rock mass
constexpr float kWater = -1.5f;  // surface of the flooded pit
constexpr float kCliffTop = 9.0f;
constexpr float kBlock = 1.2f;
constexpr float kLiftBottom = 0.02f; // just above the floor, so the tops do not fight
constexpr float kLiftTop = kUpper + 0.02f;
const vec3 kLiftPosition(-10.5f, kLiftBottom, 0.95f);
const vec3 kStart(-7.0f, 0.0f, -10.0f); // y is filled in from the capsule
const vec3 kBlock1(-7.0f, kBlock * 0.5f, -5.0f);
const vec3 kBeacon(8.0f, kUpper, 11.3f); // against the north cliff
const vec3 kCraneMast(6.5f, 0.0f, -6.5f);
constexpr float kCraneArmHeight = 10.6f;
constexpr float kGapWest = -1.0f; // east edge of the ledge
constexpr float kGapEast = 1.0f;  // west edge of the terrace
constexpr float kCycle = 10.0f;   // lift: 2 s below, 3 s up, 2 s above, 3 s down
constexpr int kCycles = 3;        // the crane turns once in kCycles lift cycles

void addCliffs(collada::Document& doc, const Materials& m)
{
    // Buttresses stay off the routes: the upper level's north edge is
    // walked along.
    const float t = 3.0f;
    solid(doc, "cliff_north", vec3(0, 0, 13), t, m.rock, [](shapes::MeshBuilder& b) {
        b.box(vec3(-14, kGround, -1), vec3(14, kCliffTop, 1));
        b.box(vec3(10.5f, kUpper, -1.8f), vec3(12, kCliffTop + 1.0f, -1));
    });
    solid(doc, "cliff_south", vec3(0, 0, -13), t, m.rock, [](shapes::MeshBuilder& b) {
        b.box(vec3(-14, kGround, -1), vec3(14, kCliffTop, 1));
        b.box(vec3(-10, kGround, 1), vec3(-8.5f, 5.0f, 1.8f));
        b.box(vec3(8.5f, kGround, 1), vec3(10.5f, kCliffTop - 0.4f, 1.6f));
    });
    solid(doc, "cliff_west", vec3(-13, 0, 0), t, m.rock, [](shapes::MeshBuilder& b) {
        b.box(vec3(-1, kGround, -12), vec3(1, kCliffTop, 12));
        b.box(vec3(1, kGround, -9), vec3(1.7f, 6.5f, -7));
        b.box(vec3(1, kUpper, 5), vec3(1.5f, kCliffTop + 0.6f, 7.5f));
    });
    solid(doc, "cliff_east", vec3(13, 0, 0), t, m.rock, [](shapes::MeshBuilder& b) {
        b.box(vec3(-1, kGround, -12), vec3(1, kCliffTop, 12));
        b.box(vec3(-1.8f, kGround, -4), vec3(-1, 7.0f, -2));
        b.box(vec3(-1.5f, kUpper, 5), vec3(-1, kCliffTop + 1.2f, 7));
    });
}

void addFloors(collada::Document& doc, const Materials& m)
{
    // The lower floor is one L-shaped slab: its west part runs up to the ledge
    // face, its east part stops at the moat. It has no faces inside it: an
    // upright face under the floor would give its top edge to the walker's
    // feet as a step to catch on.
    solid(doc, "Floor_quarry", vec3(0, 0, 0), 2.0f, m.gravel, [](shapes::MeshBuilder& b) {
        const float west = -12.0f, east = 12.0f, south = -12.0f, north = 2.0f, moat = -1.0f;
        auto top = [&b](float x0, float x1, float z0, float z1) {
            b.quad(vec3(x0, 0, z0), vec3(x0, 0, z1), vec3(x1, 0, z1), vec3(x1, 0, z0));
            b.quad(vec3(x0, kGround, z0), vec3(x1, kGround, z0), vec3(x1, kGround, z1), vec3(x0, kGround, z1));
        };
        // Three rectangles that meet edge to edge: west of the gap south and
        // north of the moat's line, and east of the gap.
        top(west, kGapWest, south, moat);
        top(west, kGapWest, moat, north);
        top(kGapWest, east, south, moat);
        // The outline, walked so that every side faces out.
        const glm::vec2 outline[] = {{east, south},     {west, south},    {west, north},
                                     {kGapWest, north}, {kGapWest, moat}, {east, moat}};
        const size_t corners = sizeof outline / sizeof outline[0];
        for (size_t i = 0; i < corners; ++i) {
            const glm::vec2 p = outline[i];
            const glm::vec2 q = outline[(i + 1) % corners];
            b.quad(vec3(p.x, kGround, p.y), vec3(q.x, kGround, q.y), vec3(q.x, 0, q.y), vec3(p.x, 0, p.y));
        }
    });
    // Upper level: rock masses with a thin gravel slab on top, so that only
    // the top is a floor and the faces below the lip are plain rock.
    const float ledgeX = (-12.0f + kGapWest) * 0.5f;
    const float ledgeHalf = (kGapWest + 12.0f) * 0.5f;
    solid(doc, "ledge_rock", vec3(ledgeX, 0, 7), 3.0f, m.rock, [ledgeHalf](shapes::MeshBuilder& b) {
        b.box(vec3(-ledgeHalf, kGround, -5), vec3(ledgeHalf, kUpper - kSlab, 5));
    });
    solid(doc, "Floor_ledge", vec3(ledgeX, kUpper, 7), 2.0f, m.gravel,
          [ledgeHalf](shapes::MeshBuilder& b) { b.box(vec3(-ledgeHalf, -kSlab, -5), vec3(ledgeHalf, 0, 5)); });
    const float terraceX = (12.0f + kGapEast) * 0.5f;
    const float terraceHalf = (12.0f - kGapEast) * 0.5f;
    solid(doc, "terrace_rock", vec3(terraceX, 0, 7), 3.0f, m.rock, [terraceHalf](shapes::MeshBuilder& b) {
        b.box(vec3(-terraceHalf, kGround, -5), vec3(terraceHalf, kUpper - kSlab, 5));
    });
    solid(doc, "Floor_terrace", vec3(terraceX, kUpper, 7), 2.0f, m.gravel,
          [terraceHalf](shapes::MeshBuilder& b) { b.box(vec3(-terraceHalf, -kSlab, -5), vec3(terraceHalf, 0, 5)); });
    // The moat in front of the terrace and the trench between ledge and
    // terrace hold water; touching it loses.
    solid(doc, "pit_loose", vec3(0, kWater, 0), 2.0f, m.hazard, [](shapes::MeshBuilder& b) {
        b.box(vec3(kGapWest, kGround - kWater, -1), vec3(12, 0, 2));
        b.box(vec3(kGapWest, kGround - kWater, 2), vec3(kGapEast, 0, 12));
    });
}

void addProps(collada::Document& doc, const Materials& m)
{
    solid(doc, "rock_pillar1", vec3(1.5f, 0, -4.5f), 3.0f, m.rock, [](shapes::MeshBuilder& b) {
        b.box(vec3(-0.8f, -0.5f, -0.8f), vec3(0.8f, 3.2f, 0.8f));
        b.box(vec3(-0.5f, 3.2f, -0.6f), vec3(0.6f, 4.4f, 0.5f));
    });
    solid(doc, "rock_pillar2", vec3(10.2f, 0, -3.0f), 3.0f, m.rock,
          [](shapes::MeshBuilder& b) { b.box(vec3(-0.7f, -0.5f, -0.9f), vec3(0.7f, 2.6f, 0.9f)); });
    // A wooden scaffold against the south cliff: its plank is low enough to
    // jump on.
    solid(doc, "scaffold_frame", vec3(3.25f, 0, -11.15f), 1.5f, m.wood, [](shapes::MeshBuilder& b) {
        for (float x : {-1.6f, 1.45f}) {
            for (float z : {-0.7f, 0.55f}) {
                b.box(vec3(x, 0, z), vec3(x + 0.15f, 1.35f, z + 0.15f));
            }
        }
    });
    solid(doc, "Floor_scaffold", vec3(3.25f, 1.35f, -11.15f), 1.5f, m.wood,
          [](shapes::MeshBuilder& b) { b.box(vec3(-1.75f, 0, -0.75f), vec3(1.75f, 0.15f, 0.75f)); });
    solid(doc, "Floor_crate1", vec3(-1.0f, 0, -9.5f), 1.0f, m.wood,
          [](shapes::MeshBuilder& b) { b.unitMappedBox(vec3(-0.5f, 0, -0.5f), vec3(0.5f, 1.0f, 0.5f)); });
    solid(doc, "Floor_crate2", vec3(-1.0f, 1.0f, -9.4f), 1.0f, m.wood,
          [](shapes::MeshBuilder& b) { b.unitMappedBox(vec3(-0.4f, 0, -0.4f), vec3(0.4f, 0.8f, 0.4f)); });

    // Push blocks; the first stands in line with the ledge face, the second
    // can take its place.
    const vec3 blocks[] = {kBlock1, vec3(-4.0f, kBlock * 0.5f, -3.5f), vec3(4.0f, kBlock * 0.5f, -8.5f),
                           vec3(-9.0f, kUpper + kBlock * 0.5f, 6.0f)};
    for (int i = 0; i < 4; ++i) {
        float h = kBlock * 0.5f;
        solid(doc, "dynamicBlock" + std::to_string(i + 1), blocks[i], 1.0f, m.block,
              [h](shapes::MeshBuilder& b) { b.unitMappedBox(vec3(-h), vec3(h)); });
    }

    // The beacon: an emissive crystal on the terrace.
    solid(doc, "beacon_win", kBeacon, 0.5f, m.goal, [](shapes::MeshBuilder& b) {
        b.prism(vec3(0), 0.45f, 0.0f, 1.5f, 8, true, false);
        b.pyramid(vec3(0), 0.45f, 1.5f, 2.2f, 8);
    });
}

void addLiftAndCrane(collada::Document& doc, const Materials& m)
{
    // The lift: a metal ram beside the ledge face that rises from the quarry
    // floor to the upper level. It is a solid column as tall as its travel, so
    // nobody can stand under it when it comes down; below, it sinks into the
    // floor.
    solid(doc, "Floor_lift_Anim", kLiftPosition, 1.0f, m.metal,
          [](shapes::MeshBuilder& b) { b.box(vec3(-1.3f, kLiftBottom - kLiftTop, -0.9f), vec3(1.3f, 0, 0.9f)); });
    solid(doc, "lift_frame", vec3(-10.5f, 0, 1.85f), 1.0f, m.metal, [](shapes::MeshBuilder& b) {
        b.box(vec3(1.35f, 0, -0.15f), vec3(1.6f, 6.5f, 0.15f));
        b.box(vec3(-1.5f, 6.2f, -0.15f), vec3(1.6f, 6.5f, 0.15f));
    });
    std::vector<float> times;
    std::vector<float> values;
    const float phases[] = {0.0f, 2.0f, 5.0f, 7.0f};
    const float heights[] = {kLiftBottom, kLiftBottom, kLiftTop, kLiftTop};
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        for (int k = 0; k < 4; ++k) {
            times.push_back(cycle * kCycle + phases[k]);
            values.insert(values.end(), {kLiftPosition.x, heights[k], kLiftPosition.z});
        }
    }
    times.push_back(kCycles * kCycle);
    values.insert(values.end(), {kLiftPosition.x, kLiftBottom, kLiftPosition.z});
    doc.channels.push_back({"Floor_lift_Anim/location", times, values, 3});

    // The crane: the arm turns on its mast, high above the cliff tops.
    shapes::MeshBuilder mast("crane_mast", kCraneMast, 1.5f);
    mast.box(vec3(-0.8f, 0, -0.8f), vec3(0.8f, 0.3f, 0.8f));
    mast.box(vec3(-0.3f, 0.3f, -0.3f), vec3(0.3f, kCraneArmHeight, 0.3f));
    collada::Node mastNode = meshNode(doc, "crane_mast", kCraneMast, mast, m.wood);

    vec3 armOrigin = kCraneMast + vec3(0, kCraneArmHeight, 0);
    shapes::MeshBuilder arm("crane_arm_Anim", armOrigin, 1.5f);
    arm.box(vec3(-2.0f, 0, -0.22f), vec3(5.6f, 0.45f, 0.22f));
    arm.box(vec3(-2.0f, -0.6f, -0.4f), vec3(-1.2f, 0, 0.4f));
    arm.box(vec3(5.2f, -1.0f, -0.05f), vec3(5.3f, 0, 0.05f));
    arm.box(vec3(5.0f, -1.4f, -0.25f), vec3(5.5f, -1.0f, 0.25f));
    collada::Node armNode = meshNode(doc, "crane_arm_Anim", vec3(0, kCraneArmHeight, 0), arm, m.wood);
    armNode.rotations.push_back({"rotationY", vec3(0, 1, 0), 0.0f});
    mastNode.children.push_back(armNode);
    doc.nodes.push_back(mastNode);

    times.clear();
    values.clear();
    const int steps = 8 * kCycles; // 15 degrees a key: short slerps
    for (int k = 0; k <= steps; ++k) {
        times.push_back(kCycles * kCycle * static_cast<float>(k) / steps);
        values.push_back(360.0f * static_cast<float>(k) / steps);
    }
    doc.channels.push_back({"crane_arm_Anim/rotationY.ANGLE", times, values, 1});
}

void addLightsAndCamera(collada::Document& doc)
{
    parts::addLamp(doc, "lamp_quarry", vec3(-1.0f, 8.0f, -5.5f), vec3(1.0f, 0.92f, 0.8f), 12.0f);
    parts::addLamp(doc, "lamp_ledge", vec3(-8.0f, 8.0f, 6.0f), vec3(0.85f, 0.9f, 1.0f), 9.0f);
    parts::addLamp(doc, "lamp_beacon", kBeacon + vec3(0.0f, 3.0f, 0.0f), vec3(0.55f, 1.0f, 0.7f), 4.0f);
    parts::addCamera(doc, vec3(0.0f, 7.0f, -11.5f), vec3(0.0f, 2.0f, 4.0f), 70.0f);
}

// The start height: the capsule resting on the floor with a little air.
vec3 playerStart()
{
    PlayerCapsule capsule = playerCapsule(playerBuilder(kStart).build(0));
    return vec3(kStart.x, capsule.halfHeight() + 0.05f, kStart.z);
}

} // namespace

PlayerCapsule playerCapsule(const collada::Mesh& playerMesh)
{
    // Ritter's sphere over the triangle corners, as the game computes it.
    std::vector<vec3> points;
    for (const collada::TriangleGroup& group : playerMesh.groups) {
        for (uint32_t index : group.indices) {
            points.push_back(playerMesh.positions[index]);
        }
    }
    PlayerCapsule capsule;
    if (points.empty()) {
        return capsule;
    }
    vec3 minPoint[3] = {points[0], points[0], points[0]};
    vec3 maxPoint[3] = {points[0], points[0], points[0]};
    for (size_t i = 1; i < points.size(); ++i) {
        for (int a = 0; a < 3; ++a) {
            if (points[i][a] < minPoint[a][a]) {
                minPoint[a] = points[i];
            } else if (points[i][a] > maxPoint[a][a]) {
                maxPoint[a] = points[i];
            }
        }
    }
    float d[3];
    for (int a = 0; a < 3; ++a) {
        vec3 v = maxPoint[a] - minPoint[a];
        d[a] = glm::dot(v, v);
    }
    int axis = (d[0] >= d[1] && d[0] >= d[2]) ? 0 : (d[1] >= d[0] && d[1] >= d[2]) ? 1 : 2;
    vec3 center = minPoint[axis] + (maxPoint[axis] - minPoint[axis]) * 0.5f;
    vec3 toMax = maxPoint[axis] - center;
    float radiusSquared = glm::dot(toMax, toMax);
    float radius = std::sqrt(radiusSquared);
    for (const vec3& p : points) {
        vec3 v = p - center;
        float d2 = glm::dot(v, v);
        if (d2 > radiusSquared) {
            float dist = std::sqrt(d2);
            float grown = (radius + dist) * 0.5f;
            center += v * ((dist - grown) / dist);
            radius = grown;
            radiusSquared = grown * grown;
        }
    }
    capsule.sphereRadius = radius;
    capsule.radius = 0.5f * radius * 0.5f;
    capsule.cylinderHeight = (maxPoint[1].y - minPoint[1].y) * 0.5f;
    return capsule;
}

collada::Document buildQuarryLevel()
{
    collada::Document doc;
    doc.subject = "Push a block to the ledge and climb it";
    Materials m = parts::addMaterials(doc);
    addCliffs(doc, m);
    addFloors(doc, m);
    addProps(doc, m);
    addLiftAndCrane(doc, m);

    vec3 start = playerStart();
    doc.nodes.push_back(meshNode(doc, "player", start, playerBuilder(start), m.player));
    addLightsAndCamera(doc);
    return doc;
}

std::string quarryRoute()
{
    PlayerCapsule capsule = playerCapsule(playerBuilder(kStart).build(0));
    vec3 start = playerStart();
    auto p = [](vec3 v) {
        return "(" + collada::formatNumber(v.x) + ", " + collada::formatNumber(v.y) + ", " +
               collada::formatNumber(v.z) + ")";
    };
    auto n = [](double v) { return collada::formatNumber(v); };
    float rest = capsule.halfHeight(); // body origin above the surface it stands on
    float northZ = 12.0f - capsule.radius;
    std::ostringstream out;
    out << "Quarry route (world units; +y up, +z north). After a reset the camera looks along +z; then\n"
        << "W walks north, A walks east (+x), D west, S south. Walking 5/s; jump speed 6, gravity 10.\n"
        << "Player capsule: radius " << n(capsule.radius) << ", total height " << n(2.0f * rest)
        << "; its origin rests " << n(rest) << " above the ground, the eye 1.3 higher.\n\n"
        << "Key points:\n"
        << "  start (player node)      " << p(start) << "\n"
        << "  dynamicBlock1 (1.2 cube) " << p(kBlock1) << ", straight north of the start\n"
        << "  second block dynamicBlock2 " << p(vec3(-4.0f, kBlock * 0.5f, -3.5f)) << "\n"
        << "  ledge face (rock)        z = 2 for x in [-12, " << n(kGapWest) << "]; the lip (Floor_ledge) at y "
        << n(kUpper) << "\n"
        << "  Floor_ledge top          y " << n(kUpper) << ", x [-12, " << n(kGapWest) << "], z [2, 12]\n"
        << "  lift, down (top face)    " << p(vec3(kLiftPosition.x, kLiftBottom, kLiftPosition.z))
        << ", platform x [-11.8, -9.2], z [0.05, 1.85]\n"
        << "  lift, up (top face)      " << p(vec3(kLiftPosition.x, kLiftTop, kLiftPosition.z)) << "\n"
        << "  lift timing, from the level's start and looping every " << n(kCycle)
        << " s: 0-2 down, 2-5 rising, 5-7 up, 7-10 sinking\n"
        << "  gap (trench) on the upper level: x [" << n(kGapWest) << ", " << n(kGapEast) << "], z [2, 12]\n"
        << "  Floor_terrace top        y " << n(kUpper) << ", x [" << n(kGapEast) << ", 12], z [2, 12]\n"
        << "  beacon_win               " << p(kBeacon) << ", crystal of radius 0.45, 2.2 tall\n"
        << "  pit_loose water          y " << n(kWater) << ": moat x [" << n(kGapWest) << ", 12], z [-1, 2]; trench x ["
        << n(kGapWest) << ", " << n(kGapEast) << "], z [2, 12]\n\n"
        << "Route by the block (keys only, no mouse; times from the first game frame, checked in a model of\n"
        << "the game's physics at 10 to 60 frames a second):\n"
        << "  1. W 3 s: the player walks into dynamicBlock1 and pushes it against the face (it stops there).\n"
        << "  2. W + space 1.5 s or more: the player hops onto the block and jumps at the face; its top\n"
        << "     touches the lip of Floor_ledge, which counts as ground, so the next jump carries it over onto\n"
        << "     the ledge. The climb needs frames of about 0.1 s or shorter; a failed try drops back onto the\n"
        << "     block and holding the keys tries again.\n"
        << "  3. W 2.5 s: north until the cliff stops it at z " << n(northZ) << ", x about -7.\n"
        << "  4. A 0.8 s: east along the cliff to x about -3 (a jump from x -4.8 to -0.8 clears the gap).\n"
        << "  5. A + space 0.25 s: the running jump (~6 units) clears the trench onto Floor_terrace.\n"
        << "  6. A 3 s: on along the cliff to the beacon at x " << n(kBeacon.x) << ": touching it wins.\n"
        << "Route by the lift (keys only):\n"
        << "  1. Wait 8.5 s (the lift goes down at 10 s), then W + D 0.7 s and W 1.5 s: onto the platform at\n"
        << "     about (-10.5, 0.7, 0.9).\n"
        << "  2. Wait 5 s: the lift rises at 12-15 s to y " << n(kLiftTop) << ".\n"
        << "  3. W 2.5 s onto Floor_ledge and north to the cliff (x about -10.5), A 1.6 s (to x about -2.5),\n"
        << "     then steps 5 and 6 above.\n"
        << "Losing: east of x " << n(kGapWest) << " the quarry floor ends at z -1 in the moat; missing the\n"
        << "jump drops into the trench. Both are pit_loose.\n"
        << "Animations: one animation of " << n(kCycles * kCycle) << " s. Assimp reports its ticks in ms (duration "
        << n(kCycles * kCycle * 1000.0f) << ",\n1000 ticks per second); played tick-as-second the lift would "
        << "take hours.\nThe crane arm turns once per " << n(kCycles * kCycle) << " s at y " << n(kCraneArmHeight)
        << " on its mast at " << p(kCraneMast) << ".\n";
    return out.str();
}
