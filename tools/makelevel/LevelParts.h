#pragma once

#include "Collada.h"
#include "Shapes.h"

#include <string>

// What the shipped levels share: their materials (the textures in
// Textures/new/), mesh nodes, the player's body and the fixed camera.
namespace parts {

struct Materials {
    int rock, gravel, block, metal, wood, goal, hazard, player;
};
Materials addMaterials(collada::Document& doc);

collada::Node meshNode(collada::Document& doc, const std::string& name, glm::vec3 position,
                       const shapes::MeshBuilder& builder, int material);

// A solid standing at `position`, built by `fill` in mesh coordinates.
template <typename Fill>
void solid(collada::Document& doc, const std::string& name, glm::vec3 position, float tile, int material, Fill fill)
{
    shapes::MeshBuilder builder(name, position, tile);
    fill(builder);
    doc.nodes.push_back(meshNode(doc, name, position, builder, material));
}

// An octagonal column with pointed ends, 1.8 tall and 1.0 across flats,
// centred on `position`.
shapes::MeshBuilder playerBuilder(glm::vec3 position);

// A point light; `colour` is what the game shows (the file's ambient × 10).
void addLamp(collada::Document& doc, const std::string& name, glm::vec3 position, glm::vec3 colour, float power);

// The level's extra camera "camera1" with its "camera1_aim" and "camera1_up" nodes.
void addCamera(collada::Document& doc, glm::vec3 position, glm::vec3 aim, float zfar);

// What the later levels are built from. Heights are world units above the
// quarry floor (y 0); every rock mass reaches down to kGround.
constexpr float kGround = -3.0f;
constexpr float kSlab = 0.15f;  // the gravel slab that is a terrace's floor
constexpr float kBlock = 1.2f;  // a push block's edge
constexpr float kLedge = 3.6f;  // a terrace one block is needed to climb: a jump alone
                                // reaches a lip 3.3 above the feet
constexpr float kWater = -1.5f; // surface of a flooded pit

// A terrace over x [x0, x1], z [z0, z1]: rock up to `top` less the slab
// ("<name>_rock") and the gravel slab "Floor_<name>" on it, so that only the
// top and the slab's edge count as ground.
void terrace(collada::Document& doc, const Materials& m, const std::string& name, float x0, float x1, float z0,
             float z1, float top);
// Plain rock (no ground anywhere on it) between `low` and `high`.
void rock(collada::Document& doc, const Materials& m, const std::string& name, glm::vec3 low, glm::vec3 high);
// Losing water "<name>_loose" over x [x0, x1], z [z0, z1], its surface at `top`.
void water(collada::Document& doc, const Materials& m, const std::string& name, float x0, float x1, float z0, float z1,
           float top = kWater);
// Rock walls `top` high standing round x [x0, x1], z [z0, z1].
void walls(collada::Document& doc, const Materials& m, float x0, float x1, float z0, float z1, float top);
// A push block "dynamicBlock<n>" standing on `floor` at `position` (x, z).
void pushBlock(collada::Document& doc, const Materials& m, int n, glm::vec2 position, float floor = 0.0f);
// The beacon "beacon_win": an emissive crystal standing at `position`.
void beacon(collada::Document& doc, const Materials& m, glm::vec3 position);
// The player standing on `floor` at `position` (x, z), looking north.
void player(collada::Document& doc, const Materials& m, glm::vec2 position, float floor = 0.0f);
// A warm lamp and a cool one over the level, a green one over the beacon.
void lamps(collada::Document& doc, glm::vec3 warm, glm::vec3 cool, glm::vec3 beacon);
// Keys of "<name>/location": from t 0 the lift waits at `low`, rises by `rise`,
// waits there and sinks again, each for its share of `phases` in seconds;
// `offset` seconds of that cycle have passed at the start.
void liftKeys(collada::Document& doc, const std::string& name, glm::vec3 low, float rise, const float (&phases)[4],
              float offset = 0.0f);
// "(x, y, z)" for the routes.
std::string point(glm::vec3 p);
// A route's first line: "NAME route (FILE): the player starts at (x, 0, z) looking north."
std::string routeStart(const std::string& name, const std::string& file, glm::vec2 start);

} // namespace parts
