// The generated level as the game imports it: every body announced on the
// console, the welcome picture first, and after Enter the lit, textured level.
#include "PlayTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// Data/LevelFinal.dae's mesh nodes in file order, each body's name line
// followed by the line of its list where it has one.
// clang-format off
const std::vector<std::string> bodyLines = {
    "cliff_north", "cliff_south", "cliff_west", "cliff_east", "Floor_quarry", "ADDED TO FLOOR: Floor_quarry",
    "ledge_rock", "Floor_ledge", "ADDED TO FLOOR: Floor_ledge", "terrace_rock", "Floor_terrace",
    "ADDED TO FLOOR: Floor_terrace", "pit_loose", "rock_pillar1", "rock_pillar2", "scaffold_frame", "Floor_scaffold",
    "ADDED TO FLOOR: Floor_scaffold", "Floor_crate1", "ADDED TO FLOOR: Floor_crate1", "Floor_crate2",
    "ADDED TO FLOOR: Floor_crate2", "dynamicBlock1", "ADDED TO dynamic: dynamicBlock1", "dynamicBlock2",
    "ADDED TO dynamic: dynamicBlock2", "dynamicBlock3", "ADDED TO dynamic: dynamicBlock3", "dynamicBlock4",
    "ADDED TO dynamic: dynamicBlock4", "beacon_win", "Floor_lift_Anim", "ADDED TO FLOOR: Floor_lift_Anim",
    "lift_frame", "crane_mast", "crane_arm_Anim", "player"};
// clang-format on

std::vector<std::string> linesBeforeTheFirstFrame(const std::string& output)
{
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line) && line.rfind("frametime:", 0) != 0;)
        lines.push_back(line);
    return lines;
}

class LevelStart : public PlayTest {};

TEST_F(LevelStart, ListsEveryBodyThenEnterShowsTheLitLevel)
{
    startAndSettle(320, 180);
    EXPECT_EQ(linesBeforeTheFirstFrame(output()), bodyLines);
    EXPECT_TRUE(showsPicture(screenshot("welcome"), pictureFile("welcome")));

    // Enter held for many frames starts play once: only the welcome picture
    // reads it.
    const std::size_t mark = outputMark();
    holdFor({"Return"}, 1.5);
    waitGameTime(0.5);
    EXPECT_EQ(countInOutput("RELOAD", mark), 1u);

    const Image level = screenshot("level");
    EXPECT_FALSE(showsPicture(level, pictureFile("welcome")));
    // Lit and textured: far from black, and many colours rather than a few
    // flat ones.
    const MeanColor mean = meanColor(level);
    EXPECT_GT(mean.r + mean.g + mean.b, 3 * 40.0) << mean;
    EXPECT_GT(distinctColors(level, 4096), 1000u);

    EXPECT_TRUE(hasTitleFormat(title()));
    // Escape during play ends the game normally.
    ASSERT_TRUE(quit());
}

} // namespace
