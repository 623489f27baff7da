// The welcome picture at two screen shapes.
#include "PlayTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

namespace {

struct ScreenCase {
    const char* name;
    int width;
    int height;
    const char* picture; // what the game is to show there
};

// Names the case in test listings instead of its bytes.
void PrintTo(const ScreenCase& screen, std::ostream* out)
{
    *out << screen.width << "x" << screen.height;
}

class WelcomePicture : public PlayTest, public ::testing::WithParamInterface<ScreenCase> {};

// The picture fills the screen, stretched with mipmapped linear filtering;
// a 4:3 screen gets the 4:3 picture, every other shape the 16:9 one.
TEST_P(WelcomePicture, FillsTheScreen)
{
    const ScreenCase& screen = GetParam();
    startAndSettle(screen.width, screen.height);

    const XControl::Geometry geometry = x().geometry(window());
    EXPECT_EQ(geometry.width, screen.width);
    EXPECT_EQ(geometry.height, screen.height);

    const Image shot = screenshot("welcome");
    ASSERT_EQ(shot.width(), screen.width);
    EXPECT_TRUE(showsPicture(shot, screen.picture));
    EXPECT_EQ(pictureFile("welcome"), screen.picture);

    // R belongs to the other two pictures: here it does nothing.
    const std::size_t mark = outputMark();
    press("r");
    waitGameTime(0.5);
    EXPECT_TRUE(showsPicture(screenshot("after-r"), screen.picture));
    EXPECT_EQ(countInOutput("RELOAD", mark), 0u);
    ASSERT_TRUE(quit());
}

INSTANTIATE_TEST_SUITE_P(Screens, WelcomePicture,
                         ::testing::Values(ScreenCase{"wide1080p", 1920, 1080, "welcome16_9.png"},
                                           ScreenCase{"fourByThree", 1024, 768, "welcome4_3.png"}),
                         [](const ::testing::TestParamInfo<ScreenCase>& info) { return std::string(info.param.name); });

} // namespace
