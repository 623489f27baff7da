// The picture helpers that every screenshot check goes through: a picture
// read upside down, or a comparison that lets everything pass, would make the
// end-to-end tests blind.
#include "support/Image.h"
#include "support/TempDir.h"

#include <FreeImage.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

const Rgb black{0, 0, 0};
const Rgb white{255, 255, 255};
const Rgb red{255, 0, 0};
const Rgb green{0, 255, 0};
const Rgb blue{0, 0, 255};

struct Unload {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, Unload>;

// FreeImage keeps scanline 0 at the bottom; the helpers put row 0 at the top.
TEST(ImageTest, LoadAndSaveKeepTheTopRowFirst)
{
    const TempDir dir("image-test");
    for (unsigned bits : {24u, 32u}) {
        SCOPED_TRACE(std::to_string(bits) + " bits per pixel");
        Bitmap bitmap(FreeImage_Allocate(5, 3, static_cast<int>(bits)));
        auto put = [&](int x, int line, Rgb c) {
            BYTE* p = FreeImage_GetScanLine(bitmap.get(), line) + bits / 8 * x;
            p[FI_RGBA_RED] = c.r;
            p[FI_RGBA_GREEN] = c.g;
            p[FI_RGBA_BLUE] = c.b;
            if (bits == 32)
                p[FI_RGBA_ALPHA] = 255;
        };
        for (int line = 0; line < 3; ++line)
            for (int x = 0; x < 5; ++x)
                put(x, line, Rgb{128, 128, 128});
        put(0, 2, red);   // top-left
        put(4, 2, green); // top-right
        put(0, 0, blue);  // bottom-left
        const std::string path = (dir.path() / ("corners" + std::to_string(bits) + ".png")).string();
        ASSERT_TRUE(FreeImage_Save(FIF_PNG, bitmap.get(), path.c_str(), 0));

        const Image image = loadImage(path);
        ASSERT_EQ(image.width(), 5);
        ASSERT_EQ(image.height(), 3);
        EXPECT_EQ(image.at(0, 0), red);
        EXPECT_EQ(image.at(4, 0), green);
        EXPECT_EQ(image.at(0, 2), blue);
        EXPECT_EQ(image.at(4, 2), (Rgb{128, 128, 128}));

        const std::string copy = (dir.path() / "copy.png").string();
        saveImage(image, copy);
        const Bitmap saved(FreeImage_Load(FIF_PNG, copy.c_str(), 0));
        ASSERT_TRUE(saved);
        EXPECT_EQ(FreeImage_GetScanLine(saved.get(), 2)[FI_RGBA_RED], 255); // the top row is the last scanline
        EXPECT_EQ(loadImage(copy).pixels(), image.pixels());
    }
    EXPECT_THROW(loadImage((dir.path() / "missing.png").string()), std::runtime_error);
    EXPECT_THROW(Image(4, 2).at(4, 0), std::out_of_range);
    EXPECT_THROW(Image(4, 2).at(0, -1), std::out_of_range);
}

TEST(ImageTest, MeanColorAndDistinctColors)
{
    // Left half red, right half blue, one white pixel in the bottom-right corner.
    Image image(4, 4, red);
    image.fill(Rect{2, 0, 2, 4}, blue);
    image.set(3, 3, white);
    EXPECT_LT(meanColor(image, Rect{0, 0, 2, 4}).distanceTo(red), 1e-9);
    const MeanColor corner = meanColor(image, Rect{2, 2, 2, 2}); // three blue, one white
    EXPECT_DOUBLE_EQ(corner.r, 255.0 / 4);
    EXPECT_DOUBLE_EQ(corner.g, 255.0 / 4);
    EXPECT_DOUBLE_EQ(corner.b, 255.0);
    EXPECT_DOUBLE_EQ(meanColor(image).r, (8 * 255.0 + 255.0) / 16);
    for (const Rect& outside : {Rect{0, 0, 0, 1}, Rect{-1, 0, 2, 2}, Rect{3, 0, 2, 1}, Rect{0, 3, 1, 2}})
        EXPECT_THROW(meanColor(image, outside), std::out_of_range);

    EXPECT_EQ(distinctColors(Image(8, 8, black)), 1u);
    EXPECT_EQ(distinctColors(image), 3u);
    EXPECT_EQ(distinctColors(image, 2), 2u);
}

TEST(ImageTest, CompareCountsPixelsBeyondTheTolerance)
{
    const struct {
        const char* name;
        Rgb changed; // the colour pixel (1, 1) of a grey 10x10 picture is given
        int tolerance;
        std::size_t differing;
        int maxDifference;
    } rows[] = {
        {"identical", {100, 100, 100}, 0, 0, 0},
        {"within tolerance", {105, 100, 97}, 5, 0, 5},
        {"one over tolerance", {106, 100, 100}, 5, 1, 6},
        {"any channel counts", {100, 100, 90}, 5, 1, 10},
        {"largest channel decides", {255, 0, 100}, 154, 1, 155},
    };
    const Image expected(10, 10, Rgb{100, 100, 100});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Image actual = expected;
        actual.set(1, 1, row.changed);
        const ImageDifference difference = compareImages(actual, expected, row.tolerance);
        EXPECT_TRUE(difference.sameSize);
        EXPECT_EQ(difference.differingPixels, row.differing);
        EXPECT_DOUBLE_EQ(difference.differingShare, row.differing / 100.0);
        EXPECT_EQ(difference.maxDifference, row.maxDifference);
    }
    EXPECT_FALSE(compareImages(Image(4, 3), Image(3, 4), 255).sameSize);
    EXPECT_DOUBLE_EQ(compareImages(Image(4, 3), Image(3, 4), 255).differingShare, 1.0);
}

TEST(ImageTest, MatchAllowsAShareOfDifferingPixels)
{
    // 4 of 100 pixels are off by 50.
    const Image expected(10, 10, black);
    Image actual = expected;
    actual.fill(Rect{0, 0, 2, 2}, Rgb{50, 50, 50});
    EXPECT_TRUE(imagesMatch(actual, expected, 50, 0.0));
    EXPECT_TRUE(imagesMatch(actual, expected, 49, 0.04));
    const ::testing::AssertionResult tooMany = imagesMatch(actual, expected, 49, 0.03);
    EXPECT_FALSE(tooMany);
    EXPECT_THAT(tooMany.message(), ::testing::HasSubstr("4 pixels (4.00%) differ, by at most 50"));
    EXPECT_FALSE(imagesMatch(Image(4, 3), Image(3, 4), 255, 1.0));

    const Image mask = differenceMask(actual, expected, 49);
    EXPECT_EQ(mask.at(1, 1), white);
    EXPECT_EQ(mask.at(2, 2), black);
    EXPECT_THROW(differenceMask(actual, Image(2, 3), 0), std::invalid_argument);
}

} // namespace
