#include "RenderTarget.h"

#include "render/ShadowMap.h"
#include "support/GlContext.h"

namespace {

std::unique_ptr<Shader> depthProgram()
{
    const std::string base = std::string(QUARRYSTACK_SOURCE_DIR) + "/Shader/shadowMapOmniFirstPass";
    return std::make_unique<Shader>(base + ".vert", base + ".geom", base + ".frag");
}

class ShadowMapGl : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        omniProgram = depthProgram();
    }

    std::unique_ptr<Shader> omniProgram;
};

} // namespace

TEST_F(ShadowMapGl, FramebufferHoldsTheWholeCubeMapAsLayeredDepthAndEveryUniformIsFound)
{
    testing::internal::CaptureStderr();
    ShadowMap shadowMap(omniProgram.get());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    glBindFramebuffer(GL_FRAMEBUFFER, shadowMap.framebuffer);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    GLint value = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_LAYERED,
                                          &value);
    EXPECT_EQ(value, GL_TRUE);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &value);
    EXPECT_EQ(static_cast<GLuint>(value), shadowMap.cubeMap.id());
    glGetIntegerv(GL_DRAW_BUFFER0, &value);
    EXPECT_EQ(value, GL_NONE);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    glBindTexture(GL_TEXTURE_CUBE_MAP, shadowMap.cubeMap);
    for (GLenum face = 0; face < 6; ++face) {
        const GLenum target = GL_TEXTURE_CUBE_MAP_POSITIVE_X + face;
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_WIDTH, &value);
        EXPECT_EQ(value, 256);
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_HEIGHT, &value);
        EXPECT_EQ(value, 256);
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
        EXPECT_EQ(value, GL_DEPTH_COMPONENT24);
    }
    const std::pair<GLenum, GLint> parameters[] = {
        {GL_TEXTURE_MAG_FILTER, GL_LINEAR},     {GL_TEXTURE_MIN_FILTER, GL_LINEAR},
        {GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE},  {GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE},
        {GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE},  {GL_TEXTURE_COMPARE_MODE, GL_NONE},
    };
    for (const auto& [name, expected] : parameters) {
        glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, name, &value);
        EXPECT_EQ(value, expected) << std::hex << name;
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);

    EXPECT_GE(shadowMap.modelLocation, 0);
    EXPECT_GE(shadowMap.lightPositionLocation, 0);
    EXPECT_GE(shadowMap.nearFarLocation, 0);
    for (GLint location : shadowMap.faceMatrixLocations)
        EXPECT_GE(location, 0);
    for (int i = 0; i < 6; ++i)
        for (int j = i + 1; j < 6; ++j)
            EXPECT_NE(shadowMap.faceMatrixLocations[i], shadowMap.faceMatrixLocations[j]);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
