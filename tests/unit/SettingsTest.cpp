#include "core/Input.h"
#include "app/Settings.h"
#include "render/DebugLineRecorder.h"
#include "scene/Camera.h"
#include "scene/Light.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

namespace {

// Keys held down by the test; everything else reads released.
class FakeKeys final : public input::Backend {
public:
    int key(GLFWwindow*, int key) override { return held.count(key) ? GLFW_PRESS : GLFW_RELEASE; }
    void cursorPos(GLFWwindow*, double* x, double* y) override { *x = *y = 0.0; }
    void setCursorPos(GLFWwindow*, double, double) override {}
    bool focused(GLFWwindow*) override { return true; }

    std::set<int> held;
};

class SettingsKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        input::setBackend(&keys);
        cameraList.addCamera(nullptr);
        cameraList.addCamera(nullptr);
        settings = std::make_unique<Settings>();
    }
    void TearDown() override { input::setBackend(nullptr); }

    // One game frame's key handling with exactly `down` held.
    void frame(std::set<int> down = {})
    {
        keys.held = std::move(down);
        actions = settings->handleKeys(nullptr);
        applyKeyActions(actions, &drawer, &cameraList, &firstLight);
    }
    // Presses and releases one key over two frames.
    void tap(int key)
    {
        frame({key});
        frame();
    }

    FakeKeys keys;
    DebugLineRecorder drawer{nullptr};
    CameraList cameraList{nullptr, nullptr};
    Light firstLight{glm::vec3(1.3f, 2.7f, -0.4f), glm::vec3(1.0f), 1.0f};
    Light secondLight{glm::vec3(5.0f, 6.0f, 7.0f), glm::vec3(1.0f), 1.0f};
    std::unique_ptr<Settings> settings;
    KeyActions actions; // the last frame's
};

} // namespace

TEST_F(SettingsKeys, StartValues)
{
    EXPECT_EQ(settings->normalMapping, 1);
    EXPECT_EQ(settings->wireframe, 0);
    EXPECT_EQ(settings->bloom, 1);
    EXPECT_EQ(settings->shadowMapping, 1);
    EXPECT_EQ(settings->frustumCulling, 1);
    EXPECT_EQ(settings->textureFilter, static_cast<GLenum>(GL_NEAREST));
    EXPECT_EQ(settings->mipmapFilter, static_cast<GLenum>(GL_LINEAR_MIPMAP_LINEAR));
}

TEST_F(SettingsKeys, HeldToggleFiresOncePerPress)
{
    for (int i = 0; i < 50; ++i)
        frame({GLFW_KEY_F7});
    EXPECT_EQ(settings->bloom, 0);
    frame();
    EXPECT_EQ(settings->bloom, 0);
    frame({GLFW_KEY_F7});
    EXPECT_EQ(settings->bloom, 1);

    // A latch belongs to its key: holding one key does not block another.
    frame({GLFW_KEY_F7, GLFW_KEY_F8});
    EXPECT_EQ(settings->bloom, 1);
    EXPECT_EQ(settings->frustumCulling, 0);
    frame({GLFW_KEY_F8});
    frame({GLFW_KEY_F7, GLFW_KEY_F8});
    EXPECT_EQ(settings->bloom, 0);
    EXPECT_EQ(settings->frustumCulling, 0);
}

// Every plain toggle flips 1 and 0 and leaves any other value alone.
TEST_F(SettingsKeys, PlainToggles)
{
    const struct {
        int key;
        int32_t Settings::*field;
    } rows[] = {
        {GLFW_KEY_F10, &Settings::shadowMapping},
        {GLFW_KEY_F6, &Settings::normalMapping},
        {GLFW_KEY_F7, &Settings::bloom},
        {GLFW_KEY_F8, &Settings::frustumCulling},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("key " + std::to_string(row.key));
        int32_t& field = (*settings).*row.field;
        field = 1;
        tap(row.key);
        EXPECT_EQ(field, 0);
        tap(row.key);
        EXPECT_EQ(field, 1);
        field = 2;
        tap(row.key);
        EXPECT_EQ(field, 2);
        field = 1;
    }
}

TEST_F(SettingsKeys, WireframeOffAlsoTurnsNormalMappingOff)
{
    tap(GLFW_KEY_F3);
    EXPECT_EQ(settings->wireframe, 1);
    EXPECT_EQ(settings->normalMapping, 1);
    tap(GLFW_KEY_F3);
    EXPECT_EQ(settings->wireframe, 0);
    EXPECT_EQ(settings->normalMapping, 0);
    tap(GLFW_KEY_F3);
    EXPECT_EQ(settings->wireframe, 1);
    EXPECT_EQ(settings->normalMapping, 0);
    tap(GLFW_KEY_F6);
    EXPECT_EQ(settings->normalMapping, 1);
    EXPECT_EQ(settings->wireframe, 1);
}

// F6 is read before F3: pressed together while wireframe is on, normal
// mapping ends up off whatever it was.
TEST_F(SettingsKeys, KeysOfOneFrameActInTableOrder)
{
    settings->wireframe = 1;
    settings->normalMapping = 0;
    frame({GLFW_KEY_F3, GLFW_KEY_F6});
    EXPECT_EQ(settings->wireframe, 0);
    EXPECT_EQ(settings->normalMapping, 0);
}

TEST_F(SettingsKeys, MipmapKeyCyclesThroughThreeModes)
{
    const struct {
        GLenum mipmapFilter;
        const char* name;
        GLenum effective;
    } expected[] = {
        {0, "OFF", GL_NEAREST},
        {GL_NEAREST_MIPMAP_NEAREST, "GL_NEAREST_MIPMAP_NEAREST", GL_NEAREST_MIPMAP_NEAREST},
        {GL_LINEAR_MIPMAP_LINEAR, "GL_LINEAR_MIPMAP_LINEAR", GL_LINEAR_MIPMAP_LINEAR},
        {0, "OFF", GL_NEAREST},
    };
    for (const auto& step : expected) {
        tap(GLFW_KEY_F5);
        EXPECT_EQ(settings->mipmapFilter, step.mipmapFilter);
        EXPECT_EQ(settings->mipmapFilterName(), step.name);
        EXPECT_EQ(settings->effectiveTextureFilter(), step.effective);
    }
    settings->mipmapFilter = GL_LINEAR_MIPMAP_NEAREST;
    tap(GLFW_KEY_F5);
    EXPECT_EQ(settings->mipmapFilter, static_cast<GLenum>(GL_LINEAR_MIPMAP_NEAREST));
}

TEST_F(SettingsKeys, TextureFilterKeyUnderAMipmapModeChangesOnlyTheName)
{
    tap(GLFW_KEY_F4);
    EXPECT_EQ(settings->textureFilterName(), "GL_LINEAR");
    EXPECT_EQ(settings->effectiveTextureFilter(), static_cast<GLenum>(GL_LINEAR_MIPMAP_LINEAR));
    tap(GLFW_KEY_F5); // mipmaps off: the level filter follows the texture filter
    EXPECT_EQ(settings->effectiveTextureFilter(), static_cast<GLenum>(GL_LINEAR));
    tap(GLFW_KEY_F4);
    EXPECT_EQ(settings->textureFilterName(), "GL_NEAREST");
    EXPECT_EQ(settings->effectiveTextureFilter(), static_cast<GLenum>(GL_NEAREST));
    settings->textureFilter = GL_LINEAR_MIPMAP_LINEAR;
    tap(GLFW_KEY_F4);
    EXPECT_EQ(settings->textureFilter, static_cast<GLenum>(GL_LINEAR_MIPMAP_LINEAR));
}

TEST(SettingsNames, FilterNamesAndEffectiveFilter)
{
    Settings settings;
    const struct {
        GLenum textureFilter;
        GLenum mipmapFilter;
        const char* textureName;
        const char* mipmapName;
        GLenum effective;
    } rows[] = {
        {GL_NEAREST, GL_LINEAR_MIPMAP_LINEAR, "GL_NEAREST", "GL_LINEAR_MIPMAP_LINEAR", GL_LINEAR_MIPMAP_LINEAR},
        {GL_LINEAR, GL_NEAREST_MIPMAP_NEAREST, "GL_LINEAR", "GL_NEAREST_MIPMAP_NEAREST", GL_NEAREST_MIPMAP_NEAREST},
        {GL_NEAREST, 0, "GL_NEAREST", "OFF", GL_NEAREST},
        {GL_LINEAR, 0, "GL_LINEAR", "OFF", GL_LINEAR},
        {0, 0, "GL_LINEAR", "OFF", GL_LINEAR_MIPMAP_LINEAR},
        {GL_LINEAR_MIPMAP_NEAREST, 0, "GL_LINEAR", "OFF", GL_LINEAR_MIPMAP_LINEAR},
        {GL_NEAREST, GL_NEAREST_MIPMAP_LINEAR, "GL_NEAREST", "OFF", GL_LINEAR_MIPMAP_LINEAR},
        {GL_NEAREST, GL_LINEAR, "GL_NEAREST", "OFF", GL_LINEAR},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.textureFilter) + " / " + std::to_string(row.mipmapFilter));
        settings.textureFilter = row.textureFilter;
        settings.mipmapFilter = row.mipmapFilter;
        EXPECT_EQ(settings.textureFilterName(), row.textureName);
        EXPECT_EQ(settings.mipmapFilterName(), row.mipmapName);
        EXPECT_EQ(settings.effectiveTextureFilter(), row.effective);
    }
}

TEST_F(SettingsKeys, CameraKeysWrapOverCountPlusOnePositions)
{
    ASSERT_EQ(cameraList.cameraCount, 2);
    const int up[] = {1, 2, 0, 1};
    for (int expected : up) {
        tap(GLFW_KEY_PAGE_UP);
        EXPECT_EQ(cameraList.selectedIndex, expected);
    }
    cameraList.selectedIndex = 0;
    const int down[] = {2, 1, 0, 2};
    for (int expected : down) {
        tap(GLFW_KEY_PAGE_DOWN);
        EXPECT_EQ(cameraList.selectedIndex, expected);
    }
    for (int i = 0; i < 10; ++i)
        frame({GLFW_KEY_PAGE_UP});
    EXPECT_EQ(cameraList.selectedIndex, 0);
}

// Each light key moves the first light by 0.1 per frame, computed in double
// precision and stored as float; the other lights stay where they are.
TEST_F(SettingsKeys, LightKeysMoveTheFirstLightEveryFrame)
{
    const struct {
        int key;
        int axis;
        double step;
    } rows[] = {
        {GLFW_KEY_U, 2, -0.1}, {GLFW_KEY_J, 2, +0.1}, {GLFW_KEY_H, 0, -0.1},
        {GLFW_KEY_K, 0, +0.1}, {GLFW_KEY_L, 1, -0.1}, {GLFW_KEY_O, 1, +0.1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("key " + std::to_string(row.key));
        const glm::vec3 start = firstLight.position;
        float expected = start[row.axis];
        for (int i = 0; i < 100; ++i) {
            frame({row.key});
            expected = static_cast<float>(static_cast<double>(expected) + row.step);
            ASSERT_EQ(firstLight.position[row.axis], expected) << "frame " << i;
        }
        frame();
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_EQ(firstLight.position[axis], axis == row.axis ? expected : start[axis]);
        EXPECT_EQ(secondLight.position, glm::vec3(5.0f, 6.0f, 7.0f));
    }
}

TEST_F(SettingsKeys, OppositeLightKeysBothActInOrder)
{
    float expected = firstLight.position.z;
    for (int i = 0; i < 5; ++i) {
        frame({GLFW_KEY_U, GLFW_KEY_J});
        expected = static_cast<float>(static_cast<double>(expected) - 0.1);
        expected = static_cast<float>(static_cast<double>(expected) + 0.1);
    }
    EXPECT_EQ(firstLight.position.z, expected);
}

TEST_F(SettingsKeys, ReloadIsRequestedOnceHoweverLongRIsHeld)
{
    frame({GLFW_KEY_R});
    EXPECT_TRUE(actions.reload);
    for (int i = 0; i < 20; ++i) {
        frame({GLFW_KEY_R});
        EXPECT_FALSE(actions.reload);
    }
    frame();
    frame({GLFW_KEY_R});
    EXPECT_TRUE(actions.reload);
}

TEST_F(SettingsKeys, DebugDrawingKeySwitchesOnlyModesZeroAndOne)
{
    tap(GLFW_KEY_F12);
    EXPECT_EQ(drawer.getDebugMode(), 1);
    tap(GLFW_KEY_F12);
    EXPECT_EQ(drawer.getDebugMode(), 0);
    drawer.setDebugMode(3);
    tap(GLFW_KEY_F12);
    EXPECT_EQ(drawer.getDebugMode(), 3);
}
