#pragma once

#include "render/Gl.h"

#include <cstdint>
#include <string>
#include <vector>

// One imported mesh as it travels from the importer into its object, which
// keeps it. The GL names belong to the level (material buffer, textures).
struct MeshData {
    std::string name;              // node name, also the rigid body's name
    std::vector<float> positions;  // 3 per vertex
    std::vector<float> normals;    // 3 per vertex
    std::vector<float> uvs;        // 2 per vertex
    std::vector<float> tangents;   // 4 per vertex: xyz tangent, w handedness ±1
    std::vector<uint32_t> indices; // 3 per triangle
    GLuint materialBuffer = 0;     // uniform buffer of the mesh's Material
    GLuint colorTexture = 0;       // sampled as "colorTexture"
    GLuint normalMap = 0;          // sampled as "normal_map"
};
