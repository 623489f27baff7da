// The end-to-end harness on a real X display, with stand-ins for the game:
// glxgears (a GL window that quits on Escape), xev (which prints the key
// events it receives) and a shell script. What is checked here is what would
// make the game's tests blind or flaky if it broke.
#include "support/GameTest.h"

#include <csignal>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

// The text after `key` in `text` up to the first of `stops`; empty without `key`.
std::string fieldAfter(const std::string& text, const std::string& key, const char* stops)
{
    const std::size_t at = text.find(key);
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + key.size();
    return text.substr(start, text.find_first_of(stops, start) - start);
}

struct KeyEvent {
    bool press = false;
    std::string key;
    long time = 0; // server milliseconds
};

// xev prints one paragraph per event:
//   KeyPress event, serial 25, synthetic NO, window 0x400001,
//       root 0x50d, subw 0x0, time 859636, (158,98), root:(160,100),
//       state 0x0, keycode 69 (keysym 0xffc0, F3), same_screen YES,
std::vector<KeyEvent> keyEvents(const std::string& xevOutput)
{
    std::vector<KeyEvent> events;
    std::istringstream in(xevOutput + "\n");
    std::string paragraph, line;
    while (std::getline(in, line)) {
        if (!line.empty()) {
            paragraph += line + "\n";
            continue;
        }
        const bool press = paragraph.rfind("KeyPress event", 0) == 0;
        const std::string time = fieldAfter(paragraph, " time ", ",");
        const std::string keysym = fieldAfter(paragraph, "(keysym ", ")");
        if ((press || paragraph.rfind("KeyRelease event", 0) == 0) && !time.empty() &&
            keysym.find(", ") != std::string::npos)
            events.push_back({press, keysym.substr(keysym.find(", ") + 2), std::stol(time)});
        paragraph.clear();
    }
    return events;
}

using Harness = GameTest;

TEST_F(Harness, FindsShootsAndStopsAGlWindow)
{
    program = "glxgears";
    windowPattern = "^glxgears$";
    startGame(320, 200);
    EXPECT_EQ(title(), "glxgears");
    EXPECT_EQ(x().geometry(window()).width, 300); // glxgears' own size, not the screen's
    EXPECT_EQ(x().geometry(window()).height, 300);

    // glxgears shows black until its first frame is swapped in.
    Image shot = screenshot("gears");
    for (int attempt = 0; attempt < 50 && distinctColors(shot) <= 2; ++attempt) {
        std::this_thread::sleep_for(200ms);
        shot = screenshot("gears");
    }
    EXPECT_EQ(shot.width(), 320);
    EXPECT_EQ(shot.height(), 200);
    EXPECT_GT(distinctColors(shot), 2u);

    const pid_t pid = game().pid();
    game().stop();
    EXPECT_NE(kill(pid, 0), 0);
    EXPECT_TRUE(x().windows("^glxgears$").empty());
}

TEST_F(Harness, KeysArriveHeldAndTogetherAndTheMouseMoves)
{
    program = "xev";
    arguments = {"-event", "keyboard"};
    windowPattern = "^Event Tester$";
    startGame(320, 200);

    press("F3", 0.3);
    hold({"w", "space"}, 0.2);
    for (const char* key : {"Return", "Escape", "Prior", "Next"})
        press(key);
    ASSERT_TRUE(waitForOutput("keysym 0xff56, Next", 10));
    std::this_thread::sleep_for(100ms); // the release of Next follows its press
    const std::vector<KeyEvent> events = keyEvents(output());
    std::vector<std::string> order;
    for (const KeyEvent& event : events)
        order.push_back((event.press ? "+" : "-") + event.key);
    ASSERT_THAT(order, ::testing::ElementsAre("+F3", "-F3", "+w", "+space", "-w", "-space", "+Return", "-Return",
                                              "+Escape", "-Escape", "+Prior", "-Prior", "+Next", "-Next"));
    EXPECT_GE(events[1].time - events[0].time, 280) << "F3 was held too briefly";
    EXPECT_GE(events[7].time - events[6].time, 130) << "the default hold is too brief";

    auto pointer = [&] {
        const ToolResult where = runTool({"xdotool", "getmouselocation", "--shell"}, display().name(), 10);
        return std::make_pair(std::stoi(fieldAfter(where.output, "X=", "\n")),
                              std::stoi(fieldAfter(where.output, "Y=", "\n")));
    };
    moveMouse(10, 20);
    EXPECT_EQ(pointer(), std::make_pair(10, 20));
    moveMouseRelative(5, -3);
    EXPECT_EQ(pointer(), std::make_pair(15, 17));
}

TEST_F(Harness, OutputHelpersCountAndQuitReportsAProgramThatIgnoresEscape)
{
    program = "sh";
    arguments = {"-c", "echo 'ADDED TO FLOOR: Floor'; for i in 1 2 3; do echo \"frametime: $i.5ms\"; done; "
                       "echo RELOAD; echo RELOAD; exec sleep 30"};
    launchGame();
    ASSERT_TRUE(waitForOutput("RELOAD\nRELOAD\n"));
    EXPECT_EQ(countInOutput("RELOAD"), 2u);
    EXPECT_EQ(countInOutput("RELOAD", output().find("RELOAD") + 1), 1u);
    EXPECT_THAT(outputTail(), HasSubstr("ADDED TO FLOOR: Floor\n  RELOAD\n  RELOAD\n  [3 frametime lines left out]"));
    EXPECT_FALSE(waitForOutput("RELOAD", 0.3, outputMark()));

    const ::testing::AssertionResult result = quit(0.5);
    EXPECT_FALSE(result);
    EXPECT_THAT(result.message(), HasSubstr("still running"));
}

std::map<std::string, std::uintmax_t> filesAndSizes(const fs::path& root)
{
    std::map<std::string, std::uintmax_t> files;
    for (const char* folder : GameData::folders)
        if (fs::is_directory(root / folder))
            for (const auto& entry : fs::recursive_directory_iterator(root / folder))
                if (entry.is_regular_file())
                    files[fs::relative(entry.path(), root).string()] = entry.file_size();
    return files;
}

// Tests break the copy, never the repository.
TEST(GameDataTest, FreshCopyThatTestsMayBreak)
{
    const fs::path source = QUARRYSTACK_SOURCE_DIR;
    const auto original = filesAndSizes(source);
    ASSERT_TRUE(original.count("Shader/menu.frag"));
    fs::path root;
    {
        const GameData data;
        root = data.root();
        ASSERT_NE(root, source);
        EXPECT_EQ(filesAndSizes(root), original);
        data.truncate("Shader/menu.frag", 3);
        EXPECT_EQ(fs::file_size(data.file("Shader/menu.frag")), 3u);
        data.remove("Shader/menu.vert");
        EXPECT_FALSE(fs::exists(data.file("Shader/menu.vert")));
        EXPECT_THROW(data.remove("Shader/menu.vert"), std::runtime_error);
        data.write("Data/LevelFinal.dae", "<broken");
        std::ifstream written(data.file("Data/LevelFinal.dae"));
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "<broken");
    }
    EXPECT_FALSE(fs::exists(root));
    EXPECT_EQ(filesAndSizes(source), original);
}

} // namespace
