// Bloom in the real game: on at start, F7 switches it off and on again. The
// glow adds light around bright parts of the picture and blurs them; dark
// parts far from anything bright must come through untouched.
#include "EffectsTest.h"

namespace {

// The sky along the top edge of the screen, far from anything bright on the
// screen: only glow that wraps round from the bottom edge could reach it.
constexpr Rect skyTopEdge{0, 0, 180, 3};
// Dark pixels this close to the screen's edge are judged by skyTopEdge.
constexpr Rect interior{6, 6, 320 - 12, 180 - 12};

} // namespace

TEST_F(EffectsTest, F7SwitchesBloomWhichBrightensAndBlursOnlyBrightAreas)
{
    startPlaying();
    const Image bloomOn = view("bloom-on");
    tap("F7");
    const Image bloomOff = view("bloom-off");

    // Classified on the plain picture; the lift moves, so its area is left out.
    const PixelMask bright = outside(palePixels(bloomOff, 170), liftArea);
    // The glow's filter reaches four pixels; six keeps clear of it.
    const PixelMask dark =
        inside(outside(awayFrom(darkPixels(bloomOff, 40), litPixels(bloomOff, 60), 6), liftArea), interior);

    // The view holds both kinds: lamp-lit stone, and the black sky.
    ASSERT_GT(bright.share(), 0.01);
    ASSERT_GT(dark.share(), 0.05);
    EXPECT_GT(brightness(bloomOn, bright), brightness(bloomOff, bright) + 8.0)
        << "bloom does not brighten the bright areas";
    EXPECT_GT(detail(bloomOff, bright), detail(bloomOn, bright) * 1.2) << "bright areas are not sharper without bloom";
    // Black far from anything bright stays exactly black with the glow; one
    // level allows for rounding.
    EXPECT_LT(meanDifference(bloomOn, bloomOff, dark), 1.0) << "bloom changes dark areas far from bright ones";
    EXPECT_LT(brightness(bloomOn, skyTopEdge), brightness(bloomOff, skyTopEdge) + 1.0)
        << "glow wraps round the screen's edge: the sky's top rows light up (" << meanColor(bloomOn, skyTopEdge)
        << " with bloom, " << meanColor(bloomOff, skyTopEdge) << " without)";

    // Held for many frames, F7 still switches once: bloom is back on.
    holdFrames({"F7"}, 12);
    const Image again = view("bloom-on-again");
    EXPECT_TRUE(imagesMatch(without(again, liftArea), without(bloomOn, liftArea), 6, 0.002));

    ASSERT_TRUE(quit());
}
