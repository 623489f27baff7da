#include "app/FrameCounter.h"

#include <gtest/gtest.h>

TEST(FrameCounter, TitleTruncatesTheFrameTime)
{
    EXPECT_EQ(windowTitle(59.9, 16.666667, "GL_NEAREST", "OFF"),
              "Quarrystack, FPS: 59 Frametime: 16.66 ms Framesskipped: 0 TMQ: GL_NEAREST MMQ: OFF");
    EXPECT_EQ(frameTimeText(0.999999), "0.99");
    EXPECT_EQ(frameTimeText(1234.5), "1234.50");
}

// A sample falls due a whole second after the last; the first ten show their
// own count, later ones the mean of the last ten.
TEST(FrameCounter, SamplesEverySecondAndAveragesTheLastTen)
{
    double seconds = 0.0;
    FrameCounter counter([&] { return seconds; });
    const auto runSecond = [&](int frames) {
        const double start = seconds;
        for (int i = 1; i <= frames; ++i) {
            seconds = start + (i == frames ? 1.0 : 0.999 * i / frames);
            counter.update();
        }
    };
    runSecond(30);
    EXPECT_EQ(counter.fps(), 30.0);
    for (int n = 20; n <= 100; n += 10) {
        runSecond(n);
        EXPECT_EQ(counter.fps(), n == 100 ? 57.0 : n) << n; // (30 + 20 + ... + 100) / 10
    }
    runSecond(230); // replaces the oldest sample, 30
    EXPECT_DOUBLE_EQ(counter.fps(), 77.0);

    FrameCounter slowStart([] { return 2.5; }); // set-up took longer than a second
    slowStart.update();
    EXPECT_EQ(slowStart.fps(), 1.0);
}
