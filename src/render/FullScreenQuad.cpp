#include "render/FullScreenQuad.h"

namespace {

const GLfloat quadPositions[12] = {-1.0f, -1.0f, 1.0f, -1.0f, 1.0f, 1.0f, 1.0f, 1.0f, -1.0f, 1.0f, -1.0f, -1.0f};
const GLfloat quadTexCoords[12] = {0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f};

} // namespace

FullScreenQuad::FullScreenQuad(GLuint program)
    : positionBuffer(gl::uploadBuffer(GL_ARRAY_BUFFER, quadPositions, sizeof quadPositions)),
      texCoordBuffer(gl::uploadBuffer(GL_ARRAY_BUFFER, quadTexCoords, sizeof quadTexCoords)),
      vertexArray(gl::VertexArray::create())
{
    glBindVertexArray(vertexArray);
    gl::pointAttribute(program, "vp", positionBuffer, 2);
    gl::pointAttribute(program, "vt", texCoordBuffer, 2);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void FullScreenQuad::draw() const
{
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glBindVertexArray(0);
}
