#include "render/Shader.h"

#include "support/GlContext.h"
#include "support/TempDir.h"

#include "TestImages.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string shaderPath(const std::string& file)
{
    return std::string(QUARRYSTACK_SOURCE_DIR) + "/Shader/" + file;
}

class ShaderFiles : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
    std::string write(const std::string& name, const std::string& text) { return writeFile(directory, name, text); }

    TempDir directory{"shader-test"};
};

const char* const validVertex = "#version 330 core\nin vec2 vp;\nvoid main() { gl_Position = vec4(vp, 0.0, 1.0); }\n";
const char* const validFragment = "#version 330 core\nout vec4 fragColor;\nvoid main() { fragColor = vec4(1.0); }\n";

} // namespace

// Every program the game builds at start, in the order it builds them; the
// lit program offers every name the renderer asks of it.
TEST_F(ShaderFiles, EveryGameProgramCompilesAndLinks)
{
    const char* twoStage[] = {"PhongCombined",           "line", "shadowMapDebugCubeShader",
                              "shadowMapFirstPassFrameBuffer", "bloomFirstPassFrameBuffer",
                              "bloomSecondPassFrameBuffer",    "TextVertexShader", "menu"};
    for (const char* name : twoStage) {
        SCOPED_TRACE(name);
        Shader shader(shaderPath(std::string(name) + ".vert"), shaderPath(std::string(name) + ".frag"));
        GLint linked = 0;
        glGetProgramiv(shader.program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE);
        EXPECT_EQ(shader.geometryShader.id(), 0u);
        EXPECT_EQ(glGetFragDataLocation(shader.program, "fragColor"), 0);
    }
    Shader omni(shaderPath("shadowMapOmniFirstPass.vert"), shaderPath("shadowMapOmniFirstPass.geom"),
                shaderPath("shadowMapOmniFirstPass.frag"));
    GLint linked = 0;
    glGetProgramiv(omni.program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
    EXPECT_NE(omni.geometryShader.id(), 0u);
    EXPECT_NE(glGetAttribLocation(omni.program, "vp"), -1);

    Shader phong(shaderPath("PhongCombined.vert"), shaderPath("PhongCombined.frag"));
    for (const char* attribute : {"position", "normal", "uv", "tangent"})
        EXPECT_NE(glGetAttribLocation(phong.program, attribute), -1) << attribute;
    for (const char* uniform : {"viewMatrix", "projectionMatrix", "modelMatrix", "normalMapping", "numberoflights",
                                "colorTexture", "normal_map", "light[0].position", "light[9].color", "light[3].power"})
        EXPECT_NE(glGetUniformLocation(phong.program, uniform), -1) << uniform;

    // Both bloom passes draw the same quad through one vertex array.
    Shader first(shaderPath("bloomFirstPassFrameBuffer.vert"), shaderPath("bloomFirstPassFrameBuffer.frag"));
    Shader second(shaderPath("bloomSecondPassFrameBuffer.vert"), shaderPath("bloomSecondPassFrameBuffer.frag"));
    for (const char* attribute : {"vp", "vt"}) {
        const GLint location = glGetAttribLocation(first.program, attribute);
        EXPECT_NE(location, -1) << attribute;
        EXPECT_EQ(glGetAttribLocation(second.program, attribute), location) << attribute;
    }
}

TEST_F(ShaderFiles, DestroyingReleasesProgramAndStages)
{
    GLuint program = 0;
    GLuint vertex = 0;
    {
        Shader shader(write("a.vert", validVertex), write("a.frag", validFragment));
        program = shader.program;
        vertex = shader.vertexShader;
        EXPECT_TRUE(glIsProgram(program));
    }
    EXPECT_FALSE(glIsProgram(program));
    EXPECT_FALSE(glIsShader(vertex));
}

using ShaderFilesDeathTest = ShaderFiles;

// Each fault ends the process with its message on standard output (sent to
// standard error here, where the death test looks) and exit code 255.
TEST_F(ShaderFilesDeathTest, EachFaultIsFatalWithItsMessage)
{
    const std::string vertex = write("ok.vert", validVertex);
    const std::string fragment = write("ok.frag", validFragment);
    const std::string missing = (directory.path() / "missing.vert").string();
    const struct {
        const char* name;
        std::string vertex;
        std::string geometry; // none when empty
        std::string fragment;
        const char* message;
    } rows[] = {
        {"missing file", missing, "", fragment, "^Failed to open shader-file\n"},
        // The fragment stage is compiled before the geometry stage is even opened.
        {"broken stage before a missing geometry stage", vertex, missing,
         write("broken.frag", "#version 330 core\nthis is not glsl\n"), "^Failed to compile shader\n"},
        {"empty file", write("empty.vert", ""), "", fragment, "^Failed to compile shader\n"},
        {"binary garbage", write("garbage.vert", std::string("\x7f\x45\x4c\x46\x02\x01\x01\x00\xff\xfe", 10)), "",
         fragment, "^Failed to compile shader\n"},
        {"broken source, with the compiler's log",
         write("broken.vert", "#version 330 core\nvoid main() { undeclared = 1; }\n"), "", fragment,
         "^Failed to compile shader\n.*undeclared"},
        // Each stage compiles, but the fragment stage calls a function no stage defines.
        {"link failure", vertex, "",
         write("f.frag", "#version 330 core\nvec4 shade();\nout vec4 fragColor;\nvoid main() { fragColor = shade(); }\n"),
         "^Failed to link shader program\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EXIT(
            {
                std::fflush(stdout);
                dup2(STDERR_FILENO, STDOUT_FILENO);
                if (row.geometry.empty())
                    Shader shader(row.vertex, row.fragment);
                else
                    Shader shader(row.vertex, row.geometry, row.fragment);
            },
            testing::ExitedWithCode(255), row.message);
    }
}

// The bloom passes draw both programs from one vertex array made with the
// first program's attribute locations.
TEST_F(ShaderFiles, BloomProgramsShareTheQuadsAttributeLocations)
{
    Shader first(shaderPath("bloomFirstPassFrameBuffer.vert"), shaderPath("bloomFirstPassFrameBuffer.frag"));
    Shader second(shaderPath("bloomSecondPassFrameBuffer.vert"), shaderPath("bloomSecondPassFrameBuffer.frag"));
    for (const char* attribute : {"vp", "vt"}) {
        const GLint location = glGetAttribLocation(first.program, attribute);
        EXPECT_NE(location, -1) << attribute;
        EXPECT_EQ(glGetAttribLocation(second.program, attribute), location) << attribute;
    }
}
