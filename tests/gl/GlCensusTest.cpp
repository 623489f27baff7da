// The soak driver's object count: it must see exactly the objects that exist,
// or a leak would hide (or show where there is none).
#include "lib/GlCensus.h"
#include "support/GlContext.h"

namespace {

class GlCensusTest : public GlTest {};

TEST_F(GlCensusTest, CountsObjectsOfEveryKindAsTheyComeAndGo)
{
    const GlCensus before = takeGlCensus();

    GLuint buffers[3];
    glGenBuffers(3, buffers);
    GLuint textures[2];
    glGenTextures(2, textures);
    GLuint vertexArray = 0;
    glGenVertexArrays(1, &vertexArray);
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    GLuint renderbuffer = 0;
    glGenRenderbuffers(1, &renderbuffer);

    // Generated but never bound: names, not objects yet.
    EXPECT_EQ(takeGlCensus().total(), before.total()) << takeGlCensus().describe();

    for (GLuint buffer : buffers)
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    for (GLuint texture : textures)
        glBindTexture(GL_TEXTURE_2D, texture);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(vertexArray);
    glBindVertexArray(0);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    const GLuint program = glCreateProgram();
    const GLuint shaders[2] = {glCreateShader(GL_VERTEX_SHADER), glCreateShader(GL_FRAGMENT_SHADER)};

    const GlCensus during = takeGlCensus();
    EXPECT_EQ(during.buffers, before.buffers + 3);
    EXPECT_EQ(during.textures, before.textures + 2);
    EXPECT_EQ(during.vertexArrays, before.vertexArrays + 1);
    EXPECT_EQ(during.framebuffers, before.framebuffers + 1);
    EXPECT_EQ(during.renderbuffers, before.renderbuffers + 1);
    EXPECT_EQ(during.programs, before.programs + 1);
    EXPECT_EQ(during.shaders, before.shaders + 2);
    EXPECT_EQ(during.total(), before.total() + 11);

    glDeleteBuffers(3, buffers);
    glDeleteTextures(2, textures);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &renderbuffer);
    glDeleteProgram(program);
    glDeleteShader(shaders[0]);
    glDeleteShader(shaders[1]);
    const GlCensus after = takeGlCensus();
    EXPECT_EQ(after.total(), before.total()) << "before: " << before.describe() << "\nafter: " << after.describe();
}

// Taking a census must not itself leave objects or names behind that the
// next census would count.
TEST_F(GlCensusTest, TakingACensusLeavesNothingBehind)
{
    const GlCensus first = takeGlCensus();
    for (int i = 0; i < 5; ++i)
        takeGlCensus();
    EXPECT_EQ(takeGlCensus().total(), first.total());
}

} // namespace
