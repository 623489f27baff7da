#include "RenderTarget.h"

#include "render/Bloom.h"
#include "support/GlContext.h"

#include <algorithm>

namespace {

constexpr int targetWidth = 64;
constexpr int targetHeight = 48;

class BloomGl : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        firstPass = gameProgram("bloomFirstPassFrameBuffer");
        secondPass = gameProgram("bloomSecondPassFrameBuffer");
        testing::internal::CaptureStderr();
        bloom = std::make_unique<Bloom>(firstPass.get(), secondPass.get(), targetWidth, targetHeight);
        constructionMessages = testing::internal::GetCapturedStderr();
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);
    }

    // Fills the scene target with `grey`, optionally with one white pixel,
    // and runs the three passes.
    void renderScene(float grey, int spotX = -1, int spotY = -1)
    {
        glClearColor(grey, grey, grey, 1.0f);
        bloom->bindSceneTarget();
        if (spotX >= 0) {
            glEnable(GL_SCISSOR_TEST);
            glScissor(spotX, spotY, 1, 1);
            glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            glDisable(GL_SCISSOR_TEST);
        }
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        bloom->render();
    }

    Image screen() const
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        return Image::ofFramebuffer(targetWidth, targetHeight);
    }

    std::unique_ptr<Shader> firstPass;
    std::unique_ptr<Shader> secondPass;
    std::unique_ptr<Bloom> bloom;
    std::string constructionMessages;
};

int channelSpread(const Image& image, int channel)
{
    int low = 255, high = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            low = std::min(low, image.at(x, y)[channel]);
            high = std::max(high, image.at(x, y)[channel]);
        }
    return high - low;
}

} // namespace

TEST_F(BloomGl, TargetsAreCompleteWithTheirFormats)
{
    EXPECT_EQ(constructionMessages, "");
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE("target " + std::to_string(n + 1));
        glBindFramebuffer(GL_FRAMEBUFFER, bloom->framebuffers[n]);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        GLint attached = 0;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &attached);
        EXPECT_EQ(static_cast<GLuint>(attached), bloom->colorTextures[n].id());
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &attached);
        EXPECT_EQ(static_cast<GLuint>(attached), bloom->depthTextures[n].id());

        GLint value = 0;
        glBindTexture(GL_TEXTURE_2D, bloom->colorTextures[n]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &value);
        EXPECT_EQ(value, targetWidth);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &value);
        EXPECT_EQ(value, targetHeight);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
        EXPECT_EQ(value, GL_REPEAT);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR);
        glBindTexture(GL_TEXTURE_2D, bloom->depthTextures[n]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_DEPTH_SIZE, &value);
        EXPECT_GE(value, 16);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
        EXPECT_EQ(value, GL_NEAREST);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
        EXPECT_EQ(value, GL_CLAMP_TO_EDGE);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    for (GLint location : {bloom->resolutionLocation, bloom->directionLocation, bloom->endLocation,
                           bloom->texLocation, bloom->tex2Location})
        EXPECT_GE(location, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Below the threshold nothing glows: the picture reaches the screen unchanged,
// and the passes leave the window bound and nothing else.
TEST_F(BloomGl, DarkSceneStaysAsItIs)
{
    renderScene(0.4f);
    EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(glInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1}) {
        glActiveTexture(unit);
        EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);
    }
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const Image bright = Image::ofTexture(bloom->colorTextures[1]);
    EXPECT_EQ(bright.at(10, 10), (std::array<int, 4>{0, 0, 0, 255}));
    const Image image = screen();
    EXPECT_EQ(channelSpread(image, 0), 0);
    EXPECT_EQ(image.at(30, 20), (std::array<int, 4>{102, 102, 102, 255}));
}

// A flat bright image keeps its level through both blur directions: the
// filter's weights sum to one.
TEST_F(BloomGl, FlatBrightSceneStaysFlatThroughTheBlur)
{
    renderScene(0.75f);
    const Image bright = Image::ofTexture(bloom->colorTextures[1]);
    const Image horizontal = Image::ofTexture(bloom->colorTextures[2]);
    const int level = bright.red(0, 0);
    EXPECT_GT(level, 0);
    EXPECT_LT(level, 191);
    EXPECT_EQ(channelSpread(bright, 0), 0);
    EXPECT_EQ(channelSpread(horizontal, 0), 0);
    EXPECT_NEAR(horizontal.red(0, 0), level, 1);

    const Image image = screen();
    EXPECT_LE(channelSpread(image, 0), 1);
    EXPECT_GT(image.red(30, 20), 191); // the scene plus some glow
    EXPECT_LE(image.red(30, 20), 191 + level);
}

// One white pixel spreads evenly in both directions, a few pixels wide, and
// stays the brightest point.
TEST_F(BloomGl, SinglePixelSpreadsSymmetrically)
{
    const int cx = 32, cy = 24;
    renderScene(0.0f, cx, cy);
    const Image horizontal = Image::ofTexture(bloom->colorTextures[2]);
    EXPECT_GT(horizontal.red(cx, cy), 0);
    for (int k = 1; k <= 6; ++k)
        EXPECT_NEAR(horizontal.red(cx + k, cy), horizontal.red(cx - k, cy), 1) << "k " << k;
    EXPECT_GT(horizontal.red(cx + 2, cy), 0);
    EXPECT_EQ(horizontal.red(cx + 6, cy), 0);
    EXPECT_EQ(horizontal.red(cx, cy + 1), 0); // the first direction is x alone

    const Image image = screen();
    EXPECT_EQ(image.red(cx, cy), 255);
    for (int k = 1; k <= 6; ++k) {
        SCOPED_TRACE("k " + std::to_string(k));
        const int right = image.red(cx + k, cy);
        EXPECT_NEAR(image.red(cx - k, cy), right, 1);
        EXPECT_NEAR(image.red(cx, cy + k), right, 2);
        EXPECT_NEAR(image.red(cx, cy - k), right, 2);
        EXPECT_NEAR(image.red(cx + k, cy + k), image.red(cx - k, cy - k), 1);
        EXPECT_LE(right, image.red(cx + k - 1, cy));
    }
    EXPECT_GT(image.red(cx + 1, cy), 0);
    EXPECT_GT(image.red(cx + 1, cy + 1), 0);
    EXPECT_EQ(image.red(cx + 6, cy), 0);
    EXPECT_EQ(image.red(10, 10), 0);
}
