#include "render/TextRenderer.h"

#include "render/Shader.h"

TextRenderer::TextRenderer(Shader* program) : program(program)
{
    fontAtlas = std::make_unique<Texture>("Textures/menu/fontArialMirrored.png");
    vertexBuffer = gl::Buffer::create();
    texCoordBuffer = gl::Buffer::create();
    samplerLocation = glGetUniformLocation(program->program, "myTextureSampler");
}
