#include "app/FrameCounter.h"

#include <gtest/gtest.h>

// A sample falls due a whole second after the last; the first ten show their
// own count, later ones the mean of the last ten. The title truncates the
// frame time.
TEST(FrameCounter, SamplesEverySecondAveragesTheLastTenAndMakesTheTitle)
{
    EXPECT_EQ(windowTitle(59.9, 16.666667, "GL_NEAREST", "OFF"),
              "Quarrystack, FPS: 59 Frametime: 16.66 ms Framesskipped: 0 TMQ: GL_NEAREST MMQ: OFF");
    EXPECT_EQ(frameTimeText(1234.5), "1234.50");
    double seconds = 0.0;
    FrameCounter counter([&] { return seconds; });
    const double frames[] = {0, 30, 20, 30, 40, 50, 60, 70, 80, 90, 100, 230};
    for (int n = 1; n < 12; ++n) {
        for (int i = 1; i <= frames[n]; ++i) {
            seconds = n - 1 + (i == frames[n] ? 1.0 : 0.999 * i / frames[n]);
            counter.update();
        }
        // (30 + 20 + 30 + ... + 100) / 10, then 230 in place of the first 30
        EXPECT_EQ(counter.fps(), n < 10 ? frames[n] : n == 10 ? 57.0 : 77.0) << n;
    }
    FrameCounter slowStart([] { return 2.5; }); // set-up took longer than a second
    slowStart.update();
    EXPECT_EQ(slowStart.fps(), 1.0);
}
