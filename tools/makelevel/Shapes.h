#pragma once

#include "Collada.h"

#include <glm/glm.hpp>

#include <cstdint>

// Flat-shaded solids for the level's meshes. Every face gets its own vertices
// (so normals are per face), triangles run counter-clockwise seen from
// outside, and texture coordinates are world units divided by the tile size,
// so neighbouring pieces continue each other's texture.
namespace shapes {

class MeshBuilder {
public:
    // `origin` is where the mesh's node will stand in the world: texture
    // coordinates are taken at origin + vertex, so separate nodes tile on.
    MeshBuilder(std::string id, glm::vec3 origin, float tile);

    // Axis-aligned box between `low` and `high` in mesh coordinates. Every
    // solid stays closed, hidden faces included, so a mesh's signed volume
    // tells whether its winding faces outwards.
    MeshBuilder& box(glm::vec3 low, glm::vec3 high, int group = 0);
    // Box whose every face shows the whole texture once (crates, blocks).
    MeshBuilder& unitMappedBox(glm::vec3 low, glm::vec3 high, int group = 0);
    // Upright prism with `sides` corners on a circle of `radius` around the
    // vertical axis through `base`, from y0 to y1; an end without its cap is
    // meant to carry a pyramid.
    MeshBuilder& prism(glm::vec3 base, float radius, float y0, float y1, int sides, bool bottomCap = true,
                       bool topCap = true, int group = 0);
    // Pointed cap: a pyramid of `sides` faces from a ring at y0 to an apex
    // above or below it (no base face: it sits on a prism's cap).
    MeshBuilder& pyramid(glm::vec3 base, float radius, float y0, float apexY, int sides, int group = 0);
    // One quad with the given corners counter-clockwise seen from the side
    // the normal points to.
    MeshBuilder& quad(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, int group = 0);

    // Material of each group, in group order.
    collada::Mesh build(const std::vector<int>& groupMaterials) const;
    collada::Mesh build(int material) const { return build(std::vector<int>{material}); }

private:
    uint32_t vertex(glm::vec3 position, glm::vec3 normal, glm::vec2 uv);
    void triangle(int group, uint32_t a, uint32_t b, uint32_t c);
    // Texture coordinate of a world point on a face with this normal; u runs
    // to the right and v up as seen from outside, so the tangent frame is
    // right-handed on every face.
    glm::vec2 planarUv(glm::vec3 worldPoint, glm::vec3 normal) const;

    std::string id;
    glm::vec3 origin;
    float tile;
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
    std::vector<std::vector<uint32_t>> groups;
};

} // namespace shapes
