#pragma once

#include "render/GlObjects.h"

#include <glm/glm.hpp>

#include <array>
#include <vector>

class Shader;

// One mesh as the shadow pass draws it: its depth-pass vertex array with
// `indexCount` indices and its model matrix.
struct ShadowCaster {
    GLuint vertexArray = 0;
    GLsizei indexCount = 0;
    glm::mat4 model{1.0f};
};

// The light a shadow map is rendered from. A face matrix is the face's
// projection times its view, in the cube map's face order (+X, -X, +Y, -Y, +Z, -Z).
struct ShadowLight {
    glm::vec3 position{0.0f};
    float nearPlane = 0.0f;
    float farPlane = 0.0f;
    std::array<glm::mat4, 6> faceMatrices{};
};

// A depth cube map of 256 × 256 per face for one light, rendered in one
// layered pass: the geometry stage sends every triangle to all six faces.
class ShadowMap {
public:
    static constexpr int size = 256;

    explicit ShadowMap(Shader* depthProgram);

    // Renders `casters` into the cube map from `light` and returns the cube
    // map's name. Leaves framebuffer, program, vertex array and cube map
    // unbound and the viewport at 256 × 256.
    GLuint render(const ShadowLight& light, const std::vector<ShadowCaster>& casters);

    gl::Framebuffer framebuffer;
    gl::Texture cubeMap;
    Shader* depthProgram;
    GLint modelLocation = -1;        // "M"
    GLint faceMatrixLocations[6] = {-1, -1, -1, -1, -1, -1}; // "cm_mat[0]" .. "cm_mat[5]"
    GLint lightPositionLocation = -1; // "light_pos"
    GLint nearFarLocation = -1;       // "near_far"
};
