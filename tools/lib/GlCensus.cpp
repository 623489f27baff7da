#include "lib/GlCensus.h"

#include <GL/glew.h>

#include <algorithm>
#include <sstream>

namespace {

// Mesa hands out names in increasing order and does not reuse freed ones
// unless told to, so a fresh name lies above every live one. The margin
// covers a driver that refills a few freed names; probing costs about ten
// microseconds a name on llvmpipe, and the game stalls while it runs.
constexpr GLuint reuseMargin = 64;

template <typename Generate, typename Delete> GLuint probeLimit(Generate generate, Delete remove)
{
    GLuint fresh = 0;
    generate(1, &fresh);
    remove(1, &fresh);
    return std::max<GLuint>(fresh, 1) + reuseMargin;
}

template <typename IsKind> int countUpTo(GLuint limit, IsKind isKind)
{
    int count = 0;
    for (GLuint name = 1; name < limit; ++name)
        count += isKind(name) ? 1 : 0;
    return count;
}

} // namespace

std::string GlCensus::describe() const
{
    std::ostringstream text;
    text << "buffers " << buffers << " textures " << textures << " vertexArrays " << vertexArrays << " framebuffers "
         << framebuffers << " renderbuffers " << renderbuffers << " programs " << programs << " shaders " << shaders
         << " total " << total();
    return text.str();
}

GlCensus takeGlCensus()
{
    GlCensus census;
    census.buffers = countUpTo(probeLimit(glGenBuffers, glDeleteBuffers), glIsBuffer);
    census.textures = countUpTo(probeLimit(glGenTextures, glDeleteTextures), glIsTexture);
    census.vertexArrays = countUpTo(probeLimit(glGenVertexArrays, glDeleteVertexArrays), glIsVertexArray);
    census.framebuffers = countUpTo(probeLimit(glGenFramebuffers, glDeleteFramebuffers), glIsFramebuffer);
    census.renderbuffers = countUpTo(probeLimit(glGenRenderbuffers, glDeleteRenderbuffers), glIsRenderbuffer);

    // Programs and shader objects share one name space.
    const GLuint fresh = glCreateShader(GL_VERTEX_SHADER);
    glDeleteShader(fresh);
    const GLuint limit = std::max<GLuint>(fresh, 1) + reuseMargin;
    census.programs = countUpTo(limit, glIsProgram);
    census.shaders = countUpTo(limit, glIsShader);
    return census;
}
