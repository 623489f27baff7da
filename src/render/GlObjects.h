#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <utility>

// Move-only owners of OpenGL object names. Deleting the owner deletes the GL
// object exactly once; a moved-from or default-constructed handle holds 0 and
// deletes nothing. The handles convert to GLuint so that they can be passed to
// GL calls directly.
namespace gl {

template <typename Traits>
class Handle {
public:
    Handle() = default;
    explicit Handle(GLuint name) : name_(name) {}
    ~Handle() { reset(); }

    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            reset();
            name_ = std::exchange(other.name_, 0);
        }
        return *this;
    }

    // Generates a new object name (glGen* or glCreate*).
    static Handle create() { return Handle(Traits::create()); }

    GLuint id() const { return name_; }
    operator GLuint() const { return name_; }

    void reset()
    {
        if (name_ != 0)
            Traits::destroy(name_);
        name_ = 0;
    }

private:
    GLuint name_ = 0;
};

struct BufferTraits {
    static GLuint create() { GLuint n = 0; glGenBuffers(1, &n); return n; }
    static void destroy(GLuint n) { glDeleteBuffers(1, &n); }
};
struct VertexArrayTraits {
    static GLuint create() { GLuint n = 0; glGenVertexArrays(1, &n); return n; }
    static void destroy(GLuint n) { glDeleteVertexArrays(1, &n); }
};
struct TextureTraits {
    static GLuint create() { GLuint n = 0; glGenTextures(1, &n); return n; }
    static void destroy(GLuint n) { glDeleteTextures(1, &n); }
};
struct FramebufferTraits {
    static GLuint create() { GLuint n = 0; glGenFramebuffers(1, &n); return n; }
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

} // namespace gl
