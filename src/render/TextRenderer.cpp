#include "render/TextRenderer.h"

#include "render/TextureUnits.h"

namespace {

// The glyphs sit in the middle of their square cells: characters advance by
// a bit over half a cell.
constexpr float advance = 0.55f;

} // namespace

TextRenderer::TextRenderer(gl::Program textProgram, gl::Texture atlas)
    : program(std::move(textProgram)), fontAtlas(std::move(atlas)), vertexBuffer(gl::Buffer::create()),
      texCoordBuffer(gl::Buffer::create()), vertexArray(gl::VertexArray::create()),
      samplerLocation(glGetUniformLocation(program, "myTextureSampler")),
      colourLocation(glGetUniformLocation(program, "textColour"))
{
    glBindVertexArray(vertexArray);
    gl::pointAttribute(program, "vertexPosition_screenspace", vertexBuffer, 2);
    gl::pointAttribute(program, "vertexUV", texCoordBuffer, 2);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void TextRenderer::layOut(const std::string& text, float centreX, float bottomY, float size,
                          std::vector<float>& positions, std::vector<float>& texCoords)
{
    positions.clear();
    texCoords.clear();
    const float step = advance * size;
    float left = centreX - 0.5f * step * static_cast<float>(text.size()) - 0.5f * (size - step);
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code > 32 && code < 127) {
            const float u0 = static_cast<float>(code % 16) / 16.0f, v1 = 1.0f - static_cast<float>(code / 16) / 16.0f;
            const float u1 = u0 + 1.0f / 16.0f, v0 = v1 - 1.0f / 16.0f;
            const float x0 = left, x1 = left + size, y0 = bottomY, y1 = bottomY + size;
            positions.insert(positions.end(), {x0, y0, x1, y0, x1, y1, x0, y0, x1, y1, x0, y1});
            texCoords.insert(texCoords.end(), {u0, v0, u1, v0, u1, v1, u0, v0, u1, v1, u0, v1});
        }
        left += step;
    }
}

void TextRenderer::draw(const std::string& text, float centreX, float bottomY, float size, const glm::vec4& colour)
{
    std::vector<float> positions, texCoords;
    layOut(text, centreX, bottomY, size, positions, texCoords);
    if (positions.empty())
        return;
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(positions.size() * sizeof(float)), positions.data(),
                 GL_STREAM_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, texCoordBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(texCoords.size() * sizeof(float)), texCoords.data(),
                 GL_STREAM_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    glUseProgram(program);
    glUniform1i(samplerLocation, textureUnits::picture);
    glUniform4f(colourLocation, colour.r, colour.g, colour.b, colour.a);
    glActiveTexture(textureUnits::glUnit(textureUnits::picture));
    glBindTexture(GL_TEXTURE_2D, fontAtlas);
    glDisable(GL_DEPTH_TEST);
    gl::setWireframe(false); // text stays whole in the wireframe view
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(positions.size() / 2));
    glBindVertexArray(0);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}
