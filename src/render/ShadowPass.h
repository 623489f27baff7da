#pragma once

#include "render/GlObjects.h"

#include <glm/glm.hpp>

#include <array>
#include <vector>

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

// The depth program of the shadows and a number of depth cube maps of
// 256 × 256 per face. With `layered`, a map is rendered in one pass, the
// geometry stage of shadowMapOmniFirstPass sending every triangle to all six
// faces; without (WebGL 2 has no geometry stage), the program is
// shadowMapOmniFace and the casters are drawn once per face.
class ShadowPass {
public:
    static constexpr int size = 256;

    ShadowPass(gl::Program depthProgram, int mapCount, bool layered = true);

    int mapCount() const { return static_cast<int>(maps.size()); }
    // Where the depth program reads a mesh's positions ("vp").
    GLint positionLocation() const { return positionAt; }

    // Renders `casters` into cube map `index` from `light` and returns the
    // cube map's name. Leaves framebuffer, program and vertex array unbound
    // and the viewport at 256 × 256.
    GLuint render(int index, const ShadowLight& light, const std::vector<ShadowCaster>& casters);

private:
    struct CubeMap {
        gl::Texture texture;
        std::vector<gl::Framebuffer> framebuffers; // one layered, or one per face
    };

    void drawCasters(const std::vector<ShadowCaster>& casters) const;

    gl::Program program;
    bool layered = true;
    GLint positionAt = -1;                                            // "vp"
    GLint modelLocation = -1;                                         // "M"
    std::array<GLint, 6> faceMatrixLocations{-1, -1, -1, -1, -1, -1}; // "cm_mat[0]" .. "cm_mat[5]", or "face_mat"
    GLint lightPositionLocation = -1;                                 // "light_pos"
    GLint nearFarLocation = -1;                                       // "near_far"
    std::vector<CubeMap> maps;
};
