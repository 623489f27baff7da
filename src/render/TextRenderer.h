#pragma once

#include "render/GlObjects.h"

// Resources of the text overlay: the text program, the font atlas and two
// buffers. Nothing in the frame draws text yet; a game without the program or
// the atlas does not start.
class TextRenderer {
public:
    TextRenderer(gl::Program program, gl::Texture fontAtlas);

private:
    gl::Program program;
    gl::Texture fontAtlas;
    gl::Buffer vertexBuffer;
    gl::Buffer texCoordBuffer;
    GLint samplerLocation = -1; // "myTextureSampler"
};
