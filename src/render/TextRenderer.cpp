#include "render/TextRenderer.h"

TextRenderer::TextRenderer(gl::Program textProgram, gl::Texture atlas)
    : program(std::move(textProgram)), fontAtlas(std::move(atlas)), vertexBuffer(gl::Buffer::create()),
      texCoordBuffer(gl::Buffer::create()), samplerLocation(glGetUniformLocation(program, "myTextureSampler"))
{
}
