// golden: renders fixed views of the shipped level through the game's own
// frame and writes each as a PNG, for comparison with the references under
// tests/data/golden/ (scripts/update-golden.sh rewrites those).
//
//   golden --out DIR [--width W] [--height H] [--data DIR] [--view NAME]
//
// Each view starts from a level reset with the animations at time 0, places
// the player's eye, sets its switches and renders a fixed number of frames at
// a fixed time step; the last frame is read back from the window. The file
// name is <view>_<W>x<H>.png. Runs in a normal window on the current display.

#include "app/Game.h"
#include "core/Platform.h"
#include "lib/ScriptedRun.h"

#include <FreeImage.h>
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

struct View {
    const char* name;
    // Where the eye stands; given the game, for views that start at the player.
    std::function<CameraPose(const Game&)> pose;
    std::function<void(Game&)> switches; // on top of the defaults
};

CameraPose playerStart(const Game& game) { return game.playerStart(); }

CameraPose at(glm::vec3 eye, glm::vec3 target) { return lookingAt(eye, target); }

const std::vector<View>& views()
{
    static const std::vector<View> all = {
        {"start", playerStart, [](Game&) {}},
        {"shadowed_corner",
         [](const Game&) {
             return at({-3.5f, 2.6f, -8.5f}, {-10.0f, 0.3f, -3.5f});
         },
         [](Game&) {}},
        {"bloom_highlight",
         [](const Game&) {
             return at({7.0f, 5.8f, 7.5f}, {8.0f, 4.8f, 11.3f});
         },
         [](Game&) {}},
        {"wireframe", playerStart, [](Game& game) { game.setEffect(Effect::Wireframe, true); }},
        {"debug_lines",
         [](const Game&) {
             return at({0.0f, 8.0f, -11.0f}, {0.0f, 1.0f, 1.0f});
         },
         [](Game& game) { game.setEffect(Effect::DebugLines, true); }},
        {"normal_mapping_off",
         [](const Game&) {
             return at({-5.0f, 2.2f, -2.5f}, {-6.5f, 1.2f, 2.0f});
         },
         [](Game& game) { game.setEffect(Effect::NormalMapping, false); }},
    };
    return all;
}

// The switches every view starts from: the game's defaults.
void defaultSwitches(Game& game)
{
    for (Effect on : {Effect::NormalMapping, Effect::Bloom, Effect::Shadows, Effect::FrustumCulling})
        game.setEffect(on, true);
    for (Effect off : {Effect::Wireframe, Effect::DebugLines})
        game.setEffect(off, false);
}

// Frames per view: the first runs the level reset, which puts the player at
// its start; the second shows the placement, with the lamp behind the eye
// and the shadow maps rendered from where the lights are in that frame.
constexpr int framesPerView = 2;

// What the last frame drew, as a 24-bit PNG. The back buffer is read after
// the swap: the software rasteriser copies it to the window and keeps it, so
// it holds exactly the frame that was shown. (The front buffer of a window
// on Xvfb reads back black there.)
bool saveFrontBuffer(int width, int height, const std::string& path)
{
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    glFinish();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glReadBuffer(GL_BACK);

    // A frame that cannot be read back comes out as one colour.
    bool blank = true;
    for (std::size_t i = 4; i < rgba.size() && blank; i += 4)
        blank = rgba[i] == rgba[0] && rgba[i + 1] == rgba[1] && rgba[i + 2] == rgba[2];
    if (blank) {
        std::cerr << "golden: the frame read back is blank\n";
        return false;
    }

    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24);
    if (!bitmap)
        return false;
    // GL and FreeImage both keep the bottom row first.
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, y);
        const unsigned char* source = &rgba[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4];
        for (int x = 0; x < width; ++x) {
            line[x * 3 + FI_RGBA_RED] = source[x * 4 + 0];
            line[x * 3 + FI_RGBA_GREEN] = source[x * 4 + 1];
            line[x * 3 + FI_RGBA_BLUE] = source[x * 4 + 2];
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_DEFAULT) != 0;
    FreeImage_Unload(bitmap);
    return saved;
}

const char* const usage = "usage: golden --out DIR [--width W] [--height H] [--data DIR] [--view NAME]\n"
                          "  renders the fixed views (default 320x180) as DIR/<view>_<W>x<H>.png\n";

} // namespace

int main(int argc, char** argv)
{
    std::string out;
    std::string data;
    std::string only;
    int width = 320;
    int height = 180;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            std::cout << usage;
            for (const View& view : views())
                std::cout << "  view " << view.name << "\n";
            return 0;
        }
        if (i + 1 >= argc) {
            std::cerr << "golden: " << name << " needs a value\n" << usage;
            return 2;
        }
        const std::string value = argv[++i];
        if (name == "--out")
            out = value;
        else if (name == "--data")
            data = value;
        else if (name == "--view")
            only = value;
        else if (name == "--width")
            width = std::atoi(value.c_str());
        else if (name == "--height")
            height = std::atoi(value.c_str());
        else {
            std::cerr << "golden: unknown option " << name << "\n" << usage;
            return 2;
        }
    }
    if (out.empty() || width <= 0 || height <= 0) {
        std::cerr << usage;
        return 2;
    }
    bool known = only.empty();
    for (const View& view : views())
        known = known || only == view.name;
    if (!known) {
        std::cerr << "golden: no view named " << only << "\n";
        return 2;
    }
    // The output folder is taken before --data moves us elsewhere.
    std::error_code error;
    std::filesystem::create_directories(out, error);
    const std::filesystem::path outDir = std::filesystem::absolute(out);
    if (!data.empty() && chdir(data.c_str()) != 0) {
        std::cerr << "golden: cannot enter " << data << ": " << std::strerror(errno) << "\n";
        return 2;
    }

    // The game's console lines, less the per-frame ones, go to standard
    // error. Never deleted: the game's stream may still be flushed at exit.
    std::cout.rdbuf(new FrameTimeLineFilter(std::cerr));

    if (!glfwInit()) {
        std::cerr << "golden: GLFW cannot start (is DISPLAY set?)\n";
        return 1;
    }
    std::string problem;
    GLFWwindow* window = openFixedSizeWindow(width, height, "Quarrystack golden views", true, problem);
    if (!window) {
        std::cerr << "golden: " << problem << "\n";
        glfwTerminate();
        return 1;
    }

    int failures = 0;
    {
        Options options;
        options.width = width;
        options.height = height;
        const std::unique_ptr<Game> loaded = valueOrExit(Game::load(window, width, height, options));
        Game& game = *loaded;
        ScriptedRun run(game);
        run.frame(); // the welcome picture
        game.startPlay();
        for (const View& view : views()) {
            if (!only.empty() && only != view.name)
                continue;
            defaultSwitches(game);
            view.switches(game);
            game.restartLevel();
            const CameraPose pose = view.pose(game);
            for (int i = 0; i < framesPerView; ++i) {
                run.place(pose);
                run.frame();
            }
            if (game.stats().screen != MenuState::Screen::Playing) {
                std::cerr << "golden: view " << view.name << " touches a win or lose object\n";
                ++failures;
                game.startPlay();
                continue;
            }
            const std::string file = (outDir / (std::string(view.name) + "_" + std::to_string(width) + "x" +
                                                std::to_string(height) + ".png"))
                                         .string();
            if (saveFrontBuffer(width, height, file)) {
                std::cerr << "golden: wrote " << file << "\n";
            } else {
                std::cerr << "golden: cannot write " << file << "\n";
                ++failures;
            }
        }
    }
    glfwDestroyWindow(window);
    glfwTerminate();
    return failures == 0 ? 0 : 1;
}
