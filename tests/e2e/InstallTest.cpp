// `cmake --install` of this build into a fresh prefix, then the game started
// through the installed launcher, linked into another folder as into one on
// PATH, from a folder that holds no game data: the launcher must find the
// installed data, wherever it is called from, and files named on the command
// line where the player is.
#include "support/Game.h"

#include <set>

namespace {

namespace fs = std::filesystem;

std::set<std::string> filesUnder(const fs::path& root)
{
    std::set<std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files.insert(fs::relative(entry.path(), root).generic_string());
    return files;
}

TEST_F(GameTest, InstalledLauncherStartsTheGameInItsDataFromAnywhere)
{
    const TempDir prefixDir("install-prefix");
    const fs::path prefix = prefixDir.path() / "usr";
    const ToolResult install =
        runTool({QUARRYSTACK_CMAKE_COMMAND, "--install", QUARRYSTACK_BINARY_DIR, "--prefix", prefix.string()});
    ASSERT_TRUE(install.ok()) << install.output;
    const fs::path launcher = prefix / "bin/quarrystack", data = prefix / "share/quarrystack";
    for (const char* folder : {"Shader", "Textures", "Data", "Sounds"})
        EXPECT_EQ(filesUnder(data / folder), filesUnder(fs::path(QUARRYSTACK_SOURCE_DIR) / folder)) << folder;

    // A welcome picture of exactly the screen's size in the installed data:
    // the screen then shows it pixel for pixel, which proves where the game
    // read its data from.
    const fs::path picture = data / "Textures/menu/welcome16_9.png";
    const ToolResult convert = runTool({"convert", picture.string(), "-resize", "320x180!", picture.string()});
    ASSERT_TRUE(convert.ok()) << convert.output;
    const TempDir elsewhere("install-elsewhere");
    fs::create_directories(elsewhere.path() / "bin");
    fs::create_symlink(launcher, elsewhere.path() / "bin/quarrystack");
    // A level named from where the player is, with the textures of the installed data, and one of the game's own.
    fs::copy_file(data / "Data/LevelFinal.dae", elsewhere.path() / "my.dae");
    for (const std::string level : {"my.dae", "Data/LevelFinal.dae"}) {
        const ToolResult check =
            runTool({"sh", "-c", "cd '" + elsewhere.path().string() + "' && bin/quarrystack --check-level " + level});
        EXPECT_EQ(check.status, 0) << level << ": " << check.output;
        EXPECT_EQ(check.output, "ok\n") << level;
    }
    program = (elsewhere.path() / "bin/quarrystack").string();
    workingDirectory = elsewhere.path();
    start(320, 180);
    EXPECT_EQ(
        differingShare(screenshot("welcome"), loadShot(picture.string()), 2, picturesOwnPart("welcome", 320, 180)),
        0.0);
    ASSERT_TRUE(quit());
}

} // namespace
