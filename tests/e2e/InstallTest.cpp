// `cmake --install` of this build into a fresh prefix, then the game started
// through the installed launcher from a folder that holds no game data: the
// launcher must find the installed data, wherever it is called from.

#include "support/GameTest.h"

#include <set>

namespace {

namespace fs = std::filesystem;

const fs::path sourceRoot = QUARRYSTACK_SOURCE_DIR;

std::set<std::string> filesUnder(const fs::path& root)
{
    std::set<std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files.insert(fs::relative(entry.path(), root).generic_string());
    return files;
}

struct Launch {
    const char* name;
    bool throughSymlink; // as when the launcher is linked into a folder on PATH
};

std::ostream& operator<<(std::ostream& out, const Launch& launch)
{
    return out << launch.name;
}

class Install : public GameTest, public ::testing::WithParamInterface<Launch> {
protected:
    Install() { keyHold = 0.5; } // Escape must not fall between two slow frames
};

TEST_P(Install, LauncherStartsTheGameInItsDataFromAnywhere)
{
    const TempDir prefixDir("install-prefix");
    const fs::path prefix = prefixDir.path() / "usr";
    const ToolResult install =
        runTool({QUARRYSTACK_CMAKE_COMMAND, "--install", QUARRYSTACK_BINARY_DIR, "--prefix", prefix.string()},
                std::nullopt, 120);
    ASSERT_TRUE(install.ok()) << install.output << install.errorOutput;

    const fs::path launcher = prefix / "bin/quarrystack";
    const fs::path data = prefix / "share/quarrystack";
    ASSERT_TRUE(fs::is_regular_file(launcher));
    EXPECT_NE(fs::status(launcher).permissions() & fs::perms::owner_exec, fs::perms::none);
    ASSERT_TRUE(fs::is_regular_file(prefix / "lib/quarrystack/quarrystack"));
    for (const char* folder : GameData::folders) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(filesUnder(data / folder), filesUnder(sourceRoot / folder));
    }

    // A welcome picture of exactly the screen's size in the installed data:
    // the screen then shows it pixel for pixel, which proves where the game
    // read its data from.
    const fs::path picture = data / "Textures/menu/welcome16_9.png";
    const ToolResult convert =
        runTool({"convert", (sourceRoot / "Textures/menu/welcome16_9.png").string(), "-resize", "320x180!", "-alpha",
                 "off", "PNG24:" + picture.string()},
                std::nullopt, 60);
    ASSERT_TRUE(convert.ok()) << convert.errorOutput;
    const Image expected = loadImage(picture.string());

    const TempDir elsewhere("install-elsewhere");
    program = launcher.string();
    if (GetParam().throughSymlink) {
        fs::create_directories(elsewhere.path() / "bin");
        fs::create_symlink(launcher, elsewhere.path() / "bin/quarrystack");
        program = (elsewhere.path() / "bin/quarrystack").string();
    }
    workingDirectory = elsewhere.path();
    startGame(320, 180);
    ASSERT_TRUE(waitForOutput("frametime:", 20));
    ASSERT_TRUE(waitForOutput("frametime:", 10, outputMark()));
    ASSERT_TRUE(waitForOutput("frametime:", 10, outputMark()));
    EXPECT_TRUE(imagesMatch(screenshot("welcome"), expected, 2, 0.0));
    ASSERT_TRUE(quit());
}

INSTANTIATE_TEST_SUITE_P(Launches, Install,
                         ::testing::Values(Launch{"Direct", false}, Launch{"ThroughSymlink", true}),
                         [](const ::testing::TestParamInfo<Launch>& info) { return info.param.name; });

} // namespace
