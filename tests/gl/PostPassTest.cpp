// The passes after the lit scene: bloom on a 64 × 48 picture, and the
// physics debug lines.

#include "Fixture.h"

#include "render/Bloom.h"
#include "render/BulletDebug.h"

#include <algorithm>

namespace {

class BloomTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        first = gameProgram("bloomFirstPassFrameBuffer");
        second = gameProgram("bloomSecondPassFrameBuffer");
        bloom = std::make_unique<Bloom>(first.get(), second.get(), 64, 48);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
    }
    // The scene target filled with `grey`, one pixel white, then the three passes.
    Texels render(float grey, int spotX = -1, int spotY = 0)
    {
        glClearColor(grey, grey, grey, 1);
        bloom->bindSceneTarget();
        glEnable(GL_SCISSOR_TEST);
        glScissor(spotX, spotY, 1, 1);
        glClearColor(1, 1, 1, 1);
        glClear(spotX >= 0 ? GL_COLOR_BUFFER_BIT : 0);
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 1);
        bloom->render();
        return readBack();
    }
    static int spread(const Texels& image)
    {
        int low = 255, high = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                low = std::min(low, image.red(x, y)), high = std::max(high, image.red(x, y));
        return high - low;
    }

    std::unique_ptr<Shader> first, second;
    std::unique_ptr<Bloom> bloom;
};

// One vertex array serves both passes: the programs must agree on where "vp" and "vt" live.
TEST_F(BloomTest, BothPassesShareTheQuadsAttributeLocations)
{
    for (const char* attribute : {"vp", "vt"}) {
        EXPECT_NE(glGetAttribLocation(first->program, attribute), -1);
        EXPECT_EQ(glGetAttribLocation(second->program, attribute), glGetAttribLocation(first->program, attribute));
    }
}

// Below the threshold nothing glows; the passes leave the window bound and nothing else.
TEST_F(BloomTest, DarkSceneReachesTheScreenUnchanged)
{
    const Texels image = render(0.4f);
    EXPECT_EQ(spread(image), 0);
    EXPECT_EQ(image.at(30, 20), (Rgba{102, 102, 102, 255}));
    for (const GLenum binding : {GL_FRAMEBUFFER_BINDING, GL_CURRENT_PROGRAM, GL_VERTEX_ARRAY_BINDING})
        EXPECT_EQ(glInteger(binding), 0);
    for (const GLenum unit : {GL_TEXTURE0, GL_TEXTURE1}) {
        glActiveTexture(unit);
        EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The blur's weights sum to one: a flat bright picture stays flat, a little brighter.
TEST_F(BloomTest, FlatBrightSceneStaysFlat)
{
    const Texels image = render(0.75f);
    EXPECT_LE(spread(image), 1);
    EXPECT_GT(image.red(30, 20), 191);
    EXPECT_LT(image.red(30, 20), 255);
}

// One white pixel spreads evenly both ways a few pixels wide; at the edge the
// taps stay inside the picture instead of wrapping to the far side.
TEST_F(BloomTest, APixelSpreadsSymmetricallyAndNotAcrossTheEdge)
{
    const Texels image = render(0.0f, 32, 24);
    EXPECT_EQ(image.red(32, 24), 255);
    for (int k = 1; k <= 6; ++k) {
        const int right = image.red(32 + k, 24);
        EXPECT_NEAR(image.red(32 - k, 24), right, 1) << k;
        EXPECT_NEAR(image.red(32, 24 + k), right, 2) << k;
        EXPECT_NEAR(image.red(32 + k, 24 + k), image.red(32 - k, 24 - k), 1) << k;
        EXPECT_LE(right, image.red(32 + k - 1, 24)) << k;
    }
    EXPECT_GT(image.red(33, 25), 0);
    EXPECT_EQ(image.red(38, 24), 0);
    const Texels edge = render(0.0f, 0, 0);
    EXPECT_GT(edge.red(1, 1), 0);
    for (const auto& [x, y] : {std::pair{63, 0}, {0, 47}, {63, 47}})
        EXPECT_EQ(edge.red(x, y), 0) << x << ", " << y;
}

// Debug lines are drawn with the matrix, behind nearer geometry, in their
// from colour; the flush's buffers and vertex array last one flush only.
using DebugLinesTest = GlTest;

TEST_F(DebugLinesTest, UseTheMatrixAndTheDepthTestAndLeaveNoObjects)
{
    static int live = 0;
    static PFNGLGENBUFFERSPROC genBuffers = __glewGenBuffers;
    static PFNGLDELETEBUFFERSPROC deleteBuffers = __glewDeleteBuffers;
    __glewGenBuffers = [](GLsizei n, GLuint* names) { live += n, genBuffers(n, names); };
    __glewDeleteBuffers = [](GLsizei n, const GLuint* names) { live -= n, deleteBuffers(n, names); };
    const auto program = gameProgram("line");
    BulletDebug drawer(program.get(), window);
    drawer.setDebugMode(1);
    clearScreen();
    glEnable(GL_SCISSOR_TEST); // nearer geometry over the left half (depth 0.25)
    glScissor(0, 0, 320, 360);
    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_CULL_FACE);
    flushDebugLines(drawer, glm::mat4(1.0f));
    EXPECT_EQ(live, 0) << "no lines, no buffers";
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    // A line at z = 0 (window depth 0.5), moved by the matrix to the middle of pixel row 180.
    static_cast<btIDebugDraw&>(drawer).drawLine({-0.9f, 0.5f, 0}, {0.9f, 0.5f, 0}, {1, 1, 0}, {0, 0, 1});
    flushDebugLines(drawer, glm::translate(glm::mat4(1.0f), {0, 0.5f / 180.0f - 0.5f, 0}));
    __glewGenBuffers = genBuffers;
    __glewDeleteBuffers = deleteBuffers;
    EXPECT_EQ(live, 0);
    EXPECT_TRUE(drawer.lines.empty());
    const Texels image = readBack();
    EXPECT_EQ(image.at(160, 180), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(image.at(480, 180), (Rgba{255, 255, 0, 255}));
    EXPECT_EQ(image.at(480, 200), (Rgba{0, 0, 0, 255}));
}

} // namespace
