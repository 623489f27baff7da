#pragma once

// The GL entry points the renderer draws with: OpenGL 3.3 core through GLEW on
// the desktop, WebGL 2 (OpenGL ES 3.0) in the browser build. What WebGL 2
// lacks (geometry shaders, polygon mode, BGR uploads, fragment data binding)
// the renderer does another way where `gl::web` says so.
#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#else
#include <GL/glew.h>
#endif

namespace gl {
#ifdef __EMSCRIPTEN__
constexpr bool web = true;
#else
constexpr bool web = false;
#endif

// The wireframe view, which every pass that draws filled turns off and back:
// polygon mode on the desktop. WebGL has none; there the lit pass draws each
// mesh's edges as lines while it is on.
void setWireframe(bool on);
bool wireframe();
} // namespace gl
