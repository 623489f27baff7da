// The command line end to end: a window on a larger screen, another level,
// Page Up/Down looking through its cameras, and the level check, which like
// --help and --version needs no display.
#include "support/Game.h"

#include <gmock/gmock.h>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

TEST_F(GameTest, WindowedPlaysInAWindowOfItsSizeAndShapeOnALargerScreen)
{
    arguments = {"--windowed=640x360"};
    start(800, 600); // a 4:3 screen: the window's 16:9 picture must show, filling the window
    EXPECT_THAT(windowGeometry(), HasSubstr("Position: 0,0 (screen: 0)\n  Geometry: 640x360"));
    EXPECT_EQ(windowProperty("WM_CLASS"), "WM_CLASS(STRING) = \"quarrystack\", \"quarrystack\"\n");
    EXPECT_THAT(windowProperty("_NET_WM_ICON"), HasSubstr("Icon (48 x 48)"));
    screenshot("welcome");
    // The picture's mipmap level for half its size is a 2x2 box filter.
    EXPECT_LT(differingShare(loadShot((workDir() / "welcome.png").string(), {"-crop", "640x360+0+0", "+repage"}),
                             loadShot((sourceRoot / "Textures/menu/welcome16_9.png").string(),
                                      {"-filter", "Box", "-resize", "640x360!"}),
                             4, picturesOwnPart("welcome", 640, 360)),
              0.005);
    // Made as large as the screen by the desktop, the window shows the 4:3 picture filling it. The
    // game's trilinear sampling and the image tool's resize part on the edges of the keys' small
    // text (3 % of the half compared); the 16:9 picture stretched would differ in most pixels.
    resizeWindow(800, 600);
    EXPECT_LT(differingShare(screenshot("resized"),
                             loadShot((sourceRoot / "Textures/menu/welcome4_3.png").string(), {"-resize", "800x600!"}),
                             24, picturesOwnPart("welcome", 800, 600)),
              0.03);
    const std::size_t from = mark();
    press("Return");
    waitFor("RELOAD", from);
    for (const char* size : {"800x600", "640x360", "800x600"}) { // F11: full screen, the window, full screen
        press("F11");
        EXPECT_THAT(windowGeometry(), HasSubstr("Geometry: " + std::string(size)));
    }
    EXPECT_THAT(readAll("config/quarrystack/settings.ini"), HasSubstr("\nfull_screen = yes\n")); // for the next run
    ASSERT_TRUE(quit());
}

// A window asked larger than the screen is as large as the screen, never a
// picture of gigabytes drawn at seconds a frame.
TEST_F(GameTest, AWindowLargerThanTheScreenFitsOnIt)
{
    arguments = {"--windowed=16384x16384"};
    startPlaying(320, 180);
    EXPECT_THAT(windowGeometry(), HasSubstr("Geometry: 320x180"));
    ASSERT_TRUE(quit());
}

// The fixture's pictures lie in its own textures/ folder, which the game's
// data lacks; two_cameras.dae has a second camera, placed where the first is.
TEST_F(GameTest, LevelOptionPlaysAnotherLevelAndPageUpLooksThroughItsOtherCamera)
{
    arguments = {"--level", (levelFixtures / "two_cameras.dae").string()};
    startPlaying();
    EXPECT_THAT(output(), HasSubstr("ADDED TO FLOOR: Floor_base\nplayer\n"));
    const Shot player = screenshot("player");
    press("Prior");
    EXPECT_GT(differingShare(screenshot("camera2"), player, 24), 0.3);
    press("Next");
    EXPECT_LT(differingShare(screenshot("back"), player, 24), 0.02);
    ASSERT_TRUE(quit());
}

// Quiet, the game tells its frames only in the title: a rate of 1 or more a second after start.
TEST_F(GameTest, QuietPrintsNoLineAFrame)
{
    arguments = {"--quiet"};
    launch();
    EXPECT_TRUE(runTool({"xdotool", "search", "--sync", "--name", "^Quarrystack, FPS: [1-9]"}, displayName()).ok());
    ASSERT_TRUE(quit());
    EXPECT_EQ(count("frametime:"), 0u);
}

std::string fromHere(const fs::path& file) { return fs::relative(file, fs::current_path()).string(); }

// The game runs in its data folder, as the installed launcher starts it: file
// arguments are read from where it was called all the same.
TEST(NoWindow, EachCommandLineExitsWithItsStatusAndSaysWhy)
{
    const struct {
        std::vector<std::string> arguments; // file arguments relative to the test's working directory
        int status;
        std::vector<std::string> output;
    } rows[] = {
        {{"--check-level", fromHere(levelFixtures / "several_faults.dae")},
         1,
         {"Level error: no camera", "Level error: 9 lights; at most 8 fit beside the game's own 2",
          "Level error: no texture coordinates in the mesh of node \"faultyMesh\"",
          "Level: cannot find the texture " + (levelFixtures / "textures/missing.png").string() +
              " or Textures/new/missing.png",
          "4 problems"}},
        {{"--check-level", "missing.dae"}, 1, {"Level: cannot open missing.dae", "1 problem"}},
        {{"--check-level", "gone\x1b[2J.dae"}, 1, {"Level: cannot open gone\\x1b[2J.dae", "1 problem"}},
        {{"--check-level"}, 2, {"quarrystack: --check-level needs a value: --check-level FILE"}},
        // A level that cannot be opened ends the game before it needs a display.
        {{"--level", "missing.dae"}, 255, {"Couldn't open file", "Level: cannot open missing.dae"}},
        {{"--help"},
         0,
         {"Usage: quarrystack [OPTION]...", "  Page Up/Down     look through the level's other cameras, and back"}},
        {{"--version"}, 0, {"quarrystack " QUARRYSTACK_VERSION}},
        {{}, 255, {"GLFW failed"}}, // the window library finds no display
        // The installed game's data folder gone, or a file in its place.
        {{"--data=/nonexistent"},
         255,
         {"quarrystack: cannot enter the game's data folder /nonexistent: No such file or directory"}},
        {{"--data=/etc/hostname"},
         255,
         {"quarrystack: cannot enter the game's data folder /etc/hostname: Not a directory"}},
    };
    const char* game = std::getenv("QUARRYSTACK_GAME");
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.arguments));
        // "--data=DIR" stands for the data folder the launcher names, not an option.
        const bool data = !row.arguments.empty() && row.arguments[0].rfind("--data=", 0) == 0;
        std::vector<std::string> command = {
            "env", "QUARRYSTACK_DATA_DIR=" + (data ? row.arguments[0].substr(7) : sourceRoot.string()),
            game && *game ? game : QUARRYSTACK_GAME};
        command.insert(command.end(), row.arguments.begin() + data, row.arguments.end());
        const ToolResult result = runTool(command);
        EXPECT_EQ(result.status, row.status) << result.output;
        for (const std::string& line : row.output) // each a whole line
            EXPECT_THAT("\n" + result.output, HasSubstr("\n" + line + "\n"));
    }
}

} // namespace
