// The welcome picture and fixed views of the shipped level through the game's own frame, against the
// references in tests/data/golden/. After an intended change of the picture
// (shaders, level, art), scripts/update-golden.sh runs this test with
// QUARRYSTACK_UPDATE_GOLDEN set, which writes the references instead: look at
// them before committing. A failing comparison leaves the rendered picture in
// QUARRYSTACK_BINARY_DIR/golden-artifacts/.

#include "Fixture.h"

#include "app/Game.h"
#include "lib/ScriptedRun.h"
#include "support/Game.h"
#include "support/TempDir.h"

#include <FreeImage.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

namespace fs = std::filesystem;

struct View {
    const char* name;
    std::function<CameraPose(const Game&)> pose; // given the game, for views that start at the player
    std::function<void(Game&)> switches;         // on top of the game's defaults
};

CameraPose playerStart(const Game& game) { return game.playerStart(); }
auto at(glm::vec3 eye, glm::vec3 target)
{
    return [=](const Game&) { return lookingAt(eye, target); };
}
void none(Game&) {}

const View views[] = {
    {"start", playerStart, none},
    {"shadowed_corner", at({-3.5f, 2.6f, -8.5f}, {-10.0f, 0.3f, -3.5f}), none},
    {"bloom_highlight", at({7.0f, 5.8f, 7.5f}, {8.0f, 4.8f, 11.3f}), none},
    {"wireframe", playerStart, [](Game& game) { game.setEffect(Effect::Wireframe, true); }},
    {"debug_lines", at({0.0f, 8.0f, -11.0f}, {0.0f, 1.0f, 1.0f}),
     [](Game& game) { game.setEffect(Effect::DebugLines, true); }},
    {"normal_mapping_off", at({-5.0f, 2.2f, -2.5f}, {-6.5f, 1.2f, 2.0f}),
     [](Game& game) { game.setEffect(Effect::NormalMapping, false); }},
    {"north_cliff", at({-7.0f, 5.6f, 8.0f}, {-7.0f, 5.0f, 12.0f}), none}, // lit rock after the climb
};

void defaultSwitches(Game& game)
{
    for (Effect on : {Effect::NormalMapping, Effect::Bloom, Effect::Shadows, Effect::FrustumCulling})
        game.setEffect(on, true);
    for (Effect off : {Effect::Wireframe, Effect::DebugLines})
        game.setEffect(off, false);
}

// The lower left `width` × `height` of the window's back buffer, which holds
// the frame just shown (the software rasteriser keeps it after the swap), its
// rows bottom-up as GL reads them: FreeImage's order, the reference's flipped.
Shot shown(int width, int height)
{
    Shot shot{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
    glFinish();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, shot.rgb.data());
    return shot;
}

bool save(Shot shot, const fs::path& file)
{
    fs::create_directories(file.parent_path());
    for (size_t i = 0; FI_RGBA_RED == 2 && i < shot.rgb.size(); i += 3) // FreeImage's byte order
        std::swap(shot.rgb[i], shot.rgb[i + 2]);
    FIBITMAP* bitmap = FreeImage_ConvertFromRawBits(shot.rgb.data(), shot.width, shot.height, shot.width * 3, 24,
                                                    FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, FALSE);
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, file.c_str(), PNG_DEFAULT) != 0;
    FreeImage_Unload(bitmap);
    return saved;
}

class Golden : public GlTest, public testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(Golden, ViewsMatchTheReferences)
{
    const auto [width, height] = GetParam();
    const bool update = std::getenv("QUARRYSTACK_UPDATE_GOLDEN") != nullptr;
    const fs::path references = fs::path(QUARRYSTACK_SOURCE_DIR) / "tests/data/golden";
    const fs::path previous = fs::current_path();
    fs::current_path(QUARRYSTACK_SOURCE_DIR); // the game reads its data from where it runs
    Options options;
    const std::unique_ptr<Game> game = valueOrThrow(Game::load(window, width, height, options));
    fs::current_path(previous);
    const auto check = [&](const std::string& view, const Shot& picture) {
        const std::string name = view + "_" + std::to_string(width) + "x" + std::to_string(height) + ".png";
        SCOPED_TRACE(name);
        if (update) {
            EXPECT_TRUE(save(picture, references / name));
            return;
        }
        // llvmpipe draws the same picture on one machine every time; another
        // thread count or Mesa version may round a few pixels differently.
        ASSERT_TRUE(fs::exists(references / name)) << "no reference; run scripts/update-golden.sh";
        const double share = differingShare(picture, loadShot((references / name).string(), {"-flip"}), 3);
        EXPECT_LT(share, 0.005) << "if the change is intended, run scripts/update-golden.sh and commit the pictures";
        if (share >= 0.005)
            save(picture, fs::path(QUARRYSTACK_BINARY_DIR) / "golden-artifacts" / name);
    };

    // The welcome picture with the levels a player has reached and their times.
    const TempDir state("golden");
    std::ofstream(state.path() / "progress.ini")
        << "# Quarrystack progress\nreached = 3\nbest = Data/LevelFinal.dae 41.25\nbest = Data/LevelShaft.dae 75.5\n";
    game->keepProgress(ProgressBook((state.path() / "progress.ini").string()));
    glViewport(0, 0, width, height);
    ScriptedRun run(*game);
    run.frame();
    check("welcome", shown(width, height));
    game->keepProgress(ProgressBook()); // the first level chosen again: the views are of it
    game->startPlay();
    for (const View& view : views) {
        SCOPED_TRACE(view.name);
        defaultSwitches(*game);
        view.switches(*game);
        game->restartLevel();
        // The first frame runs the level reset; the second shows the placement,
        // with the lamp behind the eye and the shadow maps rendered from there.
        for (int i = 0; i < 2; ++i) {
            run.place(view.pose(*game));
            run.frame();
        }
        ASSERT_EQ(game->stats().screen, MenuState::Screen::Playing) << "the view touches a win or lose object";
        const Shot picture = shown(width, height);
        EXPECT_GT(distinctColours(picture), 16u) << "the rendered picture is (nearly) blank";
        int white = 0; // bloom lights the bright parts; it must not turn lit rock white
        for (size_t i = 0; i < picture.rgb.size(); i += 3)
            white += picture.rgb[i] + picture.rgb[i + 1] + picture.rgb[i + 2] == 3 * 255;
        EXPECT_LT(white * 3.0 / double(picture.rgb.size()), 0.2) << "pure white";
        check(view.name, picture);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Golden, testing::Values(std::pair{320, 180}, std::pair{640, 360}),
                         [](const auto& info) {
                             return std::to_string(info.param.first) + "x" + std::to_string(info.param.second);
                         });

} // namespace
