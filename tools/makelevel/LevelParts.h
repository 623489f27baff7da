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

} // namespace parts
