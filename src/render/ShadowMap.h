#pragma once

#include "render/GlObjects.h"

class Level;
class Shader;
struct Light;

// A depth cube map of 256 × 256 per face for one light, rendered in one
// layered pass: the geometry stage sends every triangle to all six faces.
class ShadowMap {
public:
    static constexpr int size = 256;

    ShadowMap(Shader* debugProgram, Shader* depthProgram, Level* level);

    // Renders the level's objects into the cube map from `light` and stores the
    // cube map's name in light.depthMap. Leaves framebuffer, program, vertex
    // array and cube map unbound and the viewport at 256 × 256.
    void render(Light& light);

    gl::Buffer cubeVertexBuffer;
    gl::Buffer cubeIndexBuffer;
    gl::VertexArray cubeVertexArray;
    gl::Framebuffer framebuffer;
    gl::Texture cubeMap;
    int width = size;
    int height = size;
    Shader* debugProgram;
    Shader* depthProgram;
    Level* level;
    GLint modelLocation = -1;        // "M"
    GLint faceMatrixLocations[6] = {-1, -1, -1, -1, -1, -1}; // "cm_mat[0]" .. "cm_mat[5]"
    GLint lightPositionLocation = -1; // "light_pos"
    GLint nearFarLocation = -1;       // "near_far"
    GLint debugModelLocation = -1;      // "model"
    GLint debugViewLocation = -1;       // "view"
    GLint debugProjectionLocation = -1; // "projection"
};
