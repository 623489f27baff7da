#pragma once

#include "render/GlObjects.h"

// Two triangles over the whole viewport: "vp" in clip space, "vt" from (0, 0)
// to (1, 1). The attribute locations are asked of `program`; any program that
// declares "vp" and "vt" at the same locations can draw with it.
class FullScreenQuad {
public:
    explicit FullScreenQuad(GLuint program);
    void draw() const; // glDrawArrays(GL_TRIANGLES, 0, 6) with the vertex array bound and unbound

    gl::Buffer positionBuffer;
    gl::Buffer texCoordBuffer;
    gl::VertexArray vertexArray;
};
