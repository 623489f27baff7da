#include "render/GlObjects.h"

namespace gl {

Buffer uploadBuffer(GLenum target, const void* data, size_t bytes, GLenum usage)
{
    Buffer buffer = Buffer::create();
    glBindBuffer(target, buffer);
    glBufferData(target, static_cast<GLsizeiptr>(bytes), data, usage);
    glBindBuffer(target, 0);
    return buffer;
}

void pointAttribute(GLuint program, const char* name, GLuint buffer, GLint components)
{
    pointAttribute(glGetAttribLocation(program, name), buffer, components);
}

void pointAttribute(GLint location, GLuint buffer, GLint components)
{
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    if (location < 0)
        return;
    glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(static_cast<GLuint>(location));
}

} // namespace gl
