#pragma once

#include "render/Gl.h"

// Where the game's programs read a mesh's vertex attributes, asked of them
// once: the lit program (whose vertex stage the depth pre-pass shares) and
// the shadow pass. -1 where a program does not read the attribute.
struct VertexLayout {
    GLint position = -1;
    GLint normal = -1;
    GLint uv = -1;
    GLint tangent = -1;
    GLint shadowPosition = -1;
};
