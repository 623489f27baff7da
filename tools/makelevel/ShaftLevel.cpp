#include "ShaftLevel.h"

#include "LevelParts.h"
#include "QuarryLevel.h"

#include <sstream>

// Seen from above (+z north, the way the player starts looking):
//
//   z=20 +------------ shaft walls, 12 high ------------+
//        |         Floor_top (y 7.2)  beacon_win (0,16)  |
//   z=12 |         Floor_lift2_Anim: a platform, 3.6-7.2 |
//   z=10 |  water  Floor_middle (y 3.6)          water   |
//   z=5  |         Floor_lift1_Anim (y 0 to 3.6)         |
//   z=3  |         Floor_island (y 0), player (0,_,-1)   |
//  z=-4  +-----------------------------------------------+
//        x=-8    x=-2 ............ x=2                x=8
//
// The first lift is a column as tall as its travel that fills its slot at
// every height: whoever walks north waits against its face or rides it up.
// The second is a thin platform over an open slot: it must be stepped on
// while it stands at the middle terrace. Walked into while it is away, the
// slot drops the walker into the water, which loses; so does stepping off
// the sides. Each terrace is 3.6 above the last, more than a jump climbs.

namespace {

using glm::vec3;
using parts::solid;

constexpr float kRise = parts::kLedge; // each lift's travel, the height of each terrace
constexpr float kLift = 0.02f;         // a lift's top stands this far above the floor it meets
constexpr float kHalfWidth = 2.0f;     // the path's floors run from x -2 to 2
constexpr float kLiftHalfWidth = 1.5f;
constexpr float kPlatform = 0.3f; // the second lift's thickness
constexpr float kWallTop = 12.0f;
// Each lift waits below, rises, waits above and sinks for these seconds, over
// the same cycle. The first waits above long enough for its rider to stand
// there until the second comes down; the second, `kSecondOffset` into its
// cycle at the start, stands away above while a walker who rode the first up
// and walked straight on comes to its slot, and waits level 9 to 12 s.
constexpr float kFirstPhases[4] = {2.5f, 2.0f, 7.0f, 2.0f};
constexpr float kPhases[4] = {3.0f, 2.0f, 6.5f, 2.0f};
constexpr float kSecondOffset = 4.5f;
const vec3 kStart(0.0f, 0.0f, -1.0f);
const vec3 kBeacon(0.0f, 2.0f * kRise, 16.0f);

} // namespace

collada::Document buildShaftLevel()
{
    collada::Document doc;
    doc.subject = "Ride the lifts up; step onto the second while it waits";
    const parts::Materials m = parts::addMaterials(doc);
    solid(doc, "shaft_walls", vec3(0), 3.0f, m.rock, [](shapes::MeshBuilder& b) {
        b.box(vec3(-9, parts::kGround, -5), vec3(9, kWallTop, -4));
        b.box(vec3(-9, parts::kGround, 20), vec3(9, kWallTop, 21));
        b.box(vec3(-9, parts::kGround, -4), vec3(-8, kWallTop, 20));
        b.box(vec3(8, parts::kGround, -4), vec3(9, kWallTop, 20));
    });
    parts::water(doc, m, "water", -8, 8, -4, 20);
    parts::terrace(doc, m, "island", -kHalfWidth, kHalfWidth, -4.0f, 5.0f, 0.0f);
    parts::terrace(doc, m, "middle", -kHalfWidth, kHalfWidth, 5.0f, 10.0f, kRise);
    parts::terrace(doc, m, "top", -kHalfWidth, kHalfWidth, 12.0f, 20.0f, 2.0f * kRise);

    const vec3 lift1(0.0f, kLift, 4.0f), lift2(0.0f, kRise + kLift, 11.0f);
    solid(doc, "Floor_lift1_Anim", lift1, 1.0f, m.metal,
          [](shapes::MeshBuilder& b) { b.box(vec3(-kLiftHalfWidth, -kRise, -1.0f), vec3(kLiftHalfWidth, 0, 1.0f)); });
    parts::liftKeys(doc, "Floor_lift1_Anim", lift1, kRise, kFirstPhases);
    solid(doc, "Floor_lift2_Anim", lift2, 1.0f, m.metal, [](shapes::MeshBuilder& b) {
        b.box(vec3(-kLiftHalfWidth, -kPlatform, -1.0f), vec3(kLiftHalfWidth, 0, 1.0f));
    });
    parts::liftKeys(doc, "Floor_lift2_Anim", lift2, kRise, kPhases, kSecondOffset);

    solid(doc, "dynamicCrate", vec3(-1.3f, kRise + 0.4f, 7.0f), 1.0f, m.wood,
          [](shapes::MeshBuilder& b) { b.unitMappedBox(vec3(-0.4f), vec3(0.4f)); });
    parts::beacon(doc, m, kBeacon);
    parts::player(doc, m, glm::vec2(kStart.x, kStart.z));
    parts::addLamp(doc, "lamp_island", vec3(0.0f, 6.0f, 0.0f), vec3(1.0f, 0.9f, 0.78f), 9.0f);
    parts::addLamp(doc, "lamp_middle", vec3(-4.0f, 10.0f, 9.0f), vec3(0.85f, 0.9f, 1.0f), 9.0f);
    parts::addLamp(doc, "lamp_beacon", kBeacon + vec3(0.0f, 3.0f, 0.0f), vec3(0.55f, 1.0f, 0.7f), 4.0f);
    parts::addCamera(doc, vec3(0.0f, 10.0f, -3.0f), vec3(0.0f, 3.0f, 8.0f), 60.0f);
    return doc;
}

std::string shaftRoute()
{
    auto n = [](double v) { return collada::formatNumber(v); };
    const float cycle = kPhases[0] + kPhases[1] + kPhases[2] + kPhases[3];
    std::ostringstream out;
    out << "Shaft route (Data/LevelShaft.dae): the player starts at (0, _, " << n(kStart.z) << ") looking north.\n"
        << "  Floor_island y 0 to z 5; Floor_lift1_Anim z [3, 5] from y " << n(kLift) << " to " << n(kLift + kRise)
        << "; Floor_middle y " << n(kRise) << ", z [5, 10];\n"
        << "  Floor_lift2_Anim, a platform over the open slot z [10, 12], from y " << n(kRise + kLift) << " to "
        << n(2 * kRise + kLift) << "; Floor_top y " << n(2 * kRise) << " from z 12; beacon_win at z " << n(kBeacon.z)
        << ".\n"
        << "  Lift 1: " << n(kFirstPhases[0]) << " s down, " << n(kFirstPhases[1]) << " s rising, "
        << n(kFirstPhases[2]) << " s up, " << n(kFirstPhases[3]) << " s sinking; lift 2: " << n(kPhases[0])
        << " s down, " << n(kPhases[1]) << " s rising, " << n(kPhases[2]) << " s up, " << n(kPhases[3])
        << " s sinking, " << n(kSecondOffset) << " s into that at the start; each every " << n(cycle) << " s.\n"
        << "  Keys: W 3 s (onto lift 1, against the middle terrace's face; it carries the player up at 2.5-4.5 s),\n"
        << "  wait 6 s on it, then W 8 s: across the middle terrace onto lift 2 while it stands level (9 to 12 s),\n"
        << "  which carries the player up to the beacon.\n"
        << "  Holding W walks into the open slot while lift 2 is away. The path is 4 wide (x -2 to 2).\n";
    return out.str();
}
