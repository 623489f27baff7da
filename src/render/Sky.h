#pragma once

#include "render/FullScreenQuad.h"
#include "render/GlObjects.h"

#include <glm/glm.hpp>

// The sky behind the level: one full-screen pass at the far plane, drawn
// after the level with the depth test at LEQUAL, so that it shades only the
// pixels nothing else covered. Each pixel looks its view direction up in a
// picture that runs around the horizon (u) and up to the zenith (v).
class Sky {
public:
    Sky(gl::Program program, gl::Texture picture);

    // Leaves the depth test, depth writes and the polygon mode as it found them.
    void draw(const glm::mat4& viewProjection) const;

private:
    gl::Program program;
    gl::Texture picture;
    FullScreenQuad quad;
    GLint inverseViewProjectionLocation = -1; // "inverseViewProjection"
};
