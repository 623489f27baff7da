// The picture measures that the effects tests judge screenshots by, on made-up
// pictures: a measure that always passes would let any screenshot through.
#include "EffectsTest.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const Rgb white{255, 255, 255};

PixelMask maskOf(const Image& image) { return litPixels(image, 0); }

TEST(EffectsMeasures, ThinShareTellsStrokesFromAreas)
{
    const struct {
        const char* name;
        Rect stroke; // white on black, 40 x 40
        int reach;
        double share;
    } rows[] = {
        {"one pixel wide, horizontal", {2, 20, 36, 1}, 2, 1.0},
        {"two pixels wide, vertical", {20, 2, 2, 36}, 2, 1.0},
        {"four pixels wide, reach 2", {2, 20, 36, 4}, 2, 0.0},
        {"four pixels wide, reach 4", {2, 20, 36, 4}, 4, 1.0},
        {"a filled square", {5, 5, 30, 30}, 2, 0.0},
        {"a bar along the edge, which is no clear pixel", {0, 0, 3, 40}, 2, 0.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Image image(40, 40);
        image.fill(row.stroke, white);
        EXPECT_EQ(thinShare(maskOf(image), row.reach), row.share);
    }
}

TEST(EffectsMeasures, MasksCountTheRightPixels)
{
    Image line(30, 1);
    line.set(10, 0, white);
    const PixelMask far = awayFrom(darkPixels(line, 40), litPixels(line, 60), 6);
    EXPECT_EQ(far.count(), 30u - 13u); // x 4..16 lie within 6 of x 10
    EXPECT_TRUE(far.at(3, 0));
    EXPECT_FALSE(far.at(4, 0));

    const PixelMask all = maskOf(Image(10, 10, white));
    EXPECT_EQ(inside(all, {2, 3, 4, 5}).count(), 20u);
    EXPECT_EQ(outside(all, {8, 8, 10, 10}).count(), 96u); // clipped to the picture

    Image a(4, 1);
    a.set(0, 0, Rgb{30, 60, 90});
    a.set(1, 0, white);
    Image b = a;
    b.set(0, 0, Rgb{30, 70, 90});
    EXPECT_EQ(changedPixels(a, b, 9).count(), 1u);
    EXPECT_EQ(changedPixels(a, b, 10).count(), 0u);
    EXPECT_THROW(changedPixels(a, Image(3, 1), 0), std::invalid_argument);
    EXPECT_DOUBLE_EQ(meanDifference(a, b, changedPixels(a, b, 0)), 10.0);
    EXPECT_DOUBLE_EQ(brightness(a, Rect{0, 0, 2, 1}), (60.0 + 255.0) / 2.0);
    EXPECT_EQ(palePixels(a, 250).count(), 1u);
    EXPECT_EQ(greenPixels(Image(2, 1, Rgb{10, 200, 10}), 40).count(), 2u);
    EXPECT_EQ(greenPixels(Image(2, 1, Rgb{180, 200, 10}), 40).count(), 0u);
    EXPECT_EQ(darkPixels(without(Image(4, 4, white), Rect{2, 2, 5, 5}), 0).count(), 4u);
}

TEST(EffectsMeasures, DetailIsZeroWhenFlatAndFullOnAChecker)
{
    Image checker(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if ((x + y) % 2 == 0)
                checker.set(x, y, white);
    EXPECT_EQ(detail(Image(8, 8, Rgb{120, 120, 120}), Rect{0, 0, 8, 8}), 0.0);
    EXPECT_EQ(detail(checker, Rect{0, 0, 8, 8}), 255.0);
    EXPECT_EQ(detail(checker, maskOf(Image(8, 8, white))), 255.0);
}

} // namespace
