#include "render/FullScreenQuad.h"

namespace {

const GLfloat quadPositions[12] = {-1.0f, -1.0f, 1.0f, -1.0f, 1.0f, 1.0f, 1.0f, 1.0f, -1.0f, 1.0f, -1.0f, -1.0f};
const GLfloat quadTexCoords[12] = {0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f};

gl::Buffer filledBuffer(const GLfloat (&data)[12])
{
    gl::Buffer buffer = gl::Buffer::create();
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(data), data, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return buffer;
}

// A program without the attribute reports -1, which GL would refuse.
void pointAttribute(GLuint program, const char* name, GLuint buffer)
{
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const GLint location = glGetAttribLocation(program, name);
    if (location < 0)
        return;
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), 2, GL_FLOAT, GL_FALSE, 0, nullptr);
}

} // namespace

FullScreenQuad::FullScreenQuad(GLuint program)
    : positionBuffer(filledBuffer(quadPositions)), texCoordBuffer(filledBuffer(quadTexCoords)),
      vertexArray(gl::VertexArray::create())
{
    glBindVertexArray(vertexArray);
    pointAttribute(program, "vp", positionBuffer);
    pointAttribute(program, "vt", texCoordBuffer);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void FullScreenQuad::draw() const
{
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glBindVertexArray(0);
}
