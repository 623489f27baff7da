#pragma once

#include "render/GlObjects.h"

#include <glm/glm.hpp>

#include <string>
#include <vector>

// The text overlay: lines of text in the font atlas's 16 × 16 cells (code c
// in column c % 16, row c / 16 from the top), drawn over whatever the frame
// holds, on a screen of 1920 × 1080 units whatever its pixels.
class TextRenderer {
public:
    TextRenderer(gl::Program program, gl::Texture fontAtlas);

    // Draws `text` centred on `centreX` with its cells' bottom at `bottomY`
    // (units from the screen's bottom left), each character `size` units
    // high, in `colour` (its alpha fades the whole line). Characters outside
    // printable ASCII draw as nothing.
    void draw(const std::string& text, float centreX, float bottomY, float size, const glm::vec4& colour);

    // Positions (x, y) and texture coordinates (u, v) of the two triangles of
    // each character, as draw gives them to the program.
    static void layOut(const std::string& text, float centreX, float bottomY, float size, std::vector<float>& positions,
                       std::vector<float>& texCoords);

private:
    gl::Program program;
    gl::Texture fontAtlas;
    gl::Buffer vertexBuffer;
    gl::Buffer texCoordBuffer;
    gl::VertexArray vertexArray;
    GLint samplerLocation = -1; // "myTextureSampler"
    GLint colourLocation = -1;  // "textColour"
};
