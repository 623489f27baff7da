#include "support/Image.h"
#include "support/TempDir.h"

#include <FreeImage.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
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

// A picture written with FreeImage directly, whose scanline 0 is the bottom
// row: red top-left pixel, green top-right, blue bottom-left, the rest grey.
std::string writeCornerPicture(const TempDir& dir, unsigned bitsPerPixel)
{
    const int width = 5, height = 3;
    std::unique_ptr<FIBITMAP, Unload> bitmap(FreeImage_Allocate(width, height, static_cast<int>(bitsPerPixel)));
    const unsigned bytes = bitsPerPixel / 8;
    for (int line = 0; line < height; ++line) {
        BYTE* row = FreeImage_GetScanLine(bitmap.get(), line);
        for (int x = 0; x < width; ++x) {
            BYTE* p = row + bytes * x;
            p[FI_RGBA_RED] = p[FI_RGBA_GREEN] = p[FI_RGBA_BLUE] = 128;
            if (bytes == 4)
                p[FI_RGBA_ALPHA] = 255;
        }
    }
    auto put = [&](int x, int line, Rgb c) {
        BYTE* p = FreeImage_GetScanLine(bitmap.get(), line) + bytes * x;
        p[FI_RGBA_RED] = c.r;
        p[FI_RGBA_GREEN] = c.g;
        p[FI_RGBA_BLUE] = c.b;
    };
    put(0, height - 1, red);
    put(width - 1, height - 1, green);
    put(0, 0, blue);
    const std::string path = (dir.path() / ("corners" + std::to_string(bitsPerPixel) + ".png")).string();
    if (!FreeImage_Save(FIF_PNG, bitmap.get(), path.c_str(), 0))
        throw std::runtime_error("cannot write " + path);
    return path;
}

TEST(ImageTest, OriginIsTopLeftAndOutsideThrows)
{
    Image image(4, 2, white);
    image.set(3, 0, red);
    image.set(0, 1, blue);
    EXPECT_EQ(image.at(3, 0), red);
    EXPECT_EQ(image.at(0, 1), blue);
    EXPECT_EQ(image.pixels()[3], red);     // the top row comes first in memory
    EXPECT_EQ(image.pixels()[4], blue);
    EXPECT_THROW(image.at(4, 0), std::out_of_range);
    EXPECT_THROW(image.at(0, 2), std::out_of_range);
    EXPECT_THROW(image.at(-1, 0), std::out_of_range);
    EXPECT_THROW(image.set(0, -1, red), std::out_of_range);
}

TEST(ImageTest, LoadTurnsBottomUpScanlinesToTopRowFirst)
{
    const TempDir dir("image-test");
    for (unsigned bits : {24u, 32u}) {
        SCOPED_TRACE(std::to_string(bits) + " bits per pixel");
        const Image image = loadImage(writeCornerPicture(dir, bits));
        ASSERT_EQ(image.width(), 5);
        ASSERT_EQ(image.height(), 3);
        EXPECT_EQ(image.at(0, 0), red);
        EXPECT_EQ(image.at(4, 0), green);
        EXPECT_EQ(image.at(0, 2), blue);
        EXPECT_EQ(image.at(4, 2), (Rgb{128, 128, 128}));
    }
}

TEST(ImageTest, SaveWritesTopRowAsTheLastScanline)
{
    const TempDir dir("image-test");
    Image image(3, 2, black);
    image.set(0, 0, red);   // top-left
    image.set(2, 1, green); // bottom-right
    const std::string path = (dir.path() / "saved.png").string();
    saveImage(image, path);

    std::unique_ptr<FIBITMAP, Unload> bitmap(FreeImage_Load(FIF_PNG, path.c_str(), 0));
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(FreeImage_GetBPP(bitmap.get()), 24u);
    const BYTE* top = FreeImage_GetScanLine(bitmap.get(), 1);
    const BYTE* bottom = FreeImage_GetScanLine(bitmap.get(), 0);
    EXPECT_EQ(top[FI_RGBA_RED], 255);
    EXPECT_EQ(top[FI_RGBA_GREEN], 0);
    EXPECT_EQ(bottom[3 * 2 + FI_RGBA_GREEN], 255);
    EXPECT_EQ(bottom[3 * 2 + FI_RGBA_RED], 0);

    const Image back = loadImage(path);
    EXPECT_EQ(back.pixels(), image.pixels());
}

TEST(ImageTest, LoadFailsLoudly)
{
    const TempDir dir("image-test");
    EXPECT_THROW(loadImage((dir.path() / "missing.png").string()), std::runtime_error);
    const std::string notAPicture = (dir.path() / "text.png").string();
    FILE* file = std::fopen(notAPicture.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("not a picture", file);
    std::fclose(file);
    EXPECT_THROW(loadImage(notAPicture), std::runtime_error);
}

TEST(ImageTest, MeanColorOfRectangles)
{
    // Left half red, right half blue, one white pixel in the bottom-right corner.
    Image image(4, 4, red);
    image.fill(Rect{2, 0, 2, 4}, blue);
    image.set(3, 3, white);

    EXPECT_LT(meanColor(image, Rect{0, 0, 2, 4}).distanceTo(red), 1e-9);
    EXPECT_LT(meanColor(image, Rect{2, 0, 2, 3}).distanceTo(blue), 1e-9);
    const MeanColor straddling = meanColor(image, Rect{1, 0, 2, 1});
    EXPECT_DOUBLE_EQ(straddling.r, 127.5);
    EXPECT_DOUBLE_EQ(straddling.g, 0.0);
    EXPECT_DOUBLE_EQ(straddling.b, 127.5);
    const MeanColor corner = meanColor(image, Rect{2, 2, 2, 2}); // three blue, one white
    EXPECT_DOUBLE_EQ(corner.r, 255.0 / 4);
    EXPECT_DOUBLE_EQ(corner.g, 255.0 / 4);
    EXPECT_DOUBLE_EQ(corner.b, 255.0);
    const MeanColor whole = meanColor(image);
    EXPECT_DOUBLE_EQ(whole.r, (8 * 255.0 + 255.0) / 16);
}

TEST(ImageTest, MeanColorRejectsRectanglesNotInside)
{
    const Image image(4, 3);
    const Rect bad[] = {{0, 0, 0, 1}, {0, 0, 1, 0}, {-1, 0, 2, 2}, {0, -1, 2, 2}, {3, 0, 2, 1}, {0, 2, 1, 2}};
    for (const Rect& rect : bad) {
        SCOPED_TRACE(::testing::Message() << rect.width << "x" << rect.height << " at " << rect.x << "," << rect.y);
        EXPECT_THROW(meanColor(image, rect), std::out_of_range);
    }
    EXPECT_NO_THROW(meanColor(image, Rect{0, 0, 4, 3}));
}

TEST(ImageTest, DistinctColors)
{
    EXPECT_EQ(distinctColors(Image(8, 8, black)), 1u);
    Image image(8, 8, black);
    image.set(7, 7, red);
    EXPECT_EQ(distinctColors(image), 2u);
    for (int i = 0; i < 8; ++i)
        image.set(i, 0, Rgb{static_cast<std::uint8_t>(10 * i), 1, 2});
    EXPECT_EQ(distinctColors(image), 10u);
    EXPECT_EQ(distinctColors(image, 4), 4u);
}

struct CompareRow {
    const char* name;
    Rgb changed;            // the color pixel (1, 1) of a grey 10x10 picture is given
    int tolerance;
    std::size_t differing;  // expected pixels beyond the tolerance
    int maxDifference;
};

TEST(ImageTest, CompareCountsPixelsBeyondTheTolerance)
{
    const Rgb grey{100, 100, 100};
    const CompareRow rows[] = {
        {"identical", grey, 0, 0, 0},
        {"within tolerance", Rgb{105, 100, 97}, 5, 0, 5},
        {"one over tolerance", Rgb{106, 100, 100}, 5, 1, 6},
        {"any channel counts", Rgb{100, 100, 90}, 5, 1, 10},
        {"tolerance zero", Rgb{101, 100, 100}, 0, 1, 1},
        {"largest channel decides", Rgb{255, 0, 100}, 154, 1, 155},
        {"largest channel within", Rgb{255, 0, 100}, 155, 0, 155},
    };
    const Image expected(10, 10, grey);
    for (const CompareRow& row : rows) {
        SCOPED_TRACE(row.name);
        Image actual = expected;
        actual.set(1, 1, row.changed);
        const ImageDifference difference = compareImages(actual, expected, row.tolerance);
        EXPECT_TRUE(difference.sameSize);
        EXPECT_EQ(difference.differingPixels, row.differing);
        EXPECT_DOUBLE_EQ(difference.differingShare, row.differing / 100.0);
        EXPECT_EQ(difference.maxDifference, row.maxDifference);
    }
}

TEST(ImageTest, CompareOfDifferentSizesDiffersEntirely)
{
    const ImageDifference wider = compareImages(Image(4, 3), Image(3, 4), 255);
    EXPECT_FALSE(wider.sameSize);
    EXPECT_DOUBLE_EQ(wider.differingShare, 1.0);
    EXPECT_FALSE(imagesMatch(Image(4, 3), Image(3, 4), 255, 1.0));
    EXPECT_THAT(imagesMatch(Image(4, 3), Image(3, 4), 255, 1.0).message(), ::testing::HasSubstr("4x3 against 3x4"));
}

TEST(ImageTest, MatchAllowsAShareOfDifferingPixels)
{
    // 4 of 100 pixels are off by 50.
    const Image expected(10, 10, black);
    Image actual = expected;
    actual.fill(Rect{0, 0, 2, 2}, Rgb{50, 50, 50});

    EXPECT_TRUE(imagesMatch(actual, expected, 50, 0.0));   // all within tolerance
    EXPECT_TRUE(imagesMatch(actual, expected, 49, 0.04));  // exactly the allowed share
    const ::testing::AssertionResult tooMany = imagesMatch(actual, expected, 49, 0.03);
    EXPECT_FALSE(tooMany);
    EXPECT_THAT(tooMany.message(), ::testing::HasSubstr("4 pixels (4.00%) differ, by at most 50"));
}

TEST(ImageTest, DifferenceMaskMarksDifferingPixels)
{
    const Image expected(3, 2, black);
    Image actual = expected;
    actual.set(2, 1, Rgb{0, 9, 0});
    actual.set(0, 0, Rgb{0, 3, 0});
    const Image mask = differenceMask(actual, expected, 5);
    EXPECT_EQ(mask.at(2, 1), white);
    EXPECT_EQ(mask.at(0, 0), black);
    EXPECT_EQ(distinctColors(mask), 2u);
    EXPECT_EQ(compareImages(mask, Image(3, 2, black), 0).differingPixels, 1u);
    EXPECT_THROW(differenceMask(actual, Image(2, 3), 0), std::invalid_argument);
}

} // namespace
