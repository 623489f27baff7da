// Shadows in the real game: dynamicBlock1 stands between the first light of
// the level (above and to its left, at (-1, 8, -5.5)) and the floor, so from
// the start view its shadow lies on the floor to the right of the block.
#include "EffectsTest.h"

namespace {

// In the 320 x 180 start view the block's front face ends at x 181 and
// y 159; its shadow starts at its right edge and reaches x 270 on rows 142..160.
constexpr Rect blockShadow{184, 146, 28, 12};
// The floor along the block's right edge, where the shadow must touch the
// block (a shadow pushed off by its bias would leave a lit gap there).
constexpr Rect contactStrip{182, 148, 6, 10};
// The floor just in front of the shadow, which no lamp's shadow reaches: its
// brightness does not depend on F10.
constexpr Rect floorInFront{190, 164, 60, 10};

} // namespace

TEST_F(EffectsTest, BlockShadowDarkensTheFloorAndF10TurnsShadowsOff)
{
    startPlaying();
    const Image start = view("start");
    const Image still = view("still");
    // Without a key nothing but the lift moves: the yardstick for "unchanged".
    EXPECT_TRUE(imagesMatch(without(still, liftArea), without(start, liftArea), 6, 0.002));

    auto expectShadow = [](const Image& on, const Image& off) {
        // The floor in front is nearer to the lamp the player carries; the
        // shadow makes the floor behind clearly darker all the same (by about
        // 45 levels; floor texture varies by about 10).
        EXPECT_GT(brightness(on, floorInFront) - brightness(on, blockShadow), 20.0)
            << "no shadow beside the block: " << meanColor(on, blockShadow) << ", floor in front "
            << meanColor(on, floorInFront);
        // F10 lights the shadow region up, right up to the block...
        EXPECT_GT(brightness(off, blockShadow), brightness(on, blockShadow) + 20.0)
            << "F10 did not lighten the shadow: " << meanColor(on, blockShadow) << " -> " << meanColor(off, blockShadow);
        EXPECT_GT(brightness(off, contactStrip), brightness(on, contactStrip) + 20.0)
            << "the shadow does not reach the block: " << meanColor(on, contactStrip) << " -> "
            << meanColor(off, contactStrip);
        // ...and leaves the floor outside it as it was.
        EXPECT_NEAR(brightness(off, floorInFront), brightness(on, floorInFront), 5.0);
    };

    tap("F10");
    const Image off = view("shadows-off");
    expectShadow(start, off);

    tap("F10");
    const Image on = view("shadows-on-again");
    EXPECT_TRUE(imagesMatch(without(on, liftArea), without(start, liftArea), 6, 0.002))
        << "a second F10 did not bring the shadows back";

    // The same without bloom, whose glow could fill in or darken the floor.
    tap("F7");
    const Image plain = view("no-bloom");
    tap("F10");
    const Image plainOff = view("no-bloom-shadows-off");
    expectShadow(plain, plainOff);

    ASSERT_TRUE(quit());
}
