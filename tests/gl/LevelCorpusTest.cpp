// Three hundred broken variants of the shipped level through the level check
// and the game's loader: each loads or is refused with a message, never a
// crash, a hang or (in the sanitizer build) a sanitizer report.
#include "import/AssimpLoader.h"
#include "import/LevelFile.h"
#include "support/TempDir.h"

#include "Fixture.h"
#include "support/LevelMutations.h"

#include <fstream>
#include <sstream>

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
    // ones 300 times would take most of the sanitizer build's minute.
    TempDir folder("corpus");
    const fs::path textures = folder.path() / "textures";
    fs::create_directory(textures);
    for (const auto& picture : fs::directory_iterator(QUARRYSTACK_SOURCE_DIR "/Textures/new"))
        fs::copy_file(QUARRYSTACK_SOURCE_DIR "/tests/data/levels/textures/flat_normal.png",
                      textures / picture.path().filename());

    const VertexLayout layout = sharedRenderer().vertexLayout();
    int outcomes[4] = {}; // not read, refused by the scan or the check, refused by the textures, loaded
    const std::vector<std::string> variants = levelMutations(level, 300);
    for (size_t i = 0; i < variants.size(); ++i) {
        SCOPED_TRACE("variant " + std::to_string(i) + " (levelMutations kind " + std::to_string(i % 8) + ")");
        const std::string file = (folder.path() / "level.dae").string();
        std::ofstream(file, std::ios::binary) << variants[i];
        PhysicsWorld physics;
        AssimpLoader loader(layout, physics);
        std::unique_ptr<Level> loaded;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const LevelFile levelFile(file, 2);
        std::vector<LevelProblem> problems = levelFile.problems();
        const bool checked = problems.empty();
        if (checked)
            problems = loader.loadTextures(levelFile, {textures.string() + "/"});
        if (problems.empty())
            loaded = loader.createLevel(levelFile.scene(), 640.0f, 360.0f, window);
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        if (!checked)
            ++outcomes[problems[0].kind == LevelProblem::Kind::Format ? 1 : 0];
        else
            ++outcomes[loaded ? 3 : 2];
        for (const LevelProblem& problem : problems) {
            const char* start = problem.kind == LevelProblem::Kind::Format ? "Level error: " : "Level: ";
            EXPECT_EQ(problem.text.rfind(start, 0), 0u) << problem.text;
        }
        if (loaded) {
            EXPECT_NE(loaded->player(), nullptr);
        }
    }
    // A corpus that only ever failed to parse would prove nothing about the
    // check or the loader.
    for (int count : outcomes)
        EXPECT_GT(count, 5) << "not read, check, textures, loaded: " << outcomes[0] << ", " << outcomes[1] << ", "
                            << outcomes[2] << ", " << outcomes[3];
}

} // namespace
