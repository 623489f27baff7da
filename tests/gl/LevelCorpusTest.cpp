// Four hundred and fifty broken variants of the shipped level through the level check
// and the game's loader: each loads or is refused with a message, never a
// crash, a hang or (in the sanitizer build) a sanitizer report.
#include "Fixture.h"
#include "support/LevelMutations.h"
#include "support/TempDir.h"

#include <fstream>

// For the whole GL test program: Assimp leaks what it had built when it gives
// up on a broken file, and llvmpipe loses two blocks (992 bytes, allocated
// inside the driver) when a test draws a level the loader made. Both leaks
// are the libraries' own; GL objects the game forgets stay reachable through
// the context and would not show here anyway.
extern "C" const char* __lsan_default_suppressions() { return "leak:libassimp.so\nleak:swrast_dri.so\n"; }

namespace {

namespace fs = std::filesystem;

class LevelCorpus : public GlTest {};

TEST_F(LevelCorpus, EveryVariantLoadsOrGivesALevelError)
{
    std::ifstream shipped(QUARRYSTACK_SOURCE_DIR "/Data/LevelFinal.dae", std::ios::binary);
    const std::string level((std::istreambuf_iterator<char>(shipped)), std::istreambuf_iterator<char>());
    // The shipped pictures' names, each a tiny picture: decoding the real
    // ones 450 times would take most of the sanitizer build's minute.
    TempDir folder("corpus");
    const fs::path textures = folder.path() / "textures";
    fs::create_directory(textures);
    for (const auto& picture : fs::directory_iterator(QUARRYSTACK_SOURCE_DIR "/Textures/new"))
        fs::copy_file(QUARRYSTACK_SOURCE_DIR "/tests/data/levels/textures/flat_normal.png",
                      textures / picture.path().filename());

    const VertexLayout layout = sharedRenderer().vertexLayout();
    int outcomes[4] = {}; // not read, refused by the scan or the check, refused by the textures, loaded
    const std::vector<std::string> variants = levelMutations(level, 600);
    for (size_t i = 0; i < variants.size(); ++i) {
        SCOPED_TRACE("variant " + std::to_string(i) + " (levelMutations kind " + std::to_string(i % 8) + ")");
        const std::string file = (folder.path() / "level.dae").string();
        std::ofstream(file, std::ios::binary) << variants[i];
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const Result<std::unique_ptr<World>> loaded = World::load(file, layout, window, 640, 360);
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        if (loaded) {
            ++outcomes[3];
            EXPECT_NE(loaded.value()->player(), nullptr);
            continue;
        }
        // A level error names the fault itself; the others say it in a "Level:" line.
        const Failure& failure = loaded.failure();
        const bool format = failure.message.rfind("Level error: ", 0) == 0;
        ++outcomes[format ? 1 : failure.message == "Couldn't load File" ? 0 : 2];
        EXPECT_TRUE(format || failure.detail.rfind("Level: ", 0) == 0) << failure.message << "\n" << failure.detail;
    }
    // A corpus that only ever failed to parse would prove nothing about the
    // check or the loader.
    for (int count : outcomes)
        EXPECT_GT(count, 5) << "not read, check, textures, loaded: " << outcomes[0] << ", " << outcomes[1] << ", "
                            << outcomes[2] << ", " << outcomes[3];
}

} // namespace
