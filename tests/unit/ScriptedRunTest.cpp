// The pure parts of the scripted run: poses, the benchmark's camera path and
// the console filter. The frames themselves are covered by the golden test.
#include "lib/ScriptedRun.h"
#include "scene/Camera.h"

#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

// The unit direction the game's camera looks along for a pose.
glm::vec3 cameraDirection(const CameraPose& pose)
{
    Camera camera(45.0f, 320.0f, 180.0f, pose.eye + glm::vec3(0, 0, 1), pose.eye, {0.0f, 1.0f, 0.0f},
                  pose.horizontalAngle, pose.verticalAngle);
    camera.update();
    return camera.direction;
}

struct LookCase {
    const char* name;
    glm::vec3 eye;
    glm::vec3 target;
};

const LookCase lookCases[] = {
    {"north", {0, 1, 0}, {0, 1, 5}},
    {"east is positive yaw", {0, 1, 0}, {5, 1, 0}},
    {"south", {2, 3, 4}, {2, 3, -10}},
    {"west and down", {-3, 5, 1}, {-9, 0, 2}},
    {"up and behind", {1, 1, 1}, {0, 4, -2}},
};

} // namespace

TEST(ScriptedRun, LookingAtAimsTheGameCameraAtTheTarget)
{
    for (const LookCase& c : lookCases) {
        SCOPED_TRACE(c.name);
        const CameraPose pose = lookingAt(c.eye, c.target);
        EXPECT_EQ(pose.eye, c.eye);
        const glm::vec3 expected = glm::normalize(c.target - c.eye);
        const glm::vec3 actual = cameraDirection(pose);
        EXPECT_NEAR(actual.x, expected.x, 1e-5f);
        EXPECT_NEAR(actual.y, expected.y, 1e-5f);
        EXPECT_NEAR(actual.z, expected.z, 1e-5f);
    }
}

TEST(ScriptedRun, BenchmarkPathIsAClosedLoopTheGameCanShow)
{
    const CameraPose start = benchmarkPathPose(0.0);
    const CameraPose end = benchmarkPathPose(1.0);
    EXPECT_NEAR(glm::distance(start.eye, end.eye), 0.0f, 1e-5f);

    const glm::vec3 beacon(8.0f, 3.6f, 11.3f); // the win object
    for (int i = 0; i < 240; ++i) {
        const double t = i / 240.0;
        SCOPED_TRACE("t = " + std::to_string(t));
        const CameraPose pose = benchmarkPathPose(t);
        // The player's mouse look clamps the pitch to [-1, 1]; a pose outside
        // would be changed by the frame it is shown in.
        EXPECT_LE(std::fabs(pose.verticalAngle), 1.0f);
        EXPECT_LT(std::fabs(pose.horizontalAngle), 6.2831853f);
        // Inside the quarry's walls, above the props, away from the beacon.
        EXPECT_GT(pose.eye.x, -11.0f);
        EXPECT_LT(pose.eye.x, 11.0f);
        EXPECT_GT(pose.eye.z, -11.0f);
        EXPECT_LT(pose.eye.z, 1.0f);
        EXPECT_GE(pose.eye.y, 4.5f);
        EXPECT_GT(glm::distance(pose.eye, beacon), 5.0f);
        // Neighbouring frames move little: a path, not a slide show.
        const CameraPose next = benchmarkPathPose(t + 1.0 / 240.0);
        EXPECT_LT(glm::distance(pose.eye, next.eye), 0.5f);
    }
}

TEST(ScriptedRun, FilterDropsOnlyTheFrameTimeLines)
{
    std::ostringstream sink;
    FrameTimeLineFilter filter(sink);
    std::ostream game(&filter);
    game << "frametime: " << 16.6667 << "ms" << std::endl;
    game << "RELOAD" << std::endl;
    game << "frametime: 3.1ms\nADDED TO FLOOR: Floor_quarry\n";
    game << "not a frametime: line\n";
    game << "frametime: unfinished";
    EXPECT_EQ(sink.str(), "RELOAD\nADDED TO FLOOR: Floor_quarry\nnot a frametime: line\n");
}
