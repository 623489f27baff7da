#include "EffectsTest.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

// Far more than any frame takes, even with every core busy.
constexpr double frameTimeout = 30.0;
// A latched key is seen on the first frame begun after it went down: three
// frame lines guarantee one whole frame that polled it and was drawn.
constexpr int framesToSeeKey = 3;

int brightest(Rgb c) { return std::max({c.r, c.g, c.b}); }

} // namespace

void EffectsTest::startPlaying()
{
    startGame(screenWidth, screenHeight);
    const std::size_t mark = outputMark();
    tap("Return");
    ASSERT_TRUE(waitForOutput("RELOAD", frameTimeout, mark));
    // The player and the blocks come to rest on the floor.
    waitFrames(8);
}

void EffectsTest::waitFrames(int frames)
{
    std::size_t from = outputMark();
    for (int i = 0; i < frames; ++i) {
        const std::optional<std::size_t> at = game().waitForOutput("frametime: ", frameTimeout, from);
        if (!at)
            throw std::runtime_error("EffectsTest: no new frame within " + std::to_string(frameTimeout) +
                                     " s; standard output ends with:\n" + outputTail());
        from = *at;
    }
}

void EffectsTest::holdFrames(const std::vector<std::string>& keys, int frames)
{
    const auto start = std::chrono::steady_clock::now();
    keyDown(keys);
    try {
        waitFrames(frames);
    } catch (...) {
        keyUp(keys);
        throw;
    }
    std::this_thread::sleep_until(start + std::chrono::duration<double>(keyHold));
    keyUp(keys);
    waitFrames(framesToSeeKey);
}

void EffectsTest::tap(const std::string& key)
{
    holdFrames({key}, framesToSeeKey);
}

Image EffectsTest::view(const std::string& name)
{
    waitFrames(2);
    return screenshot(name);
}

Image without(const Image& image, Rect rect)
{
    Image copy = image;
    rect.width = std::min(rect.width, image.width() - rect.x);
    rect.height = std::min(rect.height, image.height() - rect.y);
    copy.fill(rect, Rgb{});
    return copy;
}

std::size_t PixelMask::count() const
{
    return static_cast<std::size_t>(std::count(set.begin(), set.end(), 1));
}

double PixelMask::share() const
{
    return set.empty() ? 0.0 : static_cast<double>(count()) / static_cast<double>(set.size());
}

namespace {

// The pixels of `image` (with the same pixel of `other`) for which `test` holds.
template <class Test> PixelMask pixelsWhere(const Image& image, Test test, const Image* other = nullptr)
{
    if (other && (other->width() != image.width() || other->height() != image.height()))
        throw std::invalid_argument("pixelsWhere: pictures of different sizes");
    PixelMask mask{image.width(), image.height(), std::vector<char>(image.pixels().size(), 0)};
    for (std::size_t i = 0; i < mask.set.size(); ++i)
        mask.set[i] = test(image.pixels()[i], other ? other->pixels()[i] : Rgb{});
    return mask;
}

int largestChannelDifference(Rgb a, Rgb b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

double mean(Rgb c) { return (c.r + c.g + c.b) / 3.0; }

// The pixels inside `rect`, clipped to the picture.
PixelMask maskOf(const Image& image, const Rect& rect)
{
    return inside(pixelsWhere(image, [](Rgb, Rgb) { return true; }), rect);
}

} // namespace

PixelMask darkPixels(const Image& image, int limit)
{
    return pixelsWhere(image, [=](Rgb c, Rgb) { return brightest(c) <= limit; });
}

PixelMask litPixels(const Image& image, int limit)
{
    return pixelsWhere(image, [=](Rgb c, Rgb) { return brightest(c) > limit; });
}

PixelMask palePixels(const Image& image, int limit)
{
    return pixelsWhere(image, [=](Rgb c, Rgb) { return std::min({c.r, c.g, c.b}) >= limit; });
}

PixelMask greenPixels(const Image& image, int margin)
{
    return pixelsWhere(image, [=](Rgb c, Rgb) { return c.g > c.r + margin && c.g > c.b + margin; });
}

PixelMask changedPixels(const Image& before, const Image& after, int tolerance)
{
    return pixelsWhere(before, [=](Rgb a, Rgb b) { return largestChannelDifference(a, b) > tolerance; }, &after);
}

PixelMask outside(PixelMask mask, const Rect& rect)
{
    for (int y = std::max(rect.y, 0); y < std::min(rect.y + rect.height, mask.height); ++y)
        for (int x = std::max(rect.x, 0); x < std::min(rect.x + rect.width, mask.width); ++x)
            mask.set[static_cast<std::size_t>(y) * mask.width + x] = 0;
    return mask;
}

PixelMask inside(const PixelMask& mask, const Rect& rect)
{
    PixelMask result = mask;
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            if (x < rect.x || y < rect.y || x >= rect.x + rect.width || y >= rect.y + rect.height)
                result.set[static_cast<std::size_t>(y) * mask.width + x] = 0;
    return result;
}

PixelMask awayFrom(const PixelMask& mask, const PixelMask& other, int reach)
{
    PixelMask result = mask;
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            for (int dy = -reach; dy <= reach && result.at(x, y); ++dy)
                for (int dx = -reach; dx <= reach; ++dx) {
                    const int ox = x + dx, oy = y + dy;
                    if (ox >= 0 && oy >= 0 && ox < other.width && oy < other.height && other.at(ox, oy))
                        result.set[static_cast<std::size_t>(y) * result.width + x] = 0;
                }
    return result;
}

double thinShare(const PixelMask& mask, int reach)
{
    auto clearWithin = [&](int x, int y, int dx, int dy) {
        for (int step = 1; step <= reach; ++step) {
            const int cx = x + dx * step, cy = y + dy * step;
            if (cx >= 0 && cy >= 0 && cx < mask.width && cy < mask.height && !mask.at(cx, cy))
                return true;
        }
        return false;
    };
    std::size_t set = 0, thin = 0;
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x) {
            if (!mask.at(x, y))
                continue;
            ++set;
            if ((clearWithin(x, y, -1, 0) && clearWithin(x, y, 1, 0)) ||
                (clearWithin(x, y, 0, -1) && clearWithin(x, y, 0, 1)))
                ++thin;
        }
    return set == 0 ? 0.0 : static_cast<double>(thin) / static_cast<double>(set);
}

double brightness(const Image& image, const Rect& rect)
{
    return brightness(image, maskOf(image, rect));
}

double brightness(const Image& image, const PixelMask& where)
{
    double sum = 0.0;
    std::size_t count = 0;
    for (std::size_t i = 0; i < where.set.size(); ++i)
        if (where.set[i]) {
            sum += mean(image.pixels()[i]);
            ++count;
        }
    return count == 0 ? 0.0 : sum / static_cast<double>(count);
}

double detail(const Image& image, const Rect& rect)
{
    // Each pixel with its right-hand neighbour, both inside the rectangle.
    return detail(image, maskOf(image, {rect.x, rect.y, rect.width - 1, rect.height}));
}

double detail(const Image& image, const PixelMask& where)
{
    double sum = 0.0;
    std::size_t count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x + 1 < image.width(); ++x)
            if (where.at(x, y)) {
                sum += std::abs(mean(image.at(x, y)) - mean(image.at(x + 1, y)));
                ++count;
            }
    return count == 0 ? 0.0 : sum / static_cast<double>(count);
}

double meanDifference(const Image& a, const Image& b, const PixelMask& where)
{
    double sum = 0.0;
    std::size_t count = 0;
    for (std::size_t i = 0; i < where.set.size(); ++i)
        if (where.set[i]) {
            sum += largestChannelDifference(a.pixels()[i], b.pixels()[i]);
            ++count;
        }
    return count == 0 ? 0.0 : sum / static_cast<double>(count);
}
