#include "support/Image.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <unordered_set>

namespace {

struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using BitmapPtr = std::unique_ptr<FIBITMAP, BitmapDeleter>;

int channelDifference(Rgb a, Rgb b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

} // namespace

std::ostream& operator<<(std::ostream& out, Rgb color)
{
    return out << "rgb(" << int(color.r) << ", " << int(color.g) << ", " << int(color.b) << ")";
}

double MeanColor::distanceTo(Rgb color) const
{
    return std::max({std::abs(r - color.r), std::abs(g - color.g), std::abs(b - color.b)});
}

std::ostream& operator<<(std::ostream& out, const MeanColor& color)
{
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << "mean(" << color.r << ", " << color.g << ", " << color.b << ")";
    return out << text.str();
}

Image::Image(int width, int height, Rgb fill)
    : width_(width), height_(height),
      pixels_(static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0)), fill)
{
    if (width < 0 || height < 0)
        throw std::invalid_argument("Image: negative size");
}

std::size_t Image::index(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        std::ostringstream text;
        text << "Image: (" << x << ", " << y << ") is outside " << width_ << "x" << height_;
        throw std::out_of_range(text.str());
    }
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
}

Rgb Image::at(int x, int y) const
{
    return pixels_[index(x, y)];
}

void Image::set(int x, int y, Rgb color)
{
    pixels_[index(x, y)] = color;
}

void Image::fill(const Rect& rect, Rgb color)
{
    for (int y = rect.y; y < rect.y + rect.height; ++y)
        for (int x = rect.x; x < rect.x + rect.width; ++x)
            set(x, y, color);
}

Image loadImage(const std::string& path)
{
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    if (format == FIF_UNKNOWN)
        format = FreeImage_GetFIFFromFilename(path.c_str());
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format))
        throw std::runtime_error("loadImage: unknown picture format: " + path);
    BitmapPtr loaded(FreeImage_Load(format, path.c_str(), 0));
    if (!loaded)
        throw std::runtime_error("loadImage: cannot read " + path);
    BitmapPtr rgb(FreeImage_ConvertTo24Bits(loaded.get()));
    if (!rgb)
        throw std::runtime_error("loadImage: cannot convert " + path + " to 24-bit RGB");

    const int width = static_cast<int>(FreeImage_GetWidth(rgb.get()));
    const int height = static_cast<int>(FreeImage_GetHeight(rgb.get()));
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        // Scanline 0 is the bottom row.
        const BYTE* row = FreeImage_GetScanLine(rgb.get(), height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const BYTE* p = row + 3 * x;
            image.set(x, y, Rgb{p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE]});
        }
    }
    return image;
}

void saveImage(const Image& image, const std::string& path)
{
    BitmapPtr bitmap(FreeImage_Allocate(image.width(), image.height(), 24));
    if (!bitmap)
        throw std::runtime_error("saveImage: cannot allocate a bitmap for " + path);
    for (int y = 0; y < image.height(); ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap.get(), image.height() - 1 - y);
        for (int x = 0; x < image.width(); ++x) {
            const Rgb color = image.at(x, y);
            BYTE* p = row + 3 * x;
            p[FI_RGBA_RED] = color.r;
            p[FI_RGBA_GREEN] = color.g;
            p[FI_RGBA_BLUE] = color.b;
        }
    }
    if (!FreeImage_Save(FIF_PNG, bitmap.get(), path.c_str(), 0))
        throw std::runtime_error("saveImage: cannot write " + path);
}

MeanColor meanColor(const Image& image, const Rect& rect)
{
    if (rect.width <= 0 || rect.height <= 0 || rect.x < 0 || rect.y < 0 || rect.x + rect.width > image.width() ||
        rect.y + rect.height > image.height()) {
        std::ostringstream text;
        text << "meanColor: rectangle " << rect.width << "x" << rect.height << " at (" << rect.x << ", " << rect.y
             << ") is empty or not inside " << image.width() << "x" << image.height();
        throw std::out_of_range(text.str());
    }
    double r = 0.0, g = 0.0, b = 0.0;
    for (int y = rect.y; y < rect.y + rect.height; ++y)
        for (int x = rect.x; x < rect.x + rect.width; ++x) {
            const Rgb color = image.at(x, y);
            r += color.r;
            g += color.g;
            b += color.b;
        }
    const double count = static_cast<double>(rect.width) * rect.height;
    return {r / count, g / count, b / count};
}

MeanColor meanColor(const Image& image)
{
    return meanColor(image, Rect{0, 0, image.width(), image.height()});
}

std::size_t distinctColors(const Image& image, std::size_t limit)
{
    std::unordered_set<std::uint32_t> seen;
    for (const Rgb color : image.pixels()) {
        seen.insert(std::uint32_t(color.r) << 16 | std::uint32_t(color.g) << 8 | color.b);
        if (seen.size() >= limit)
            break;
    }
    return seen.size();
}

std::string ImageDifference::describe() const
{
    if (!sameSize)
        return "the pictures differ in size";
    std::ostringstream text;
    text << differingPixels << " pixels (" << std::fixed << std::setprecision(2) << differingShare * 100.0
         << "%) differ, by at most " << maxDifference;
    return text.str();
}

ImageDifference compareImages(const Image& actual, const Image& expected, int channelTolerance)
{
    ImageDifference result;
    if (actual.width() != expected.width() || actual.height() != expected.height()) {
        result.differingPixels = std::max(actual.pixels().size(), expected.pixels().size());
        result.differingShare = 1.0;
        result.maxDifference = 255;
        return result;
    }
    result.sameSize = true;
    const std::vector<Rgb>& a = actual.pixels();
    const std::vector<Rgb>& b = expected.pixels();
    for (std::size_t i = 0; i < a.size(); ++i) {
        const int difference = channelDifference(a[i], b[i]);
        result.maxDifference = std::max(result.maxDifference, difference);
        if (difference > channelTolerance)
            ++result.differingPixels;
    }
    result.differingShare = a.empty() ? 0.0 : static_cast<double>(result.differingPixels) / a.size();
    return result;
}

::testing::AssertionResult imagesMatch(const Image& actual, const Image& expected, int channelTolerance,
                                       double allowedShare)
{
    const ImageDifference difference = compareImages(actual, expected, channelTolerance);
    if (difference.sameSize && difference.differingShare <= allowedShare)
        return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    if (!difference.sameSize)
        return failure << "the pictures differ in size: " << actual.width() << "x" << actual.height() << " against "
                       << expected.width() << "x" << expected.height();
    return failure << difference.describe() << "; allowed: " << allowedShare * 100.0
                   << "% beyond a channel tolerance of " << channelTolerance;
}

Image differenceMask(const Image& actual, const Image& expected, int channelTolerance)
{
    if (actual.width() != expected.width() || actual.height() != expected.height())
        throw std::invalid_argument("differenceMask: the pictures differ in size");
    Image mask(actual.width(), actual.height());
    const Rgb white{255, 255, 255};
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (channelDifference(actual.at(x, y), expected.at(x, y)) > channelTolerance)
                mask.set(x, y, white);
    return mask;
}
