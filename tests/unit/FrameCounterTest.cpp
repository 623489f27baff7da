#include "app/FrameCounter.h"

#include <gtest/gtest.h>

#include <vector>

TEST(FrameTimeText, TruncatesToTwoDecimals)
{
    EXPECT_EQ(frameTimeText(16.666667), "16.66");
    EXPECT_EQ(frameTimeText(7.0), "7.00");
    EXPECT_EQ(frameTimeText(3.14159), "3.14");
    EXPECT_EQ(frameTimeText(0.999999), "0.99");
    EXPECT_EQ(frameTimeText(1234.5), "1234.50");
}

TEST(WindowTitle, HasEveryPartInOrder)
{
    EXPECT_EQ(windowTitle(59.9, 16.666667, "GL_NEAREST", "GL_LINEAR_MIPMAP_LINEAR"),
              "Quarrystack, FPS: 59 Frametime: 16.66 ms Framesskipped: 0 TMQ: GL_NEAREST MMQ: "
              "GL_LINEAR_MIPMAP_LINEAR");
    EXPECT_EQ(windowTitle(0.0, 7.0, "GL_LINEAR", "OFF"),
              "Quarrystack, FPS: 0 Frametime: 7.00 ms Framesskipped: 0 TMQ: GL_LINEAR MMQ: OFF");
}

namespace {

// A clock the test moves by hand.
struct FakeClock {
    double seconds = 0.0;
    FrameCounter counter{[this] { return seconds; }};

    int wholeSeconds = 0;

    // Runs `frames` frames evenly spread over the next second; the last one
    // falls exactly on the second.
    void runSecond(int frames)
    {
        for (int i = 1; i <= frames; ++i) {
            seconds = wholeSeconds + (i == frames ? 1.0 : 0.999 * i / frames);
            counter.update();
        }
        ++wholeSeconds;
    }
};

} // namespace

TEST(FrameCounter, FirstTenSamplesShowTheLastSampleAlone)
{
    FakeClock clock;
    const std::vector<int> frames = {30, 40, 50, 60, 70, 80, 90, 100, 110};
    for (int n : frames) {
        clock.runSecond(n);
        EXPECT_EQ(clock.counter.fps(), n);
    }
}

TEST(FrameCounter, AfterTenSamplesShowsTheMeanOfTheLastTen)
{
    FakeClock clock;
    for (int n = 10; n <= 100; n += 10) // ten samples: 10, 20, ..., 100
        clock.runSecond(n);
    EXPECT_DOUBLE_EQ(clock.counter.fps(), 55.0);

    clock.runSecond(210); // replaces the oldest sample (10)
    EXPECT_DOUBLE_EQ(clock.counter.fps(), 75.0);
}

// A sample falls due a whole second after the last one; set-up that took
// longer than a second makes the very first frame a sample of one frame.
TEST(FrameCounter, SampleNeedsAFullSecond)
{
    FakeClock clock;
    clock.seconds = 0.5;
    clock.counter.update();
    EXPECT_EQ(clock.counter.fps(), 0.0);
    clock.seconds = 1.0;
    clock.counter.update(); // first sample at 1000 ms: two frames
    EXPECT_EQ(clock.counter.fps(), 2.0);
    clock.seconds = 1.999;
    clock.counter.update();
    clock.counter.update();
    EXPECT_EQ(clock.counter.fps(), 2.0);
    clock.seconds = 2.0;
    clock.counter.update(); // 1000 ms later: three frames
    EXPECT_EQ(clock.counter.fps(), 3.0);

    FakeClock slowStart;
    slowStart.seconds = 2.5;
    slowStart.counter.update();
    EXPECT_EQ(slowStart.counter.fps(), 1.0);
}
