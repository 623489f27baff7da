// The game-clock helpers of the end-to-end tests, on made-up console output.
#include "PlayTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;

TEST(FrameTimes, ReadsCompleteFrameLinesOnly)
{
    const std::string output = "player\n"
                               "frametime: 1234.57ms\n"
                               "RELOAD\n"
                               "frametime: 16.6667ms\n"
                               "COLLISION WITH DYNAMIC frametime: 99ms\n"
                               "frametime: 3.14159ms\n"
                               "frametime: 7"; // still being written
    EXPECT_THAT(frameTimes(output), ElementsAre(1234.57, 16.6667, 3.14159));
    // From a mark in the middle of a line, that line no longer counts.
    EXPECT_THAT(frameTimes(output, output.find("RELOAD") - 3), ElementsAre(16.6667, 3.14159));
    EXPECT_THAT(frameTimes(output, output.size()), ElementsAre());
}

TEST(SimulatedSeconds, CapsEachFrameAtSevenPhysicsSteps)
{
    struct Row {
        std::vector<double> frames;
        double seconds;
    };
    const Row rows[] = {
        {{}, 0.0},
        {{10.0, 20.0}, 0.03},
        {{116.0}, 0.116},
        {{500.0}, 7.0 / 60.0},        // the rest of a long frame is lost
        {{500.0, 50.0}, 7.0 / 60.0 + 0.05},
    };
    for (const Row& row : rows)
        EXPECT_NEAR(simulatedSeconds(row.frames), row.seconds, 1e-9) << row.frames.size() << " frames";
}

} // namespace
