// Bloom's four passes on a 64 × 48 picture.

#include "Fixture.h"

#include "render/Bloom.h"

namespace {

class BloomTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        const std::string shaders = sourceDir + "Shader/";
        bloom = std::make_unique<Bloom>(
            valueOrThrow(loadProgram(shaders, "bloomFirstPassFrameBuffer")),
            valueOrThrow(loadProgram(shaders, "bloomSecondPassFrameBuffer")),
            valueOrThrow(loadProgramFiles(shaders + "bloomSecondPassFrameBuffer.vert", shaders + "bloomCompose.frag")),
            64, 48);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
    }
    // The scene target filled with `grey`, two by two pixels of it white,
    // then the four passes.
    Texels render(float grey, int spotX = -1, int spotY = 0)
    {
        glClearColor(grey, grey, grey, 1);
        bloom->bindSceneTarget();
        glEnable(GL_SCISSOR_TEST);
        glScissor(spotX, spotY, 2, 2);
        glClearColor(1, 1, 1, 1);
        glClear(spotX >= 0 ? GL_COLOR_BUFFER_BIT : 0);
        glDisable(GL_SCISSOR_TEST);
        bloom->render();
        return readBack();
    }

    std::unique_ptr<Bloom> bloom;
};

// Below the threshold nothing glows, from corner to corner (one vertex array
// serves both passes: a pass that read "vp" or "vt" elsewhere would miss
// some); the passes leave the window bound and nothing else.
TEST_F(BloomTest, DarkSceneReachesTheScreenUnchanged)
{
    const Texels image = render(0.4f);
    for (const auto& [x, y] : {std::pair{0, 0}, {30, 20}, {63, 47}})
        EXPECT_EQ(image.at(x, y), (Rgba{102, 102, 102, 255}));
    for (const GLenum binding : {GL_FRAMEBUFFER_BINDING, GL_CURRENT_PROGRAM, GL_VERTEX_ARRAY_BINDING})
        EXPECT_EQ(glInteger(binding), 0);
    for (const GLenum unit : {GL_TEXTURE0, GL_TEXTURE1})
        EXPECT_EQ((glActiveTexture(unit), glInteger(GL_TEXTURE_BINDING_2D)), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A white spot of two by two pixels (one pixel of the half-size blur target)
// spreads evenly both ways a few pixels wide; at the edge the taps stay
// inside the picture instead of wrapping to the far side.
TEST_F(BloomTest, ASpotSpreadsSymmetricallyAndNotAcrossTheEdge)
{
    const Texels image = render(0.0f, 32, 24);
    EXPECT_EQ(image.at(32, 24)[0], 255);
    for (int k = 1; k <= 6; ++k) {
        const int right = image.at(33 + k, 24)[0];
        EXPECT_NEAR(image.at(32 - k, 24)[0], right, 1) << k;
        EXPECT_NEAR(image.at(32, 25 + k)[0], right, 2) << k;
        EXPECT_NEAR(image.at(33 + k, 25 + k)[0], image.at(32 - k, 24 - k)[0], 1) << k;
        EXPECT_LE(right, image.at(33 + k - 1, 24)[0]) << k;
    }
    EXPECT_GT(image.at(35, 27)[0], 0);
    EXPECT_EQ(image.at(39, 24)[0], 0);
    const Texels edge = render(0.0f, 0, 0);
    EXPECT_GT(edge.at(1, 1)[0], 0);
    for (const auto& [x, y] : {std::pair{63, 0}, {0, 47}, {63, 47}})
        EXPECT_EQ(edge.at(x, y)[0], 0) << x << ", " << y;
}

} // namespace
