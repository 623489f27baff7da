#include "PlayTest.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Per channel 0..255, as doubles for the averaging.
struct Level {
    int width = 0;
    int height = 0;
    std::vector<double> rgb;

    double at(int x, int y, int c) const
    {
        // GL_REPEAT, which the menu pictures keep.
        x = ((x % width) + width) % width;
        y = ((y % height) + height) % height;
        return rgb[(static_cast<std::size_t>(y) * width + x) * 3 + c];
    }
};

Level levelOf(const Image& picture)
{
    Level level{picture.width(), picture.height(), {}};
    level.rgb.reserve(picture.pixels().size() * 3);
    for (Rgb p : picture.pixels())
        level.rgb.insert(level.rgb.end(), {double(p.r), double(p.g), double(p.b)});
    return level;
}

// glGenerateMipmap's next level: each texel the mean of a 2 × 2 block (the
// last row or column repeats on odd sizes), rounded to 8 bits as the texture
// stores it.
Level halved(const Level& level)
{
    Level next{std::max(1, level.width / 2), std::max(1, level.height / 2), {}};
    next.rgb.resize(static_cast<std::size_t>(next.width) * next.height * 3);
    for (int y = 0; y < next.height; ++y) {
        for (int x = 0; x < next.width; ++x) {
            const int x0 = std::min(2 * x, level.width - 1), x1 = std::min(2 * x + 1, level.width - 1);
            const int y0 = std::min(2 * y, level.height - 1), y1 = std::min(2 * y + 1, level.height - 1);
            for (int c = 0; c < 3; ++c) {
                const double sum = level.at(x0, y0, c) + level.at(x1, y0, c) + level.at(x0, y1, c) + level.at(x1, y1, c);
                next.rgb[(static_cast<std::size_t>(y) * next.width + x) * 3 + c] = std::round(sum / 4.0);
            }
        }
    }
    return next;
}

// Bilinear lookup at texture coordinates (u, v) in 0..1, v = 0 at the top row
// (the picture's rows and the screen's rows run the same way).
void bilinear(const Level& level, double u, double v, double out[3])
{
    const double x = u * level.width - 0.5;
    const double y = v * level.height - 0.5;
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    for (int c = 0; c < 3; ++c) {
        const double top = level.at(x0, y0, c) * (1 - fx) + level.at(x0 + 1, y0, c) * fx;
        const double bottom = level.at(x0, y0 + 1, c) * (1 - fx) + level.at(x0 + 1, y0 + 1, c) * fx;
        out[c] = top * (1 - fy) + bottom * fy;
    }
}

Rgb toRgb(const double c[3])
{
    auto channel = [](double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); };
    return {channel(c[0]), channel(c[1]), channel(c[2])};
}

} // namespace

Image menuPictureOnScreen(const std::string& file, int width, int height)
{
    const Image picture = loadImage(std::string(QUARRYSTACK_SOURCE_DIR) + "/Textures/menu/" + file);
    std::vector<Level> levels{levelOf(picture)};
    while (levels.back().width > 1 || levels.back().height > 1)
        levels.push_back(halved(levels.back()));

    // The quad maps the whole picture onto the screen, so the level of detail
    // is the same everywhere.
    const double rho = std::max(double(picture.width()) / width, double(picture.height()) / height);
    const double lambda = std::log2(rho);

    Image screen(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = (x + 0.5) / width, v = (y + 0.5) / height;
            double colour[3];
            if (lambda <= 0.0) {
                bilinear(levels[0], u, v, colour); // magnification: GL_LINEAR on the base level
            } else {
                const int lower = std::min(static_cast<int>(std::floor(lambda)), int(levels.size()) - 1);
                const int upper = std::min(lower + 1, int(levels.size()) - 1);
                const double f = lambda - std::floor(lambda);
                double a[3], b[3];
                bilinear(levels[lower], u, v, a);
                bilinear(levels[upper], u, v, b);
                for (int c = 0; c < 3; ++c)
                    colour[c] = a[c] * (1 - f) + b[c] * f;
            }
            screen.set(x, y, toRgb(colour));
        }
    }
    return screen;
}

::testing::AssertionResult hasTitleFormat(const std::string& title)
{
    static const std::regex format(R"(^Quarrystack, FPS: \d+ Frametime: \d+\.\d\d ms Framesskipped: 0 )"
                                   R"(TMQ: GL_NEAREST MMQ: GL_LINEAR_MIPMAP_LINEAR$)");
    if (std::regex_match(title, format))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the title \"" << title << "\" lacks the format";
}

std::vector<double> frameTimes(const std::string& output, std::size_t from)
{
    static const std::string prefix = "frametime: ";
    std::vector<double> times;
    for (std::size_t at = output.find(prefix, from); at != std::string::npos; at = output.find(prefix, at + 1)) {
        if (at > 0 && output[at - 1] != '\n')
            continue;
        const std::size_t end = output.find('\n', at);
        if (end == std::string::npos)
            break; // the line is still being written
        times.push_back(std::strtod(output.c_str() + at + prefix.size(), nullptr));
    }
    return times;
}

double simulatedSeconds(const std::vector<double>& frameTimesMs)
{
    double seconds = 0.0;
    for (double ms : frameTimesMs)
        seconds += std::min(ms / 1000.0, 7.0 / 60.0);
    return seconds;
}

PlayTest::PlayTest()
{
    keyHold = 1.0;
}

void PlayTest::startAndSettle(int width, int height)
{
    startGame(width, height);
    waitGameTime(0.5);
}

void PlayTest::enterPlay()
{
    const std::size_t mark = outputMark();
    press("Return");
    ASSERT_TRUE(waitForOutput("RELOAD", 30, mark));
    waitGameTime(0.5);
}

void PlayTest::waitGameTime(double seconds)
{
    const std::size_t mark = outputMark();
    // Even at one frame in two seconds the game gets there in this time.
    const auto deadline = Clock::now() + std::chrono::duration<double>(60.0 + seconds * 20.0);
    while (simulatedSeconds(frameTimes(output(), mark)) < seconds) {
        if (!game().running())
            throw std::runtime_error("PlayTest: the game ended while the test waited for frames");
        if (Clock::now() > deadline)
            throw std::runtime_error("PlayTest: the game drew too few frames");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void PlayTest::holdFor(const std::vector<std::string>& keys, double seconds)
{
    keyDown(keys);
    try {
        waitGameTime(seconds);
    } catch (...) {
        keyUp(keys);
        throw;
    }
    keyUp(keys);
}

double PlayTest::meanFrameMs(std::size_t mark)
{
    const std::vector<double> times = frameTimes(output(), mark);
    double sum = 0.0;
    for (double ms : times)
        sum += ms;
    return times.empty() ? 0.0 : sum / times.size();
}

std::string PlayTest::pictureFile(const std::string& picture)
{
    const bool fourByThree =
        static_cast<float>(display().width()) / static_cast<float>(display().height()) == 1.3333334f;
    return picture + (fourByThree ? "4_3.png" : "16_9.png");
}

::testing::AssertionResult PlayTest::showsPicture(const Image& shot, const std::string& file)
{
    const Image expected = menuPictureOnScreen(file, shot.width(), shot.height());
    // The sampling above matches llvmpipe's to one step of 255 at 320 × 180,
    // 1024 × 768 and 1920 × 1080; the allowance leaves room for rounding,
    // while another picture differs in most of its pixels.
    ::testing::AssertionResult match = imagesMatch(shot, expected, 4, 0.005);
    if (!match) {
        saveArtifact(expected, "expected-" + file.substr(0, file.find('.')));
        match << " (compared with " << file << ")";
    }
    return match;
}

::testing::AssertionResult PlayTest::waitForPicture(const std::string& file, double timeoutSeconds)
{
    const auto deadline = Clock::now() + std::chrono::duration<double>(timeoutSeconds);
    for (;;) {
        const Image shot = screenshot("waiting-for-" + file.substr(0, file.find('.')));
        ::testing::AssertionResult match = showsPicture(shot, file);
        if (match || Clock::now() > deadline)
            return match;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}
