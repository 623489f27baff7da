#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// 8-bit RGB pictures for checking screenshots: row 0 is the top of the
// picture, x grows to the right, as on the screen (FreeImage keeps rows bottom
// up; loading and saving turn them round).

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
    friend bool operator!=(Rgb a, Rgb b) { return !(a == b); }
};
std::ostream& operator<<(std::ostream& out, Rgb color);

// A mean color, each channel 0..255.
struct MeanColor {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;

    // Largest per-channel distance to `color`.
    double distanceTo(Rgb color) const;
};
std::ostream& operator<<(std::ostream& out, const MeanColor& color);

struct Rect {
    int x = 0;
    int y = 0; // from the top
    int width = 0;
    int height = 0;
};

class Image {
public:
    Image() = default;
    Image(int width, int height, Rgb fill = {});

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return pixels_.empty(); }

    // Throws std::out_of_range outside the picture.
    Rgb at(int x, int y) const;
    void set(int x, int y, Rgb color);
    void fill(const Rect& rect, Rgb color);

    const std::vector<Rgb>& pixels() const { return pixels_; }

private:
    std::size_t index(int x, int y) const;

    int width_ = 0;
    int height_ = 0;
    std::vector<Rgb> pixels_;
};

// Any picture FreeImage reads (PNG from screenshots, above all); alpha is
// dropped. Throws std::runtime_error when the file cannot be read.
Image loadImage(const std::string& path);
// Writes a PNG; throws std::runtime_error on failure.
void saveImage(const Image& image, const std::string& path);

// Mean color of `rect`, which must lie inside the picture and not be empty.
MeanColor meanColor(const Image& image, const Rect& rect);
MeanColor meanColor(const Image& image);

// How many different colors the picture holds, counting no further than
// `limit`: a blank or single-color screen gives 1.
std::size_t distinctColors(const Image& image, std::size_t limit = 1024);

struct ImageDifference {
    bool sameSize = false;
    std::size_t differingPixels = 0; // pixels with some channel off by more than the tolerance
    double differingShare = 0.0;     // of all pixels, 0..1
    int maxDifference = 0;           // largest channel difference anywhere, 0..255

    std::string describe() const;
};

// Compares two pictures pixel by pixel; a pixel differs when any channel is
// off by more than `channelTolerance`. Pictures of different sizes differ
// entirely.
ImageDifference compareImages(const Image& actual, const Image& expected, int channelTolerance);

// For EXPECT_TRUE: the pictures match when at most `allowedShare` (0..1) of
// the pixels differ by more than `channelTolerance`.
::testing::AssertionResult imagesMatch(const Image& actual, const Image& expected, int channelTolerance,
                                       double allowedShare);

// White where the pictures differ beyond the tolerance, black elsewhere: for
// looking at a failed comparison. Both must have the same size.
Image differenceMask(const Image& actual, const Image& expected, int channelTolerance);
