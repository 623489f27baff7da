// Playing the generated quarry level with keys alone: the way out over the
// pushed block wins, the flooded pit loses, and a block moves when the player
// walks into it.
//
// World directions: the player starts at (-7, 0.725, -10) looking north (+z);
// W walks north, S south, A east (+x), D west. Key holds are measured in the
// game's simulated time (PlayTest::holdFor), never in wall-clock time.
#include "PlayTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const std::string onTheBlock = "COLLISION WITH DYNAMIC";

Image cropped(const Image& image, const Rect& rect)
{
    Image part(rect.width, rect.height);
    for (int y = 0; y < rect.height; ++y)
        for (int x = 0; x < rect.width; ++x)
            part.set(x, y, image.at(rect.x + x, rect.y + y));
    return part;
}

double colourDistance(const MeanColor& a, const MeanColor& b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

// Per row of `band` (top to bottom), how far the two pictures' mean colours
// lie apart.
std::vector<double> rowDifferences(const Image& a, const Image& b, const Rect& band)
{
    std::vector<double> differences;
    for (int y = band.y; y < band.y + band.height; ++y) {
        const Rect row{band.x, y, band.width, 1};
        differences.push_back(colourDistance(meanColor(a, row), meanColor(b, row)));
    }
    return differences;
}

class Play : public PlayTest {
protected:
    // Two views of the start. The lift, right of the centre, goes on moving
    // through a reset (animations keep their clock), so only the part of the
    // view left of it counts: the floor, the cliffs and the two blocks.
    ::testing::AssertionResult sameStartView(const Image& actual, const Image& expected)
    {
        const Rect left{0, 0, expected.width() * 57 / 100, expected.height()};
        return imagesMatch(cropped(actual, left), cropped(expected, left), 24, 0.02);
    }
};

// The climb onto the ledge works only at short frames: a jump against the
// rock face loses its forward speed, and only a frame in which the capsule
// touches the lip of the ledge (a floor) gives it back. Frames of 0.1 s or
// less make it, 0.15 s frames never; 320 × 180 with shadows and bloom costs
// about 0.07 s of CPU time a frame on llvmpipe, so this test plays on a
// smaller screen with both turned off (F10, F7) to keep a wide margin.
TEST_F(Play, TheWayOverThePushedBlockReachesTheBeaconAndWins)
{
    startAndSettle(160, 90);
    enterPlay();
    press("F10");
    press("F7");
    waitGameTime(0.3);
    const Image start = screenshot("start");

    // The block stands 5 north of the player, the rock face of the ledge 12
    // north. Three seconds push it against the face; pushing on is harmless.
    keyDown({"w"});
    waitGameTime(3.0);
    screenshot("1-block-at-the-face");

    // Onto the block, up against the face until the lip of the ledge counts
    // as ground, over it, and north to the cliff. Held space retries a failed
    // climb, and the cliff stops the hops.
    const std::size_t mark = outputMark();
    keyDown({"space"});
    waitGameTime(5.0);
    keyUp({"space"});
    waitGameTime(1.0);
    keyUp({"w"});
    const double climbFrameMs = meanFrameMs(mark);
    EXPECT_GT(countInOutput(onTheBlock, mark), 0u) << "the player never stood on the block";
    screenshot("2-at-the-north-cliff");

    // East along the cliff to x = -3, then a running jump over the trench
    // (x -1 to 1) lands on the terrace; the beacon stands at x = 8.
    keyDown({"a"});
    waitGameTime(0.8);
    keyDown({"space"});
    waitGameTime(0.25);
    keyUp({"space"});
    waitGameTime(3.0);
    keyUp({"a"});
    ASSERT_TRUE(waitForPicture(pictureFile("win"))) << "frames took " << climbFrameMs << " ms during the climb";

    // R leads back to the welcome picture, and Enter starts afresh.
    press("r");
    ASSERT_TRUE(waitForPicture(pictureFile("welcome")));
    const std::size_t beforeRestart = outputMark();
    enterPlay();
    EXPECT_EQ(countInOutput("RELOAD", beforeRestart), 1u);
    EXPECT_TRUE(sameStartView(screenshot("restart"), start));
    ASSERT_TRUE(quit());
}

TEST_F(Play, WalkingIntoThePitLosesAndRPlaysOnFromTheStart)
{
    startAndSettle();
    enterPlay();
    const Image start = screenshot("start");

    // North-east from the start: the quarry floor ends at z = -1 in the moat.
    holdFor({"w", "a"}, 3.0);
    ASSERT_TRUE(waitForPicture(pictureFile("gameOver")));

    const std::size_t mark = outputMark();
    press("r");
    ASSERT_TRUE(waitForOutput("RELOAD", 10, mark));
    waitGameTime(0.5);
    const Image resumed = screenshot("resumed");
    EXPECT_FALSE(showsPicture(resumed, pictureFile("gameOver")));
    EXPECT_TRUE(sameStartView(resumed, start));
    ASSERT_TRUE(quit());
}

TEST_F(Play, WalkingIntoABlockPushesItAway)
{
    startAndSettle();
    enterPlay();

    // Back against the south cliff, which fixes the viewpoint: dynamicBlock1
    // stands straight ahead, 6.8 away.
    holdFor({"s"}, 0.7);
    waitGameTime(0.3);
    const Image before = screenshot("before");

    // Into the block and on for a moment, then back against the cliff.
    holdFor({"w"}, 1.5);
    holdFor({"s"}, 2.2);
    waitGameTime(0.3);
    const Image after = screenshot("after");
    const int w = before.width(), h = before.height();

    // The same viewpoint: the left part of the view, with the spare block,
    // has not changed (the lift moves on the right).
    const Rect left{0, 0, w * 3 / 10, h};
    EXPECT_TRUE(imagesMatch(cropped(after, left), cropped(before, left), 24, 0.02))
        << "the player did not come back to the same place";

    // Straight ahead, below the horizon, an object moved: where one picture
    // shows the block and the other the floor, the two differ far more than
    // the block's soft shadow makes them differ. The lowest such row is the
    // bottom edge of the nearer block. Just above it, the picture that shows
    // the block there differs from its own floor below the edge; the other
    // shows floor on both sides. The nearer block has to be the first one.
    const Rect centre{w / 2 - 3, h / 2, 6, h / 2};
    const std::vector<double> differences = rowDifferences(before, after, centre);
    const double largest = *std::max_element(differences.begin(), differences.end());
    ASSERT_GT(largest, 40.0) << "the view straight ahead did not change: the block did not move";
    int edge = centre.y + centre.height - 1;
    while (differences[edge - centre.y] < largest / 2)
        --edge;
    ASSERT_LT(edge, h - 6) << "the block's edge lies at the bottom of the screen";
    ASSERT_GE(edge, centre.y + 4);
    const Rect aboveEdge{centre.x, edge - 3, centre.width, 4};
    const Rect belowEdge{centre.x, edge + 2, centre.width, 4};
    const double contrastBefore = colourDistance(meanColor(before, aboveEdge), meanColor(before, belowEdge));
    const double contrastAfter = colourDistance(meanColor(after, aboveEdge), meanColor(after, belowEdge));
    EXPECT_GT(contrastBefore, contrastAfter + largest / 4)
        << "at row " << edge << " the first picture should show the block's edge and the second plain floor";
    ASSERT_TRUE(quit());
}

} // namespace
