// Start-up, the frame loop's console line and window title, and a start
// without a display. BadInputTest covers the other ways a start can fail.
#include "PlayTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

} // namespace
