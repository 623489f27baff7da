#include "ChainLevels.h"

#include "LevelParts.h"

#include <sstream>

// Seen from above (+z north, the way the player starts looking):
//
//   z=8   +----------------------------------------------+
//         |  Floor_ledge (y 4.8)  beacon_win (-7,6.5)    |
//   z=4   |slot|............[buttress]...................|  the ledge's face
//   z=2.5 |####|     dynamicBlock1 (-4.5,3.36)           |  the slot takes dynamicBlock1
//         |tunl| band: rock to 4.8, a tunnel through it   |
//         |#B2#|  over the shelf (y 1.3)                 |
//   z=-5  |####|                                         |
//         |shelf                  player (2,-8)          |
//  z=-9.5 |----|                                         |
//   z=-10 +----------------------------------------------+
//         x=-8 x=-6.7 x=-5.6  x=-3   x=0               x=8
//
// The ledge is 4.8 high: from one block (1.2) its lip is as far out of reach
// as the quarry's ledge is from the floor; from two stacked (2.4) it is
// climbed as in the quarry. The first block is pushed west along the ledge's
// face into the slot by the west wall. The second stands on a shelf that runs
// through a tunnel in the band of rock south of the slot; pushed north, it
// slides out of the tunnel, drops the 0.1 the shelf stands over the first
// block onto it and stops against the face. The tunnel is too low to stand on
// the second block inside it, so its top is no step up until it lies on the
// first. The buttress on the face puts a walker along it a little south of
// the first block's middle, so that the block slides along the face rather
// than away from it.

namespace {

using glm::vec3;
using namespace parts;

constexpr float kTop = kLedge + kBlock;               // 4.8: the quarry's ledge a block higher
constexpr float kFace = 4.0f;                         // the ledge's face
constexpr float kSlotWest = -8.0f, kSlotEast = -6.7f; // the slot and the tunnel above the shelf
constexpr float kBandNorth = 2.5f, kBandSouth = -5.0f, kBandEast = -5.6f;
constexpr float kShelf = kBlock + 0.1f; // a little over the first block, so the second drops onto it
constexpr float kShelfSouth = -9.5f;
constexpr float kTunnelRoof = kShelf + 2.1f; // over the eye of a walker on the shelf
const vec3 kButtress(-3.0f, 0.0f, 0.0f);     // its west end; it runs east to x 0, 0.5 out
constexpr float kButtressDepth = 0.5f;
const glm::vec2 kStart(2.0f, -8.0f);
const glm::vec2 kBlock1(-4.5f, kFace - kBlock * 0.5f - 0.04f);
const glm::vec2 kBlock2((kSlotWest + kSlotEast) * 0.5f, -2.0f);
const vec3 kBeacon(-7.0f, kTop, 6.5f);

} // namespace

collada::Document buildStairsLevel()
{
    collada::Document doc;
    doc.subject = "Stack two blocks under the high ledge and climb them";
    const Materials m = addMaterials(doc);
    walls(doc, m, -8, 8, -10, 8, 8.0f);
    terrace(doc, m, "yard", -8, 8, -10, kFace, 0.0f);
    terrace(doc, m, "ledge", -8, 8, kFace, 8, kTop);
    rock(doc, m, "buttress", vec3(kButtress.x, 0.0f, kFace - kButtressDepth), vec3(0.0f, kTop - kSlab, kFace));
    solid(doc, "Floor_buttress", vec3(kButtress.x * 0.5f, kTop, kFace - kButtressDepth * 0.5f), 2.0f, m.gravel,
          [](shapes::MeshBuilder& b) {
              b.box(vec3(kButtress.x * 0.5f, -kSlab, -kButtressDepth * 0.5f),
                    vec3(-kButtress.x * 0.5f, 0, kButtressDepth * 0.5f));
          });
    // The band: the shelf, the tunnel's east wall and roof, and the band's top.
    terrace(doc, m, "shelf", kSlotWest, kSlotEast, kShelfSouth, kBandNorth, kShelf);
    rock(doc, m, "band_east", vec3(kSlotEast, 0.0f, kBandSouth), vec3(kBandEast, kTop - kSlab, kBandNorth));
    rock(doc, m, "tunnel_roof", vec3(kSlotWest, kTunnelRoof, kBandSouth), vec3(kSlotEast, kTop - kSlab, kBandNorth));
    solid(doc, "Floor_band", vec3((kSlotWest + kBandEast) * 0.5f, kTop, (kBandSouth + kBandNorth) * 0.5f), 2.0f,
          m.gravel, [](shapes::MeshBuilder& b) {
              const float hx = (kBandEast - kSlotWest) * 0.5f, hz = (kBandNorth - kBandSouth) * 0.5f;
              b.box(vec3(-hx, -kSlab, -hz), vec3(hx, 0, hz));
          });
    pushBlock(doc, m, 1, kBlock1);
    pushBlock(doc, m, 2, kBlock2, kShelf);
    beacon(doc, m, kBeacon);
    player(doc, m, kStart);
    lamps(doc, vec3(0.0f, 7.0f, -3.0f), vec3(-5.0f, 7.5f, 1.0f), kBeacon);
    addCamera(doc, vec3(2.0f, 6.0f, -9.5f), vec3(2.0f, 2.0f, 4.0f), 60.0f);
    return doc;
}

std::string stairsRoute()
{
    std::ostringstream out;
    out << routeStart("Stairs", "Data/LevelStairs.dae", kStart) << "  Floor_ledge y " << kTop << " north of z " << kFace
        << "; the slot x [" << kSlotWest << ", " << kSlotEast << "], z [" << kBandNorth << ", " << kFace
        << "]; the shelf (y " << kShelf << ") under the band's tunnel (roof " << kTunnelRoof << ") from z "
        << kShelfSouth << " to " << kBandNorth << ".\n"
        << "  dynamicBlock1 at " << point(vec3(kBlock1.x, kBlock * 0.5f, kBlock1.y))
        << ", dynamicBlock2 on the shelf at " << point(vec3(kBlock2.x, kShelf + kBlock * 0.5f, kBlock2.y))
        << "; beacon_win at " << point(kBeacon) << ".\n"
        << "  Keys: D 0.8 s, W 3 s (to the buttress), D 1.5 s (the first block slides into the slot), A 0.3 s,\n"
        << "  S 2.1 s, D and space 0.6 s (onto the shelf), W 3.5 s (the second block slides out onto the first),\n"
        << "  S 2.5 s (back through the tunnel and off the shelf), A 0.8 s, W 3.5 s (to the face east of the\n"
        << "  stack), D 0.8 s (against it), W and space 4 s: up beside the stack onto the ledge, to the beacon.\n";
    return out.str();
}
