#include "render/Shader.h"

#include "support/GlContext.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string shaderPath(const std::string& file)
{
    return std::string(QUARRYSTACK_SOURCE_DIR) + "/Shader/" + file;
}

// The fatal messages go to standard output; death tests watch standard error.
void stdoutToStderr()
{
    std::fflush(stdout);
    dup2(STDERR_FILENO, STDOUT_FILENO);
}

class ShaderFiles : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        directory = fs::temp_directory_path() / ("quarrystack-shader-" + std::to_string(getpid()));
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }

    std::string write(const std::string& name, const std::string& text)
    {
        const fs::path path = directory / name;
        std::ofstream(path) << text;
        return path.string();
    }

    fs::path directory;
};

const char* const validVertex = "#version 330 core\nin vec2 vp;\nvoid main() { gl_Position = vec4(vp, 0.0, 1.0); }\n";
const char* const validFragment = "#version 330 core\nout vec4 fragColor;\nvoid main() { fragColor = vec4(1.0); }\n";

} // namespace

// Every program the game builds at start, in the order it builds them.
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
}

// The lit program offers every name the renderer asks of it.
TEST_F(ShaderFiles, LitProgramHasTheWholeInterface)
{
    Shader phong(shaderPath("PhongCombined.vert"), shaderPath("PhongCombined.frag"));
    for (const char* attribute : {"position", "normal", "uv", "tangent"})
        EXPECT_NE(glGetAttribLocation(phong.program, attribute), -1) << attribute;
    for (const char* uniform : {"viewMatrix", "projectionMatrix", "modelMatrix", "normalMapping", "numberoflights",
                                "colorTexture", "normal_map", "light[0].position", "light[9].color", "light[3].power"})
        EXPECT_NE(glGetUniformLocation(phong.program, uniform), -1) << uniform;

    const GLuint block = glGetUniformBlockIndex(phong.program, "Material");
    ASSERT_NE(block, GL_INVALID_INDEX);
    GLint size = 0;
    glGetActiveUniformBlockiv(phong.program, block, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
    EXPECT_EQ(size, 80); // four vec4, a float and an int under std140
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

TEST_F(ShaderFilesDeathTest, MissingFileIsFatal)
{
    const std::string fragment = write("ok.frag", validFragment);
    EXPECT_EXIT(
        {
            stdoutToStderr();
            Shader shader((directory / "missing.vert").string(), fragment);
        },
        testing::ExitedWithCode(255), "^Failed to open shader-file\n");
}

TEST_F(ShaderFilesDeathTest, MissingGeometryStageFailsAfterTheOthersCompiled)
{
    const std::string vertex = write("ok.vert", validVertex);
    const std::string fragment = write("broken.frag", "#version 330 core\nthis is not glsl\n");
    // The fragment stage is compiled before the geometry stage is even opened.
    EXPECT_EXIT(
        {
            stdoutToStderr();
            Shader shader(vertex, (directory / "missing.geom").string(), fragment);
        },
        testing::ExitedWithCode(255), "^Failed to compile shader\n");
}

TEST_F(ShaderFilesDeathTest, EmptyFileFailsToCompile)
{
    const std::string vertex = write("empty.vert", "");
    const std::string fragment = write("ok.frag", validFragment);
    EXPECT_EXIT(
        {
            stdoutToStderr();
            Shader shader(vertex, fragment);
        },
        testing::ExitedWithCode(255), "^Failed to compile shader\n");
}

TEST_F(ShaderFilesDeathTest, BrokenSourcePrintsTheCompilerLog)
{
    const std::string vertex = write("broken.vert", "#version 330 core\nvoid main() { undeclared = 1; }\n");
    const std::string fragment = write("ok.frag", validFragment);
    EXPECT_EXIT(
        {
            stdoutToStderr();
            Shader shader(vertex, fragment);
        },
        testing::ExitedWithCode(255), "^Failed to compile shader\n.*undeclared");
}

TEST_F(ShaderFilesDeathTest, BinaryGarbageFailsToCompile)
{
    const std::string vertex = write("garbage.vert", std::string("\x7f\x45\x4c\x46\x02\x01\x01\x00\xff\xfe", 10));
    const std::string fragment = write("ok.frag", validFragment);
    EXPECT_EXIT(
        {
            stdoutToStderr();
            Shader shader(vertex, fragment);
        },
        testing::ExitedWithCode(255), "^Failed to compile shader\n");
}

TEST_F(ShaderFilesDeathTest, LinkFailurePrintsTheLinkerLog)
{
    // Each stage compiles, but the fragment stage calls a function no stage defines.
    const std::string vertex = write("v.vert", validVertex);
    const std::string fragment = write(
        "f.frag", "#version 330 core\nvec4 shade();\nout vec4 fragColor;\n"
                  "void main() { fragColor = shade(); }\n");
    EXPECT_EXIT(
        {
            stdoutToStderr();
            Shader shader(vertex, fragment);
        },
        testing::ExitedWithCode(255), "^Failed to link shader program\n");
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
