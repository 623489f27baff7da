#pragma once

#include "render/Gl.h"

#include "core/UniqueName.h"

#include <cstddef>

// Owners of OpenGL object names (core/UniqueName.h): deleting the owner
// deletes the GL object exactly once.
namespace gl {

template <typename Traits> using Handle = UniqueName<GLuint, Traits>;

struct BufferTraits {
    static GLuint create()
    {
        GLuint n = 0;
        glGenBuffers(1, &n);
        return n;
    }
    static void destroy(GLuint n) { glDeleteBuffers(1, &n); }
};
struct VertexArrayTraits {
    static GLuint create()
    {
        GLuint n = 0;
        glGenVertexArrays(1, &n);
        return n;
    }
    static void destroy(GLuint n) { glDeleteVertexArrays(1, &n); }
};
struct TextureTraits {
    static GLuint create()
    {
        GLuint n = 0;
        glGenTextures(1, &n);
        return n;
    }
    static void destroy(GLuint n) { glDeleteTextures(1, &n); }
};
struct FramebufferTraits {
    static GLuint create()
    {
        GLuint n = 0;
        glGenFramebuffers(1, &n);
        return n;
    }
    static void destroy(GLuint n) { glDeleteFramebuffers(1, &n); }
};
struct ProgramTraits {
    static GLuint create() { return glCreateProgram(); }
    static void destroy(GLuint n) { glDeleteProgram(n); }
};
struct ShaderTraits {
    // Shader objects need a stage type; construct them from glCreateShader.
    static void destroy(GLuint n) { glDeleteShader(n); }
};

using Buffer = Handle<BufferTraits>;
using VertexArray = Handle<VertexArrayTraits>;
using Texture = Handle<TextureTraits>;
using Framebuffer = Handle<FramebufferTraits>;
using Program = Handle<ProgramTraits>;
using ShaderObject = Handle<ShaderTraits>;

// A new buffer filled once with `bytes` of `data`; `target` is unbound again.
Buffer uploadBuffer(GLenum target, const void* data, size_t bytes, GLenum usage = GL_STATIC_DRAW);

// In the bound vertex array: feeds attribute `name` of `program` from
// `buffer`, `components` tightly packed floats per vertex, and enables it.
// A program without the attribute reports -1, which GL would refuse: such an
// attribute is skipped. Leaves `buffer` bound to GL_ARRAY_BUFFER.
void pointAttribute(GLuint program, const char* name, GLuint buffer, GLint components);
// The same for an attribute at a known location; -1 is skipped.
void pointAttribute(GLint location, GLuint buffer, GLint components);

} // namespace gl
