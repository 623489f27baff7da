#include "RenderTarget.h"

#include "render/DebugLineRecorder.h"
#include "support/GlContext.h"

#include <glm/glm.hpp>

namespace {

// Counts the GL objects created and deleted, by wrapping GLEW's entry points
// for the duration of a test.
struct ObjectLog {
    std::vector<GLuint> buffersMade, buffersDeleted, arraysMade, arraysDeleted;
};
ObjectLog* activeLog = nullptr;
PFNGLGENBUFFERSPROC realGenBuffers = nullptr;
PFNGLDELETEBUFFERSPROC realDeleteBuffers = nullptr;
PFNGLGENVERTEXARRAYSPROC realGenVertexArrays = nullptr;
PFNGLDELETEVERTEXARRAYSPROC realDeleteVertexArrays = nullptr;

void GLAPIENTRY countingGenBuffers(GLsizei n, GLuint* names)
{
    realGenBuffers(n, names);
    activeLog->buffersMade.insert(activeLog->buffersMade.end(), names, names + n);
}
void GLAPIENTRY countingDeleteBuffers(GLsizei n, const GLuint* names)
{
    activeLog->buffersDeleted.insert(activeLog->buffersDeleted.end(), names, names + n);
    realDeleteBuffers(n, names);
}
void GLAPIENTRY countingGenVertexArrays(GLsizei n, GLuint* names)
{
    realGenVertexArrays(n, names);
    activeLog->arraysMade.insert(activeLog->arraysMade.end(), names, names + n);
}
void GLAPIENTRY countingDeleteVertexArrays(GLsizei n, const GLuint* names)
{
    activeLog->arraysDeleted.insert(activeLog->arraysDeleted.end(), names, names + n);
    realDeleteVertexArrays(n, names);
}

class LoggedObjects {
public:
    LoggedObjects()
    {
        activeLog = &log;
        realGenBuffers = std::exchange(__glewGenBuffers, countingGenBuffers);
        realDeleteBuffers = std::exchange(__glewDeleteBuffers, countingDeleteBuffers);
        realGenVertexArrays = std::exchange(__glewGenVertexArrays, countingGenVertexArrays);
        realDeleteVertexArrays = std::exchange(__glewDeleteVertexArrays, countingDeleteVertexArrays);
    }
    ~LoggedObjects()
    {
        __glewGenBuffers = realGenBuffers;
        __glewDeleteBuffers = realDeleteBuffers;
        __glewGenVertexArrays = realGenVertexArrays;
        __glewDeleteVertexArrays = realDeleteVertexArrays;
        activeLog = nullptr;
    }
    ObjectLog log;
};

class DebugLinesGl : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        lineProgram = gameProgram("line");
        drawer = std::make_unique<DebugLineRecorder>(lineProgram.get());
        drawer->setDebugMode(1);
    }
    void TearDown() override { glBindFramebuffer(GL_FRAMEBUFFER, 0); }

    std::unique_ptr<Shader> lineProgram;
    std::unique_ptr<DebugLineRecorder> drawer;
};

// Pixel row 16's centre in clip space on a 32-pixel-high target.
constexpr float row16 = 16.5f / 16.0f - 1.0f;

} // namespace

TEST_F(DebugLinesGl, NoLinesCreateNoObjectButStillDisableCulling)
{
    glEnable(GL_CULL_FACE);
    {
        LoggedObjects objects;
        flushDebugLines(*drawer, glm::mat4(1.0f));
        EXPECT_TRUE(objects.log.buffersMade.empty());
        EXPECT_TRUE(objects.log.arraysMade.empty());
    }
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DebugLinesGl, LinesLiveOnlyForOneFlush)
{
    RenderTarget target(32, 32);
    target.bind();
    drawer->drawLine(btVector3(-1, 0, 0), btVector3(1, 0, 0), btVector3(1, 1, 1));
    drawer->drawLine(btVector3(0, -1, 0), btVector3(0, 1, 0), btVector3(1, 1, 1));
    {
        LoggedObjects objects;
        flushDebugLines(*drawer, glm::mat4(1.0f));
        EXPECT_EQ(objects.log.buffersMade.size(), 2u);
        EXPECT_EQ(objects.log.arraysMade.size(), 1u);
        EXPECT_EQ(objects.log.buffersDeleted, objects.log.buffersMade);
        EXPECT_EQ(objects.log.arraysDeleted, objects.log.arraysMade);
    }
    EXPECT_TRUE(drawer->lines.empty());
    GLint program = -1, vertexArray = -1, arrayBuffer = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(vertexArray, 0);
    EXPECT_EQ(arrayBuffer, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A two-colour line is drawn in its from colour. Without a depth test the
// line drawn last wins: that is the first recorded.
TEST_F(DebugLinesGl, TwoColourLineTakesItsFromColourAndTheFirstRecordedIsDrawnLast)
{
    RenderTarget target(32, 32);
    target.bind();
    btIDebugDraw& asBullet = *drawer;
    asBullet.drawLine(btVector3(-0.9f, row16, 0), btVector3(0.9f, row16, 0), btVector3(1, 0, 0), btVector3(0, 0, 1));
    flushDebugLines(*drawer, glm::mat4(1.0f));
    Image image = Image::ofTexture(target.color);
    for (int x : {3, 8, 16, 23, 28})
        EXPECT_EQ(image.at(x, 16), (std::array<int, 4>{255, 0, 0, 255})) << "x " << x;
    EXPECT_EQ(image.at(16, 20), (std::array<int, 4>{0, 0, 0, 255}));

    target.bind();
    glDisable(GL_DEPTH_TEST);
    for (const btVector3& colour : {btVector3(0, 1, 0), btVector3(1, 0, 0), btVector3(0, 0, 1)})
        drawer->drawLine(btVector3(-0.9f, row16, 0), btVector3(0.9f, row16, 0), colour);
    flushDebugLines(*drawer, glm::mat4(1.0f));
    glEnable(GL_DEPTH_TEST);
    image = Image::ofTexture(target.color);
    EXPECT_EQ(image.at(16, 16), (std::array<int, 4>{0, 255, 0, 255}));
}

// The matrix places the lines; geometry in front hides them.
TEST_F(DebugLinesGl, UsesTheMatrixAndTheDepthTest)
{
    RenderTarget target(32, 32);
    target.bind();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    // Left half of the target already holds nearer geometry (depth 0.25).
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 16, 32);
    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    glDisable(GL_SCISSOR_TEST);

    // A line at z = 0 (window depth 0.5) shifted up by the matrix to row 16.
    glm::mat4 shiftUp(1.0f);
    shiftUp[3][1] = row16 - 0.5f;
    drawer->drawLine(btVector3(-0.9f, 0.5f, 0), btVector3(0.9f, 0.5f, 0), btVector3(1, 1, 0));
    flushDebugLines(*drawer, shiftUp);
    const Image image = Image::ofTexture(target.color);
    EXPECT_EQ(image.at(8, 16), (std::array<int, 4>{0, 0, 0, 255}));
    EXPECT_EQ(image.at(24, 16), (std::array<int, 4>{255, 255, 0, 255}));
    EXPECT_EQ(image.at(24, 24), (std::array<int, 4>{0, 0, 0, 255}));
}
