#include "scene/AnimatedObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

// Where a time falls between keys: the segment and the factor along it.
TEST(KeyFrames, SegmentsFactorsAndTracks)
{
    const struct {
        const char* name;
        std::vector<double> times;
        double t;
        int index;
        float factor;
    } rows[] = {
        {"no keys", {}, 1.0, 0, 0.0f},
        {"one key holds", {2.0}, 5.0, 0, 0.0f},
        {"before the first key is raised to 0", {1.0, 2.0}, 0.25, 0, 0.0f},
        {"inside the first segment", {0.0, 2.0, 4.0}, 0.5, 0, 0.25f},
        {"on an inner key takes the earlier segment", {0.0, 2.0, 4.0}, 2.0, 0, 1.0f},
        {"inside the last segment", {0.0, 2.0, 4.0}, 3.0, 1, 0.5f},
        {"after the last key extrapolates", {0.0, 2.0, 4.0}, 5.0, 1, 1.5f},
        {"equal times give the earlier key, not NaN", {1.0, 1.0}, 3.0, 0, 0.0f},
        {"equal times at the end", {0.0, 1.0, 1.0}, 1.5, 1, 0.0f},
    };
    for (const auto& row : rows) {
        const KeySegment s = findKeySegment(row.times.data(), static_cast<int>(row.times.size()), row.t);
        EXPECT_TRUE(s.index == row.index && s.factor == row.factor) << row.name << ": " << s.index << ", " << s.factor;
    }
    // Tracks interpolate linearly; one without keys gives its neutral value.
    const glm::vec3 keys[] = {{0, 0, 0}, {2, 4, -6}};
    const double times[] = {1.0, 3.0};
    EXPECT_EQ(interpolatePosition(keys, times, 2, 2.0), glm::vec3(1, 2, -3));
    EXPECT_EQ(interpolateScaling(keys, times, 2, 5.0), glm::vec3(4, 8, -12));
    // Between two equal keys the value is the key's own, to the last bit.
    const glm::vec3 parked[] = {glm::vec3(0.1f, 3.7f, -1.3f), glm::vec3(0.1f, 3.7f, -1.3f)};
    for (double t : {1.3, 1.7, 2.9})
        EXPECT_EQ(interpolatePosition(parked, times, 2, t), parked[0]) << t;
    EXPECT_EQ(interpolatePosition(nullptr, nullptr, 0, 1.0), glm::vec3(0.0f));
    EXPECT_EQ(interpolateScaling(nullptr, nullptr, 0, 1.0), glm::vec3(1.0f));
    EXPECT_EQ(interpolateRotation(nullptr, nullptr, 0, 1.0), glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
}

TEST(KeyFrames, RotationsTakeTheShortWayAndTheClockLoops)
{
    // 10 and 350 degrees about y lie in opposite hemispheres: halfway the
    // short way is no turn at all, the long way half a turn.
    const glm::vec3 y(0, 1, 0);
    const glm::quat a = glm::angleAxis(glm::radians(10.0f), y), b = glm::angleAxis(glm::radians(350.0f), y);
    EXPECT_NEAR(std::fabs(slerpShortWay(a, b, 0.5f).w), 1.0f, 1e-5f);
    const glm::vec3 turned = glm::mat3_cast(slerpShortWay(a, b, 0.25f)) * glm::vec3(0, 0, 1);
    EXPECT_NEAR(std::atan2(turned.x, turned.z), glm::radians(5.0f), 1e-5f);
    // q and -q are one rotation: nearly equal keys must not average to nothing.
    EXPECT_FLOAT_EQ(std::fabs(slerpShortWay(glm::quat(1, 0, 0, 0), glm::quat(-1, 0, 0, 0), 0.5f).w), 1.0f);

    // The animation clock loops over the duration and holds at 0 without one.
    EXPECT_DOUBLE_EQ(advanceAnimationTime(5.75, 0.5, 6.0), 0.25);
    EXPECT_DOUBLE_EQ(advanceAnimationTime(0.0, 13.0, 6.0), 1.0);
    EXPECT_DOUBLE_EQ(advanceAnimationTime(5.0, 1.0, 6.0), 0.0);
    for (double duration : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(advanceAnimationTime(3.0, 0.016, duration), 0.0) << duration;
}
