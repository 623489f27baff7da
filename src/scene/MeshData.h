#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <string>

// One imported mesh as it travels from the importer into its object. The
// arrays belong to the importer and outlive the object; the object only points
// at them.
struct MeshData {
    GLuint materialBuffer = 0; // uniform buffer of the mesh's Material
    GLuint colorTexture = 0;   // sampled as "colorTexture" on unit 0
    GLuint normalMap = 0;      // sampled as "normal_map" on unit 1
    float* positions = nullptr; // vertexCount × 3
    float* normals = nullptr;   // vertexCount × 3
    float* uvs = nullptr;       // vertexCount × 2
    float* tangents = nullptr;  // vertexCount × 4: xyz tangent, w handedness ±1
    uint32_t* indices = nullptr; // faceCount × 3
    uint32_t vertexCount = 0;
    uint32_t faceCount = 0;
    std::string name; // node name, also the rigid body's name
};
