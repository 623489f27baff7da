#include "render/Gl.h"

namespace {
bool linesOnly = false;
}

namespace gl {

void setWireframe(bool on)
{
    linesOnly = on;
#ifndef __EMSCRIPTEN__
    glPolygonMode(GL_FRONT_AND_BACK, on ? GL_LINE : GL_FILL);
#endif
}

bool wireframe() { return linesOnly; }

} // namespace gl
