// Start-up, the frame loop's console line and window title, and the ways a
// start can fail: each failure ends the game with its message and exit code
// 255 (the game's -1), never with a crash or a hang.
#include "PlayTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// A double in the stream's default format: six significant digits, fixed or
// scientific.
const std::regex frameLineFormat(R"(^frametime: \d+(\.\d+)?(e[+-]\d+)?ms$)");

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class Startup : public PlayTest {};

TEST_F(Startup, RunsFullScreenWritesEveryFrameAndQuitsOnEscape)
{
    startAndSettle(320, 180);

    const XControl::Geometry geometry = x().geometry(window());
    EXPECT_EQ(geometry.x, 0);
    EXPECT_EQ(geometry.y, 0);
    EXPECT_EQ(geometry.width, 320);
    EXPECT_EQ(geometry.height, 180);

    // A frame-rate sample falls due a second after start; from then on the
    // title shows a real frame rate.
    waitGameTime(1.5);
    const std::string shown = title();
    EXPECT_TRUE(hasTitleFormat(shown));
    EXPECT_THAT(shown, Not(HasSubstr("FPS: 0 "))) << "no frame-rate sample after 1.5 s of frames";

    // Every line from the first frame on is a frame line: nothing else is
    // written while the welcome picture shows.
    const std::vector<std::string> lines = linesOf(output());
    std::size_t frameLines = 0;
    bool framesStarted = false;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) { // the last may be incomplete
        if (lines[i].rfind("frametime:", 0) == 0)
            framesStarted = true;
        if (!framesStarted)
            continue;
        EXPECT_TRUE(std::regex_match(lines[i], frameLineFormat)) << "line " << i + 1 << ": " << lines[i];
        ++frameLines;
    }
    EXPECT_GE(frameLines, 10u);

    // Escape on the welcome picture ends the game normally.
    ASSERT_TRUE(quit());
    // Standard error is for real trouble, such as an incomplete framebuffer.
    EXPECT_THAT(errorOutput(), Not(HasSubstr("ERROR")));
}

TEST_F(Startup, WithoutADisplayTheWindowLibraryFails)
{
    launchGameWithoutDisplay();
    const std::optional<ExitStatus> status = waitForExit(30);
    ASSERT_TRUE(status) << "the game did not end";
    EXPECT_EQ(*status, ExitStatus::exited(255));
    EXPECT_EQ(linesOf(output()).front(), "GLFW failed");
}

struct BrokenData {
    const char* name;
    std::function<void(GameData&)> breakIt;
    const char* message; // the first line of the message on standard output
};

// Names the case in test listings instead of its bytes.
void PrintTo(const BrokenData& broken, std::ostream* out)
{
    *out << broken.name;
}

class BrokenStart : public PlayTest, public ::testing::WithParamInterface<BrokenData> {};

TEST_P(BrokenStart, EndsWithItsMessageAndExitCode255)
{
    GetParam().breakIt(data());
    const auto launched = std::chrono::steady_clock::now();
    launchGame(320, 180);
    const std::optional<ExitStatus> status = waitForExit(30);
    ASSERT_TRUE(status) << "the game is still running; standard output ends with:\n" << outputTail();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - launched).count();

    // A signal here would be a crash after the message.
    EXPECT_EQ(*status, ExitStatus::exited(255));
    const std::vector<std::string> lines = linesOf(output());
    EXPECT_THAT(lines, ::testing::Contains(::testing::StartsWith(GetParam().message))) << outputTail();
    // The message is the last thing the game says, and no frame was drawn.
    ASSERT_FALSE(lines.empty());
    EXPECT_THAT(lines.back(), ::testing::StartsWith(GetParam().message));
    EXPECT_THAT(output(), Not(HasSubstr("frametime:")));
    // No wait for a key: there is no console to press it on.
    EXPECT_LT(seconds, 20.0);
}

void replaceLevel(GameData& data, const std::string& fixture)
{
    std::filesystem::copy_file(std::string(QUARRYSTACK_SOURCE_DIR) + "/tests/data/levels/" + fixture,
                               data.file("Data/LevelFinal.dae"), std::filesystem::copy_options::overwrite_existing);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, BrokenStart,
    ::testing::Values(
        BrokenData{"shaderFileMissing", [](GameData& d) { d.remove("Shader/line.frag"); }, "Failed to open shader-file"},
        BrokenData{"levelMissing", [](GameData& d) { d.remove("Data/LevelFinal.dae"); }, "Couldn't open file"},
        BrokenData{"levelUnreadable", [](GameData& d) { replaceLevel(d, "garbage.dae"); }, "Couldn't load File"},
        BrokenData{"levelWithoutPlayer", [](GameData& d) { replaceLevel(d, "no_player.dae"); }, "Level error: "}),
    [](const ::testing::TestParamInfo<BrokenData>& info) { return std::string(info.param.name); });

} // namespace
