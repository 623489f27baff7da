// The physics debug lines in the real game: F12 makes the physics world draw
// its collision shapes as green lines over the level; F12 again stops it.
#include "EffectsTest.h"

namespace {

// Pixels that are green in `after` and changed since `before`.
PixelMask newlyGreen(const Image& before, const Image& after)
{
    PixelMask mask = greenPixels(after, 40);
    const PixelMask changed = changedPixels(before, after, 12);
    for (std::size_t i = 0; i < mask.set.size(); ++i)
        mask.set[i] = mask.set[i] && changed.set[i];
    return mask;
}

} // namespace

TEST_F(EffectsTest, F12DrawsAndRemovesThePhysicsWireframe)
{
    startPlaying();
    const Image start = view("start");

    tap("F12");
    const Image debug = view("debug-lines");
    const PixelMask changed = outside(changedPixels(start, debug, 12), liftArea);
    // The lines are green; so is some lamp light on the far wall, which stays.
    const PixelMask green = outside(newlyGreen(start, debug), liftArea);
    // Lines over the blocks, the floor and the walls: a visible change (two
    // pictures without a key differ in at most 0.2 % of the pixels), but no
    // whole areas.
    EXPECT_GT(changed.share(), 0.01) << "F12 drew no lines";
    EXPECT_LT(changed.share(), 0.30) << "F12 changed whole areas, not lines";
    // The lines pass through bloom, which widens them by its glow, and lines
    // that run side by side merge; still they stay strokes a few pixels wide.
    EXPECT_GT(green.count(), 300u) << "the debug lines are not green";
    EXPECT_GT(thinShare(green, 4), 0.6) << "the green drawn by F12 is not thin lines";

    tap("F12");
    const Image after = view("debug-lines-off");
    EXPECT_TRUE(imagesMatch(without(after, liftArea), without(start, liftArea), 6, 0.002))
        << "the lines stay after the second F12";
    EXPECT_LT(outside(newlyGreen(start, after), liftArea).count(), 20u);

    ASSERT_TRUE(quit());
}
