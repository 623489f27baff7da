#include "app/Settings.h"
#include "app/World.h"
#include "core/Tuning.h"
#include "render/DebugLineRecorder.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "support/GlContext.h"

#include <sstream>
#include <vector>

namespace {

const int F3 = GLFW_KEY_F3, F4 = GLFW_KEY_F4, F5 = GLFW_KEY_F5, F6 = GLFW_KEY_F6, F7 = GLFW_KEY_F7, F8 = GLFW_KEY_F8,
          F10 = GLFW_KEY_F10, F12 = GLFW_KEY_F12, G = GLFW_KEY_G, R = GLFW_KEY_R, Up = GLFW_KEY_PAGE_UP,
          Down = GLFW_KEY_PAGE_DOWN;

class SettingsKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        input::setBackend(&keys);
        cameras.addCamera(nullptr);
        cameras.addCamera(nullptr);
    }
    void TearDown() override { input::setBackend(nullptr); }

    // The keys down when the frame reads them; a negative one was tapped since
    // the frame before and is up again.
    void frame(std::set<int> down)
    {
        keys.pressed.clear();
        for (int key : down)
            key > 0 ? void(keys.pressed.insert(key)) : input::notePress(-key);
        const KeyActions actions = settings.handleKeys(nullptr);
        applyKeyActions(actions, &drawer, &cameras, &first, bounds);
        reloadDue = reloadDue || actions.reload;
    }
    std::string state() const
    {
        std::ostringstream s;
        s << "N" << settings.normalMapping << " W" << settings.wireframe << " B" << settings.bloom << " S"
          << settings.shadowMapping << " F" << settings.frustumCulling << " " << settings.textureFilterName() << " "
          << settings.mipmapFilterName() << " " << std::hex << settings.effectiveTextureFilter() << std::dec << " C"
          << cameras.selectedIndex << " D" << drawer.getDebugMode() << " R" << reloadDue;
        return s.str();
    }

    FakeInput keys;
    DebugLineRecorder drawer{gl::Program()};
    CameraList cameras;
    Light first{glm::vec3(1.3f, 2.7f, -0.4f), glm::vec3(1.0f), 1.0f};
    Extent bounds{glm::vec3(-100.0f), glm::vec3(100.0f)}; // of the light
    Settings settings;
    bool reloadDue = false; // as the game keeps it until the next game frame
};

} // namespace

// Latched keys act once per press, each with its own latch, in the order
// F12 (or G), F10, F6, F3, F4, F5, F7, R, F8, PageUp, PageDown. The last number
// but two is the filter the level's textures get.
TEST_F(SettingsKeys, EachFrameOfKeysGivesTheseSettings)
{
    const struct {
        std::vector<std::set<int>> frames;
        const char* after;
    } rows[] = {
        {{{}}, "N1 W0 B1 S1 F1 GL_NEAREST GL_LINEAR_MIPMAP_LINEAR 2703 C0 D0 R0"},
        {{{F7}, {F7}, {F7}}, "N1 W0 B0 S1 F1 GL_NEAREST GL_LINEAR_MIPMAP_LINEAR 2703 C0 D0 R0"},
        {{{F7, F8}}, "N1 W0 B0 S1 F0 GL_NEAREST GL_LINEAR_MIPMAP_LINEAR 2703 C0 D0 R0"},
        {{{F8}, {F7, F8}}, "N1 W0 B1 S1 F0 GL_NEAREST GL_LINEAR_MIPMAP_LINEAR 2703 C0 D0 R0"},
        {{{F10}}, "N1 W0 B1 S0 F0 GL_NEAREST GL_LINEAR_MIPMAP_LINEAR 2703 C0 D0 R0"},
        {{{F6}, {F3}}, "N0 W1 B1 S0 F0 GL_NEAREST GL_LINEAR_MIPMAP_LINEAR 2703 C0 D0 R0"},
        {{{}, {F6}}, "N1 W1 B1 S0 F0 GL_NEAREST GL_LINEAR_MIPMAP_LINEAR 2703 C0 D0 R0"},
        {{{}, {F3}}, "N0 W0 B1 S0 F0 GL_NEAREST GL_LINEAR_MIPMAP_LINEAR 2703 C0 D0 R0"}, // normal mapping goes too
        {{{}, {F3}, {}, {F3, F6}}, "N0 W0 B1 S0 F0 GL_NEAREST GL_LINEAR_MIPMAP_LINEAR 2703 C0 D0 R0"}, // F6 first
        {{{F4}}, "N0 W0 B1 S0 F0 GL_LINEAR GL_LINEAR_MIPMAP_LINEAR 2703 C0 D0 R0"},
        {{{F5}}, "N0 W0 B1 S0 F0 GL_LINEAR OFF 2601 C0 D0 R0"},
        {{{}, {F4}}, "N0 W0 B1 S0 F0 GL_NEAREST OFF 2600 C0 D0 R0"},
        {{{}, {F5, F4}}, "N0 W0 B1 S0 F0 GL_LINEAR GL_NEAREST_MIPMAP_NEAREST 2700 C0 D0 R0"},
        {{{}, {F5}}, "N0 W0 B1 S0 F0 GL_LINEAR GL_LINEAR_MIPMAP_LINEAR 2703 C0 D0 R0"},
        {{{Up}, {}, {Up}}, "N0 W0 B1 S0 F0 GL_LINEAR GL_LINEAR_MIPMAP_LINEAR 2703 C2 D0 R0"},
        {{{}, {Up}}, "N0 W0 B1 S0 F0 GL_LINEAR GL_LINEAR_MIPMAP_LINEAR 2703 C0 D0 R0"},
        {{{}, {Down}}, "N0 W0 B1 S0 F0 GL_LINEAR GL_LINEAR_MIPMAP_LINEAR 2703 C2 D0 R0"},
        // A tap between two frames acts once, and so does a new press while the latch is set.
        {{{-F7}, {}}, "N0 W0 B0 S0 F0 GL_LINEAR GL_LINEAR_MIPMAP_LINEAR 2703 C2 D0 R0"},
        {{{F7}, {F7, -F7}, {F7}}, "N0 W0 B0 S0 F0 GL_LINEAR GL_LINEAR_MIPMAP_LINEAR 2703 C2 D0 R0"},
        {{{}, {-F7}}, "N0 W0 B1 S0 F0 GL_LINEAR GL_LINEAR_MIPMAP_LINEAR 2703 C2 D0 R0"},
        {{{}, {F12}, {F12}}, "N0 W0 B1 S0 F0 GL_LINEAR GL_LINEAR_MIPMAP_LINEAR 2703 C2 D1 R0"},
        {{{}, {G}, {G, F12}}, "N0 W0 B1 S0 F0 GL_LINEAR GL_LINEAR_MIPMAP_LINEAR 2703 C2 D1 R0"}, // G is F12's twin
        {{{}, {F12}, {R}}, "N0 W0 B1 S0 F0 GL_LINEAR GL_LINEAR_MIPMAP_LINEAR 2703 C2 D0 R1"},
    };
    for (const auto& row : rows) {
        for (const std::set<int>& down : row.frames)
            frame(down);
        EXPECT_EQ(state(), row.after) << "row " << &row - rows;
    }
    reloadDue = false; // the game resets the level; R is still held
    frame({R});
    EXPECT_FALSE(reloadDue);

    // Each light key moves the first light along its axis by a step each
    // time the actions are applied (the game applies them once a physics step).
    const std::pair<char, glm::vec3> keys[] = {{'U', {0, 0, -1}}, {'J', {0, 0, 1}},  {'H', {-1, 0, 0}},
                                               {'K', {1, 0, 0}},  {'L', {0, -1, 0}}, {'O', {0, 1, 0}}};
    for (const auto& [key, direction] : keys) {
        const glm::vec3 start = first.position;
        for (int i = 0; i < 30; ++i)
            frame({GLFW_KEY_A + key - 'A'});
        const glm::vec3 moved = direction * float(30 * tuning::lightKeyStep);
        EXPECT_LT(glm::length(first.position - start - moved), 1e-4f) << key;
    }
    // It stops at the level's bounds, and a level reset puts it back.
    bounds = {first.position - glm::vec3(1.0f), first.position + glm::vec3(1.0f)};
    for (int i = 0; i < 30; ++i)
        frame({GLFW_KEY_K, GLFW_KEY_O, GLFW_KEY_J});
    EXPECT_EQ(first.position, bounds.high);
    World world;
    Light& lamp = *world.level().addLight(std::make_unique<Light>(glm::vec3(1, 2, 3), glm::vec3(1.0f), 1.0f));
    lamp.position = bounds.high;
    world.reset();
    EXPECT_EQ(lamp.position, glm::vec3(1, 2, 3));
}
