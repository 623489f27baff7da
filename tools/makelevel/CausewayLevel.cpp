#include "ChainLevels.h"

#include "LevelParts.h"

#include <sstream>

// Seen from above (+z north, the way the player starts looking):
//
//   z=12 +-------------------------------------------------------------+
//        |                        water_loose                          |
//   z=7.6|  ####quay_wall####===============================+---------+ |
//        |  Floor_pad     |  Floor_causeway2 (-0.1)         | ledge   | |
//   z=6  |  (-0.05)       |..................................| 3.6 up  | |
//        |                | Floor_causeway1 (1.6 wide)       | beacon  | |
//   z=3.4|  +-------------+                                  +---------+ |
//        |               | dynamicBlock1 (0,-2)                        |
//   z=-4 |        +---------------+                                    |
//        |        | Floor_landing |  player (0,-7)                     |
//  z=-10 +--------+---------------+------------------------------------+
//        x=-6   x=-4.5   x=0                                 x=11    x=16
//
// Everything but the rock lies in water. Pushed north, the block slides along
// the first causeway until the quay wall stops it at the bend; the player goes
// round it over the pad and pushes it east along the second causeway to the
// ledge's face, and climbs as in the quarry. Over the pad the wall stands out
// so far that a walker along it meets the block a little south of its
// middle: pushed from there it keeps to the wall. Pushed from its east side
// it goes off the pad, and from well north or south of its middle it turns
// off the causeway into the water.

namespace {

using glm::vec3;
using namespace parts;

constexpr float kHalf = 0.8f;                    // half the causeways' width
constexpr float kBendSouth = 6.0f, kQuay = 7.6f; // the second causeway's edges
constexpr float kStep = 0.05f;                   // more than a body's collision margin
constexpr float kNook = 0.5f;
constexpr float kPadWest = -4.5f, kPadSouth = 3.4f;
constexpr float kLedgeWest = 11.0f;
constexpr float kRail = 0.15f; // the rail's thickness
const glm::vec2 kStart(0.0f, -7.0f);
const glm::vec2 kBlock1(0.0f, -2.0f);
const vec3 kBeacon(13.5f, kLedge, 6.8f);

} // namespace

collada::Document buildCausewayLevel()
{
    collada::Document doc;
    doc.subject = "Push the block along the causeway without dropping it";
    const Materials m = addMaterials(doc);
    walls(doc, m, -6, 16, -10, 12, 6.0f);
    water(doc, m, "water", -6, 16, -10, 12);
    terrace(doc, m, "landing", -2.5f, 2.5f, -10, -4, 0.0f);
    // Each floor the block is pushed onto overlaps the last and lies a hair
    // lower, so that its leading edge meets no upright face at the seam.
    terrace(doc, m, "causeway1", -kHalf, kHalf, -4, kBendSouth, 0.0f);
    terrace(doc, m, "pad", kPadWest, kHalf, kPadSouth, kQuay, -kStep);
    terrace(doc, m, "causeway2", 0.0f, kLedgeWest, kBendSouth, kQuay, -2.0f * kStep);
    // The quay wall stands out over the pad's west part just so far that a
    // walker along it stands in line with a block against it beyond.
    solid(doc, "quay_wall", vec3(0.0f, 0.0f, kQuay), 3.0f, m.rock, [](shapes::MeshBuilder& b) {
        b.box(vec3(kPadWest, 0, -kNook), vec3(-kHalf, 3, 0.6f));
        b.box(vec3(-kHalf, 0, 0), vec3(kLedgeWest, 3, 0.6f));
    });
    // A rail along the second causeway's south edge, past the bend, keeps a
    // block that drifts from the quay wall on the causeway.
    rock(doc, m, "rail", vec3(kHalf + 0.6f, kGround, kBendSouth), vec3(kLedgeWest, 0.5f, kBendSouth + kRail));
    terrace(doc, m, "ledge", kLedgeWest, 16, 3, 12, kLedge);
    pushBlock(doc, m, 1, kBlock1);
    beacon(doc, m, kBeacon);
    player(doc, m, kStart);
    lamps(doc, vec3(0.0f, 6.0f, 0.0f), vec3(7.0f, 6.0f, 5.0f), kBeacon);
    addCamera(doc, vec3(0.0f, 6.0f, -9.5f), vec3(0.0f, 1.0f, 4.0f), 60.0f);
    return doc;
}

std::string causewayRoute()
{
    std::ostringstream out;
    out << routeStart("Causeway", "Data/LevelCauseway.dae", kStart) << "  Floor_causeway1 x [" << -kHalf << ", "
        << kHalf << "] north to the pad x [" << kPadWest << ", " << kHalf << "], z [" << kPadSouth << ", " << kQuay
        << "]; Floor_causeway2 z [" << kBendSouth << ", " << kQuay << "] east to the ledge (y " << kLedge << ") at x "
        << kLedgeWest << ", the quay wall along its north side,\n"
        << "  a rail along its south side from x " << kHalf + 0.6f << ".\n"
        << "  dynamicBlock1 at " << point(vec3(kBlock1.x, kBlock * 0.5f, kBlock1.y)) << "; beacon_win at "
        << point(kBeacon) << "; all else is water_loose.\n"
        << "  Keys: W 3 s (the block stops against the quay wall), S 0.3 s, D 0.5 s, W 1 s (to the wall over\n"
        << "  the pad), A 3 s (the block slides to the ledge), A and space 4 s: up the block onto the ledge\n"
        << "  and east to the beacon. Holding W leaves the block at the bend.\n";
    return out.str();
}
