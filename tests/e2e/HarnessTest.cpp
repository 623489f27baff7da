// The end-to-end harness on a real X display, with stand-ins for the game:
// glxgears (a GL window that quits on Escape) and xev (which prints every key
// event it receives).
#include "support/GameTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

ProcessOptions onDisplay(const XvfbDisplay& display, std::vector<std::string> command)
{
    ProcessOptions options;
    options.program = command.front();
    options.arguments.assign(command.begin() + 1, command.end());
    options.display = display.name();
    return options;
}

// glxgears shows black until its first frame is swapped in.
Image screenshotWithContent(const XControl& x, const fs::path& file)
{
    Image shot;
    for (int attempt = 0; attempt < 50; ++attempt) {
        x.screenshot(file.string());
        shot = loadImage(file.string());
        if (distinctColors(shot) > 2)
            break;
        std::this_thread::sleep_for(200ms);
    }
    return shot;
}

struct KeyEvent {
    bool press = false;
    std::string key;
    long time = 0; // server milliseconds
};

// The text after `key` in `text` up to the first of `stops`; empty without `key`.
std::string fieldAfter(const std::string& text, const std::string& key, const char* stops)
{
    const std::size_t at = text.find(key);
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + key.size();
    return text.substr(start, text.find_first_of(stops, start) - start);
}

// xev prints one paragraph per event:
//   KeyPress event, serial 25, synthetic NO, window 0x400001,
//       root 0x50d, subw 0x0, time 859636, (158,98), root:(160,100),
//       state 0x0, keycode 69 (keysym 0xffc0, F3), same_screen YES,
std::vector<KeyEvent> keyEvents(const std::string& xevOutput)
{
    std::vector<KeyEvent> events;
    std::istringstream in(xevOutput);
    std::string paragraph, line;
    auto flush = [&] {
        const bool press = paragraph.rfind("KeyPress event", 0) == 0;
        const bool release = paragraph.rfind("KeyRelease event", 0) == 0;
        const std::string time = fieldAfter(paragraph, " time ", ",");
        const std::string keysym = fieldAfter(paragraph, "(keysym ", ")");
        if ((press || release) && !time.empty() && keysym.find(", ") != std::string::npos)
            events.push_back({press, keysym.substr(keysym.find(", ") + 2), std::stol(time)});
        paragraph.clear();
    };
    while (std::getline(in, line)) {
        if (line.empty())
            flush();
        else
            paragraph += line + "\n";
    }
    flush();
    return events;
}

class XControlTest : public ::testing::Test {
protected:
    XvfbDisplay display{320, 200};
    XControl x{display.name()};
};

TEST_F(XControlTest, FindsFocusesShootsAndQuitsAGlWindow)
{
    GameProcess gears(onDisplay(display, {"glxgears"}));
    const XControl::WindowId window = x.findWindow("^glxgears$", 20);
    EXPECT_EQ(x.windowName(window), "glxgears");
    x.focus(window);
    const XControl::Geometry geometry = x.geometry(window);
    EXPECT_EQ(geometry.width, 300); // glxgears' own size, larger than the screen is tall
    EXPECT_EQ(geometry.height, 300);

    const TempDir dir("harness-test");
    const Image shot = screenshotWithContent(x, dir.path() / "gears.png");
    EXPECT_EQ(shot.width(), 320);
    EXPECT_EQ(shot.height(), 200);
    EXPECT_GT(distinctColors(shot), 2u) << "the screen is blank: " << shot.at(0, 0);

    x.press("Escape");
    EXPECT_EQ(gears.waitForExit(10), ExitStatus::exited(0));
}

TEST_F(XControlTest, WindowSearchTimesOut)
{
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(x.findWindow("^no such window$", 0.5), std::runtime_error);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(x.windows("^no such window$").empty());
    EXPECT_THROW(XControl(":98765").windows("^glxgears$"), std::runtime_error); // no such display
}

TEST_F(XControlTest, KeysArriveHeldAndTogether)
{
    GameProcess xev(onDisplay(display, {"xev", "-event", "keyboard"}));
    x.focus(x.findWindow("^Event Tester$", 20));

    x.press("F3", 0.3);
    x.hold({"w", "space"}, 0.2);
    for (const char* key : {"Return", "Escape", "Prior", "Next"})
        x.press(key);
    ASSERT_TRUE(xev.waitForOutput("keysym 0xff56, Next", 10)) << xev.output();
    std::this_thread::sleep_for(100ms); // the release of Next follows its press
    const std::vector<KeyEvent> events = keyEvents(xev.output());

    std::vector<std::string> order;
    for (const KeyEvent& event : events)
        order.push_back((event.press ? "+" : "-") + event.key);
    EXPECT_THAT(order, ::testing::ElementsAre("+F3", "-F3", "+w", "+space", "-w", "-space", "+Return", "-Return",
                                              "+Escape", "-Escape", "+Prior", "-Prior", "+Next", "-Next"));
    ASSERT_GE(events.size(), 2u);
    EXPECT_GE(events[1].time - events[0].time, 280) << "F3 was held too briefly";
    EXPECT_GE(events[7].time - events[6].time, 130) << "the default hold is too brief";
}

TEST_F(XControlTest, MouseMovesAbsoluteAndRelative)
{
    auto pointer = [&] {
        // --shell prints X=, Y=, SCREEN= and WINDOW= lines.
        const ToolResult where = runTool({"xdotool", "getmouselocation", "--shell"}, display.name(), 10);
        const std::string px = fieldAfter(where.output, "X=", "\n");
        const std::string py = fieldAfter(where.output, "Y=", "\n");
        if (!where.ok() || px.empty() || py.empty())
            throw std::runtime_error("no pointer location: " + where.output + where.errorOutput);
        return std::make_pair(std::stoi(px), std::stoi(py));
    };
    x.moveMouse(10, 20);
    EXPECT_EQ(pointer(), std::make_pair(10, 20));
    x.moveMouseRelative(5, -3);
    EXPECT_EQ(pointer(), std::make_pair(15, 17));
    x.moveMouseRelative(-15, 100);
    EXPECT_EQ(pointer(), std::make_pair(0, 117));
}

TEST_F(XControlTest, DestroyingTheProcessLeavesNothingBehind)
{
    pid_t pid = -1;
    {
        GameProcess gears(onDisplay(display, {"glxgears"}));
        pid = gears.pid();
        x.findWindow("^glxgears$", 20);
        ASSERT_EQ(kill(pid, 0), 0);
    }
    EXPECT_NE(kill(pid, 0), 0);
    EXPECT_TRUE(x.windows("^glxgears$").empty());
}

TEST(GameDataTest, FreshCopyThatTestsMayBreak)
{
    const fs::path source = QUARRYSTACK_SOURCE_DIR;
    fs::path root;
    {
        const GameData data;
        root = data.root();
        EXPECT_NE(root, source);
        std::size_t compared = 0;
        for (const char* folder : GameData::folders) {
            if (!fs::is_directory(source / folder)) {
                EXPECT_FALSE(fs::exists(root / folder));
                continue;
            }
            for (const auto& entry : fs::recursive_directory_iterator(source / folder)) {
                if (!entry.is_regular_file())
                    continue;
                const fs::path copy = root / fs::relative(entry.path(), source);
                ASSERT_TRUE(fs::is_regular_file(copy)) << copy;
                EXPECT_EQ(fs::file_size(copy), entry.file_size()) << copy;
                ++compared;
            }
        }
        ASSERT_TRUE(fs::exists(source / "Shader/menu.frag"));
        EXPECT_GT(compared, 0u);

        const std::uintmax_t original = fs::file_size(source / "Shader/menu.frag");
        data.truncate("Shader/menu.frag", 3);
        EXPECT_EQ(fs::file_size(data.file("Shader/menu.frag")), 3u);
        data.remove("Shader/menu.vert");
        EXPECT_FALSE(fs::exists(data.file("Shader/menu.vert")));
        data.write("Data/LevelFinal.dae", "<broken");
        std::ifstream written(data.file("Data/LevelFinal.dae"));
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "<broken");
        EXPECT_THROW(data.remove("Shader/menu.vert"), std::runtime_error);

        EXPECT_EQ(fs::file_size(source / "Shader/menu.frag"), original);
        EXPECT_TRUE(fs::exists(source / "Shader/menu.vert"));
    }
    EXPECT_FALSE(fs::exists(root));
}

// The fixture, with glxgears in the game's place.
class GlxgearsTest : public GameTest {
protected:
    GlxgearsTest()
    {
        program = "glxgears";
        windowPattern = "^glxgears$";
    }
};

TEST_F(GlxgearsTest, StartsShootsAndQuits)
{
    startGame(320, 200);
    EXPECT_NE(window(), 0u);
    EXPECT_EQ(title(), "glxgears");
    EXPECT_EQ(display().name().front(), ':');

    Image shot = screenshot("gears");
    for (int attempt = 0; attempt < 50 && distinctColors(shot) <= 2; ++attempt) {
        std::this_thread::sleep_for(200ms);
        shot = screenshot("gears");
    }
    EXPECT_EQ(shot.width(), 320);
    EXPECT_EQ(shot.height(), 200);
    EXPECT_GT(distinctColors(shot), 2u);
    EXPECT_TRUE(fs::is_regular_file(artifactDir() / "gears.png"));
    EXPECT_EQ(fs::path(game().options().workingDirectory), data().root());
    ASSERT_TRUE(quit());
}

TEST_F(GlxgearsTest, WithoutDisplayTheProgramFails)
{
    launchGameWithoutDisplay();
    EXPECT_EQ(waitForExit(10), ExitStatus::exited(255));
    EXPECT_THAT(output(), HasSubstr("couldn't open display (null)"));
}

TEST_F(GlxgearsTest, StartFailsFastWhenTheProgramEndsWithoutAWindow)
{
    program = "sh";
    arguments = {"-c", "echo 'Failed to initialize glew'; exit 255"};
    const auto start = std::chrono::steady_clock::now();
    try {
        startGame();
        ADD_FAILURE() << "a window was found";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), HasSubstr("exit code 255"));
        EXPECT_THAT(error.what(), HasSubstr("Failed to initialize glew"));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

TEST_F(GlxgearsTest, OutputHelpersSkipFrameLinesAndExplainTimeouts)
{
    program = "sh";
    arguments = {"-c", "echo 'ADDED TO FLOOR: Floor'; for i in 1 2 3; do echo \"frametime: $i.5ms\"; done; "
                       "echo RELOAD; echo RELOAD; exec sleep 30"};
    launchGame();
    ASSERT_TRUE(waitForOutput("RELOAD\nRELOAD\n"));
    EXPECT_EQ(countInOutput("RELOAD"), 2u);
    EXPECT_EQ(countInOutput("frametime: "), 3u);

    const std::string tail = outputTail();
    EXPECT_THAT(tail, HasSubstr("ADDED TO FLOOR: Floor"));
    EXPECT_THAT(tail, HasSubstr("[3 frametime lines left out]"));
    EXPECT_THAT(tail, ::testing::Not(HasSubstr("1.5ms")));

    const std::size_t mark = outputMark();
    const ::testing::AssertionResult missing = waitForOutput("RELOAD", 0.3, mark);
    EXPECT_FALSE(missing);
    EXPECT_THAT(missing.message(), HasSubstr("still running"));
    EXPECT_THAT(missing.message(), HasSubstr("ADDED TO FLOOR"));
}

TEST_F(GlxgearsTest, QuitReportsAProgramThatIgnoresEscape)
{
    program = "sh";
    arguments = {"-c", "exec sleep 30"};
    launchGame();
    const ::testing::AssertionResult result = quit(0.5);
    EXPECT_FALSE(result);
    EXPECT_THAT(result.message(), HasSubstr("still running"));
}

TEST_F(GlxgearsTest, EvidenceOfAFailureIsKept)
{
    startGame(320, 200);
    screenshot("before");
    keepEvidence();
    for (const char* file : {"before.png", "teardown.png", "stdout.txt", "stderr.txt"})
        EXPECT_TRUE(fs::is_regular_file(artifactDir() / file)) << file;
    EXPECT_EQ(loadImage((artifactDir() / "teardown.png").string()).width(), 320);
    EXPECT_FALSE(game().running()) << "keeping evidence ends the game";
}

} // namespace
