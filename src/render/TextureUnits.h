#pragma once

#include "render/Gl.h"

// Every texture unit and uniform-block binding point the renderer uses,
// given out here only: a 2D and a cube sampler on one unit make every draw
// fail.
namespace textureUnits {

// The lit program.
constexpr GLint color = 0;     // "colorTexture"
constexpr GLint normalMap = 1; // "normal_map"
// Shadow cube maps take the units from 2 up, one per light in level order.
constexpr GLint firstShadowMap = 2;
constexpr int shadowMapCount = 5;
// The unit each of the samplers "depth_map", "depth_map2" … "depth_map5" reads:
// the second and third are crossed over, as the lit program expects.
constexpr GLint shadowMapSamplers[shadowMapCount] = {2, 4, 3, 5, 6};
constexpr GLuint materialBlockBinding = 2; // the uniform block "Material"

// The full-screen passes (menu pictures, sky, bloom): the picture they read,
// and the bloom's second input.
constexpr GLint picture = 0;
constexpr GLint secondPicture = 1;

inline GLenum glUnit(GLint unit) { return GL_TEXTURE0 + static_cast<GLenum>(unit); }

} // namespace textureUnits
