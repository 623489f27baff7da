#include "render/MenuScreen.h"

#include "app/MenuState.h"
#include "core/Input.h"
#include "render/Shader.h"
#include "render/TextRenderer.h"
#include "render/Texture.h"

#include "support/GlContext.h"
#include "TestImages.h"

#include <filesystem>
#include <memory>
#include <set>
#include <vector>

namespace {

const std::string shaderDir = std::string(QUARRYSTACK_SOURCE_DIR) + "/Shader/";

class FakeKeys final : public input::Backend {
public:
    int key(GLFWwindow*, int key) override
    {
        ++reads;
        return pressed.count(key) ? GLFW_PRESS : GLFW_RELEASE;
    }
    void cursorPos(GLFWwindow*, double* x, double* y) override { *x = *y = 0.0; }
    void setCursorPos(GLFWwindow*, double, double) override {}
    bool focused(GLFWwindow*) override { return true; }

    std::set<int> pressed;
    int reads = 0;
};

// Six one-colour pictures, so the colour on the screen names the picture.
const Rgba pictureColours[6] = {
    {200, 30, 30, 255},  // welcome 16:9
    {30, 200, 30, 255},  // game over 16:9
    {30, 30, 200, 255},  // win 16:9
    {200, 200, 30, 255}, // welcome 4:3
    {30, 200, 200, 255}, // game over 4:3
    {200, 30, 200, 255}, // win 4:3
};

class MenuScreenTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        program = std::make_unique<Shader>(shaderDir + "menu.vert", shaderDir + "menu.frag");
        for (int i = 0; i < 6; ++i)
            pictures[i] = std::make_unique<Texture>(
                saveBitmap(files, "picture" + std::to_string(i) + ".png", solidBitmap(4, 4, 32, pictureColours[i]),
                           FIF_PNG));
        menu = std::make_unique<MenuScreen>(pictures[0].get(), pictures[1].get(), pictures[2].get(), pictures[3].get(),
                                            pictures[4].get(), pictures[5].get(), program.get());
        input::setBackend(&keys);
    }
    void TearDown() override { input::setBackend(nullptr); }

    // The frame's state as the main loop leaves it before a menu draw.
    void beginFrame()
    {
        glfwGetFramebufferSize(window, &width, &height);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, width, height);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    Rgba pixel(int x, int y)
    {
        Rgba p{};
        glReadBuffer(GL_BACK);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
        return p;
    }

    // The whole screen shows `expected`: centre and the four corners.
    void expectScreen(const Rgba& expected)
    {
        glFinish();
        const int xs[3] = {0, width / 2, width - 1};
        const int ys[3] = {0, height / 2, height - 1};
        for (int x : xs)
            for (int y : ys) {
                if ((x == width / 2) != (y == height / 2))
                    continue;
                const Rgba p = pixel(x, y);
                EXPECT_EQ(p, expected) << "at (" << x << ", " << y << "): " << int(p[0]) << ", " << int(p[1]) << ", "
                                       << int(p[2]);
            }
    }

    TempDir files{"menu-test"};
    FakeKeys keys;
    std::unique_ptr<Shader> program;
    std::unique_ptr<Texture> pictures[6];
    std::unique_ptr<MenuScreen> menu;
    int width = 0, height = 0;
};

} // namespace

TEST_F(MenuScreenTest, EachDrawShowsItsPictureOverTheWholeScreen)
{
    EXPECT_FALSE(menu->fourByThree);
    for (GLuint buffer : {menu->quad.positionBuffer.id(), menu->quad.texCoordBuffer.id()}) {
        GLint size = 0;
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
        EXPECT_EQ(size, 48);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    glBindVertexArray(menu->quad.vertexArray);
    for (const char* name : {"vp", "vt"}) {
        const GLint location = glGetAttribLocation(program->program, name);
        ASSERT_GE(location, 0) << name;
        GLint enabled = 0, components = 0, buffer = 0;
        glGetVertexAttribiv(GLuint(location), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        glGetVertexAttribiv(GLuint(location), GL_VERTEX_ATTRIB_ARRAY_SIZE, &components);
        glGetVertexAttribiv(GLuint(location), GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
        EXPECT_EQ(enabled, GL_TRUE) << name;
        EXPECT_EQ(components, 2) << name;
        EXPECT_EQ(GLuint(buffer), std::string(name) == "vp" ? menu->quad.positionBuffer.id()
                                                             : menu->quad.texCoordBuffer.id());
    }
    glBindVertexArray(0);

    struct Row {
        void (MenuScreen::*draw)();
        bool fourByThree;
        int picture;
    };
    const Row rows[] = {
        {&MenuScreen::drawWelcome, false, 0}, {&MenuScreen::drawGameOver, false, 1}, {&MenuScreen::drawWin, false, 2},
        {&MenuScreen::drawWelcome, true, 3},  {&MenuScreen::drawGameOver, true, 4},  {&MenuScreen::drawWin, true, 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.picture);
        menu->fourByThree = row.fourByThree;
        beginFrame();
        glActiveTexture(GL_TEXTURE5); // the draw must pick its own unit
        (menu.get()->*row.draw)();
        expectScreen(pictureColours[row.picture]);

        GLint active = 0, bound = 0, current = -1, vertexArray = -1;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glGetIntegerv(GL_CURRENT_PROGRAM, &current);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
        EXPECT_EQ(active, GL_TEXTURE0);
        EXPECT_EQ(GLuint(bound), pictures[row.picture]->id.id());
        EXPECT_EQ(current, 0);
        EXPECT_EQ(vertexArray, 0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    // Someone else pointed the sampler at another unit; the draw sets it back to 0.
    menu->fourByThree = false;
    glUseProgram(program->program);
    glUniform1i(glGetUniformLocation(program->program, "tex"), 4);
    glUseProgram(0);
    glActiveTexture(GL_TEXTURE4);
    glBindTexture(GL_TEXTURE_2D, pictures[5]->id);
    beginFrame();
    menu->drawWin();
    expectScreen(pictureColours[2]);
}

TEST_F(MenuScreenTest, MenuKeysAreReadThroughInput)
{
    MenuState state;
    keys.pressed = {GLFW_KEY_R};
    state.readKeys(window);
    EXPECT_EQ(state.screen(), MenuState::Screen::Welcome);

    keys.pressed = {GLFW_KEY_ENTER};
    state.readKeys(window);
    EXPECT_EQ(state.screen(), MenuState::Screen::Playing);

    // While playing, the menu keys are not even read.
    keys.reads = 0;
    keys.pressed = {GLFW_KEY_ENTER, GLFW_KEY_R};
    state.readKeys(window);
    EXPECT_EQ(keys.reads, 0);
    EXPECT_FALSE(state.showing());
}

TEST_F(MenuScreenTest, TextRendererLoadsTheAtlasFromTheWorkingDirectory)
{
    const Rgba atlasColour{10, 220, 120, 255};
    saveBitmap(files, "Textures/menu/fontArialMirrored.png", solidBitmap(16, 16, 32, atlasColour), FIF_PNG);
    Shader textProgram(shaderDir + "TextVertexShader.vert", shaderDir + "TextVertexShader.frag");

    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(files.path());
    TextRenderer text(&textProgram);
    std::filesystem::current_path(previous);

    ASSERT_TRUE(text.fontAtlas);
    EXPECT_EQ(text.fontAtlas->path, "Textures/menu/fontArialMirrored.png");
    EXPECT_EQ(text.program, &textProgram);
    EXPECT_EQ(text.samplerLocation, glGetUniformLocation(textProgram.program, "myTextureSampler"));
    EXPECT_GE(text.samplerLocation, 0);
    EXPECT_NE(text.vertexBuffer.id(), 0u);
    EXPECT_NE(text.texCoordBuffer.id(), 0u);
    EXPECT_NE(text.vertexBuffer.id(), text.texCoordBuffer.id());

    std::vector<Rgba> texels(16 * 16);
    glBindTexture(GL_TEXTURE_2D, text.fontAtlas->id);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels[0], atlasColour);
}
