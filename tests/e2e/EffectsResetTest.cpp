// R in the real game: the player walks off and pushes dynamicBlock1, R resets
// the level once however long it is held, and the start view comes back.
#include "EffectsTest.h"

TEST_F(EffectsTest, RResetsTheLevelToTheStartView)
{
    startPlaying();
    const Image start = view("start");

    // Straight ahead into the block, five units away.
    holdFrames({"w"}, 25);
    const Image walked = view("walked");
    const double walkedShare = outside(changedPixels(start, walked, 6), liftArea).share();
    ASSERT_GT(walkedShare, 0.3) << "the player did not walk";

    const std::size_t mark = outputMark();
    holdFrames({"r"}, 12);
    EXPECT_TRUE(waitForOutput("RELOAD", 10, mark));
    // Settle as at the start.
    waitFrames(8);
    const Image reset = view("after-reset");
    EXPECT_EQ(countInOutput("RELOAD", mark), 1u) << "R held for many frames reset the level more than once";

    // Tolerant: the blocks and the player come to rest again after the reset.
    EXPECT_TRUE(imagesMatch(without(reset, liftArea), without(start, liftArea), 10, 0.02));

    ASSERT_TRUE(quit());
}
