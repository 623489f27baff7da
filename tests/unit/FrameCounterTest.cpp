#include "app/FrameCounter.h"
#include "app/FrameLimiter.h"

#include <gtest/gtest.h>

// A sample falls due a whole second after the last; the first shows its own
// count, later ones the mean of the last two: after the welcome picture's
// hundreds of frames a second, play's few show within two seconds. The title
// truncates the frame time.
TEST(FrameCounter, SamplesEverySecondAveragesTheLastTenAndMakesTheTitle)
{
    EXPECT_EQ(windowTitle(59.9, 16.666667, "GL_NEAREST", "OFF"),
              "Quarrystack, FPS: 59 Frametime: 16.66 ms Framesskipped: 0 TMQ: GL_NEAREST MMQ: OFF");
    EXPECT_EQ(frameTimeText(1234.5), "1234.50");
    double seconds = 0.0;
    FrameCounter counter([&] { return seconds; });
    const double frames[] = {0, 200, 180, 6, 4, 4}, shown[] = {0, 200, 190, 93, 5, 4};
    for (int n = 1; n < 6; ++n) {
        for (int i = 1; i <= frames[n]; ++i) {
            seconds = n - 1 + (i == frames[n] ? 1.0 : 0.999 * i / frames[n]);
            counter.update();
        }
        EXPECT_EQ(counter.fps(), shown[n]) << n;
    }
    FrameCounter slowStart([] { return 2.5; }); // set-up took longer than a second
    slowStart.update();
    EXPECT_EQ(slowStart.fps(), 1.0);
}

// Frame ends (s), caps and the waits after them: no burst after a late frame; pictures at most 60 a second.
TEST(FrameLimiter, WaitsOutTheRestOfEachIntervalAndNeverCatchesUp)
{
    FrameLimiter limiter;
    const std::tuple<double, int, double> frames[] = {{1.0, 100, 0.0},  {1.004, 100, 0.006}, {1.010, 100, 0.01},
                                                      {1.05, 100, 0.0}, {1.051, 100, 0.009}, {1.052, 0, 0.0}};
    for (const auto& [end, cap, wait] : frames)
        EXPECT_NEAR(limiter.wait(end, cap), wait, 1e-9) << end;
    for (const auto& [picture, cap, capped] : {std::tuple{true, 144, 60}, {true, 30, 30}, {true, 0, 60}, {false, 0, 0}})
        EXPECT_EQ(FrameLimiter::capFor(picture, cap), capped);
}
