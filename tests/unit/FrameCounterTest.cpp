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

// Frames come at most at the cap, a late frame buys no burst after it, and a
// picture is drawn at most 60 times a second.
TEST(FrameLimiter, WaitsOutTheRestOfEachIntervalAndNeverCatchesUp)
{
    FrameLimiter limiter;
    // Frame ends (s) at a cap of 100 a second, and the waits after them.
    const std::pair<double, double> frames[] = {{1.0, 0.0}, {1.004, 0.006}, {1.010, 0.01}, {1.05, 0.0}, {1.051, 0.009}};
    for (const auto& [end, wait] : frames)
        EXPECT_NEAR(limiter.wait(end, 100), wait, 1e-9) << end;
    EXPECT_EQ(limiter.wait(1.052, 0), 0.0);
    EXPECT_EQ(std::make_tuple(FrameLimiter::capFor(true, 144), FrameLimiter::capFor(true, 30),
                              FrameLimiter::capFor(true, 0), FrameLimiter::capFor(false, 0)),
              std::make_tuple(60, 30, 60, 0));
}
