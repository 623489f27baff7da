// Wireframe and normal mapping in the real game. F3 draws the level as lines
// straight to the screen (bloom is bypassed); switching wireframe off again
// also switches normal mapping off, and F6 brings it back. Every surface of the
// level carries a normal map.
#include "EffectsTest.h"

namespace {

// The brick wall on the right, lit at a grazing angle: its normal map shapes
// the bricks.
constexpr Rect rightWall{250, 0, 70, 50};
// Pixels brighter than this in a wireframe picture belong to lines.
constexpr int lineLevel = 60;

} // namespace

TEST_F(EffectsTest, F6AndF3SwitchNormalMappingAndWireframe)
{
    startPlaying();
    const Image start = view("start");

    tap("F6");
    const Image flat = view("normal-mapping-off");
    const PixelMask shadingChanged = outside(changedPixels(start, flat, 6), liftArea);
    // Two pictures without a key differ in at most 0.2 % (outside the lift).
    EXPECT_GT(shadingChanged.share(), 0.05) << "F6 hardly changes the shading";
    // The normal map draws the relief of the bricks: more contrast between neighbours.
    EXPECT_GT(detail(start, rightWall), detail(flat, rightWall) * 1.15);
    tap("F6");
    EXPECT_TRUE(imagesMatch(without(view("normal-mapping-on"), liftArea), without(start, liftArea), 6, 0.002))
        << "a second F6 did not bring normal mapping back";

    tap("F3");
    const Image wire = view("wireframe");
    const PixelMask lines = litPixels(wire, lineLevel);
    const PixelMask black = darkPixels(wire, 20);
    // Filled, only the sky is black (about 15 %); as lines, most of the screen.
    EXPECT_GT(black.share(), 0.6);
    EXPECT_LT(darkPixels(start, 20).share(), 0.3);
    EXPECT_GT(lines.share(), 0.02) << "too few lines";
    // Lines one or two pixels wide, with black on both sides: straight on
    // screen, without the blur of bloom. Where distant triangles crowd, lines
    // merge; filled surfaces give next to no thin strokes.
    EXPECT_GT(thinShare(lines, 2), 0.7) << "the lines are not thin";
    EXPECT_LT(thinShare(litPixels(start, lineLevel), 2), 0.1);

    tap("F3");
    const Image afterWire = view("after-wireframe");
    EXPECT_GT(outside(changedPixels(start, afterWire, 6), liftArea).share(), 0.05)
        << "leaving wireframe should also have switched normal mapping off";
    EXPECT_TRUE(imagesMatch(without(afterWire, liftArea), without(flat, liftArea), 6, 0.002))
        << "after wireframe the picture should be the one without normal mapping";
    EXPECT_LT(darkPixels(afterWire, 20).share(), 0.3) << "still drawn as lines";

    tap("F6");
    EXPECT_TRUE(imagesMatch(without(view("restored"), liftArea), without(start, liftArea), 6, 0.002))
        << "F6 did not bring normal mapping back";

    ASSERT_TRUE(quit());
}
