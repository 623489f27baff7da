// The picture measures that the effects tests judge screenshots by, on made-up
// pictures: a measure that always passes would let any screenshot through.
#include "EffectsTest.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const Rgb white{255, 255, 255};

PixelMask maskOf(const Image& image) { return litPixels(image, 0); }

struct ThinCase {
    const char* name;
    Rect stroke; // white on black, 40 x 40
    int reach;
    double minShare;
    double maxShare;
};

const ThinCase thinCases[] = {
    {"one pixel wide, horizontal", {2, 20, 36, 1}, 2, 1.0, 1.0},
    {"two pixels wide, vertical", {20, 2, 2, 36}, 2, 1.0, 1.0},
    {"four pixels wide, reach 2", {2, 20, 36, 4}, 2, 0.0, 0.0},
    {"four pixels wide, reach 4", {2, 20, 36, 4}, 4, 1.0, 1.0},
    {"a filled square", {5, 5, 30, 30}, 2, 0.0, 0.0},
};

} // namespace

TEST(EffectsMeasures, ThinShareTellsStrokesFromAreas)
{
    for (const ThinCase& c : thinCases) {
        SCOPED_TRACE(c.name);
        Image image(40, 40);
        image.fill(c.stroke, white);
        const double share = thinShare(maskOf(image), c.reach);
        EXPECT_GE(share, c.minShare);
        EXPECT_LE(share, c.maxShare);
    }
    EXPECT_EQ(thinShare(maskOf(Image(10, 10)), 2), 0.0); // nothing set
}

TEST(EffectsMeasures, StrokesAtThePictureEdgeAreNotThinUnlessClearOnBothSides)
{
    // A bar along the left edge, three wide: the edge is no clear pixel.
    Image image(20, 20);
    image.fill({0, 0, 3, 20}, white);
    EXPECT_EQ(thinShare(maskOf(image), 2), 0.0);
}

TEST(EffectsMeasures, AwayFromDropsPixelsNearTheOther)
{
    Image image(30, 1);
    image.set(10, 0, white);
    const PixelMask dark = darkPixels(image, 40);
    const PixelMask far = awayFrom(dark, litPixels(image, 60), 6);
    EXPECT_EQ(far.count(), 30u - 13u); // x 4..16 lie within 6 of x 10
    EXPECT_FALSE(far.at(4, 0));
    EXPECT_TRUE(far.at(3, 0));
    EXPECT_FALSE(far.at(16, 0));
    EXPECT_TRUE(far.at(17, 0));
}

TEST(EffectsMeasures, InsideAndOutsideSplitAMask)
{
    const PixelMask all = maskOf(Image(10, 10, white));
    const Rect middle{2, 3, 4, 5};
    EXPECT_EQ(inside(all, middle).count(), 20u);
    EXPECT_EQ(outside(all, middle).count(), 80u);
    EXPECT_EQ(outside(all, {8, 8, 10, 10}).count(), 96u); // clipped to the picture
}

TEST(EffectsMeasures, DetailIsZeroWhenFlatAndFullOnAChecker)
{
    Image flat(8, 8, Rgb{120, 120, 120});
    Image checker(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if ((x + y) % 2 == 0)
                checker.set(x, y, white);
    EXPECT_EQ(detail(flat, Rect{0, 0, 8, 8}), 0.0);
    EXPECT_EQ(detail(checker, Rect{0, 0, 8, 8}), 255.0);
    EXPECT_EQ(detail(checker, maskOf(Image(8, 8, white))), 255.0);
}

TEST(EffectsMeasures, BrightnessAndDifferencesOverMasks)
{
    Image a(4, 1);
    a.set(0, 0, Rgb{30, 60, 90});
    a.set(1, 0, white);
    Image b = a;
    b.set(0, 0, Rgb{30, 70, 90});
    PixelMask first = maskOf(Image(4, 1));
    first.set[0] = 1;
    EXPECT_DOUBLE_EQ(brightness(a, first), 60.0);
    EXPECT_DOUBLE_EQ(brightness(a, Rect{0, 0, 2, 1}), (60.0 + 255.0) / 2.0);
    EXPECT_DOUBLE_EQ(meanDifference(a, b, first), 10.0);
    EXPECT_EQ(changedPixels(a, b, 9).count(), 1u);
    EXPECT_EQ(changedPixels(a, b, 10).count(), 0u);
    EXPECT_EQ(palePixels(a, 250).count(), 1u);
    EXPECT_EQ(greenPixels(Image(2, 1, Rgb{10, 200, 10}), 40).count(), 2u);
    EXPECT_EQ(greenPixels(Image(2, 1, Rgb{180, 200, 10}), 40).count(), 0u);
    EXPECT_THROW(changedPixels(a, Image(3, 1), 0), std::invalid_argument);

    const Image masked = without(Image(4, 4, white), Rect{2, 2, 5, 5});
    EXPECT_EQ(darkPixels(masked, 0).count(), 4u);
}
