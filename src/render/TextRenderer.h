#pragma once

#include "render/GlObjects.h"
#include "render/Texture.h"

#include <memory>

class Shader;

// Resources of the text overlay: the font atlas, the text program and two
// buffers. Nothing in the frame draws text yet.
class TextRenderer {
public:
    explicit TextRenderer(Shader* program);

    gl::Buffer vertexBuffer;
    gl::Buffer texCoordBuffer;
    Shader* program;
    GLint samplerLocation = -1; // "myTextureSampler"
    std::unique_ptr<Texture> fontAtlas; // loaded first, before the buffers
};
