#include "scene/AnimatedObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

struct SegmentRow {
    const char* name;
    std::vector<double> times;
    double t;
    int index;
    float factor;
};

} // namespace

TEST(FindKeySegment, Table)
{
    const SegmentRow rows[] = {
        {"no keys", {}, 1.0, 0, 0.0f},
        {"one key holds", {2.0}, 5.0, 0, 0.0f},
        {"before the first key is raised to 0", {1.0, 2.0}, 0.25, 0, 0.0f},
        {"on the first key", {1.0, 2.0}, 1.0, 0, 0.0f},
        {"inside the first segment", {0.0, 2.0, 4.0}, 0.5, 0, 0.25f},
        {"on an inner key takes the earlier segment", {0.0, 2.0, 4.0}, 2.0, 0, 1.0f},
        {"inside the last segment", {0.0, 2.0, 4.0}, 3.0, 1, 0.5f},
        {"after the last key extrapolates", {0.0, 2.0, 4.0}, 5.0, 1, 1.5f},
        {"equal times give the earlier key", {1.0, 1.0}, 3.0, 0, 0.0f},
        {"equal times inside a track", {0.0, 1.0, 1.0, 2.0}, 1.0, 0, 1.0f},
        {"equal times at the end", {0.0, 1.0, 1.0}, 1.5, 1, 0.0f},
    };
    for (const SegmentRow& row : rows) {
        SCOPED_TRACE(row.name);
        const KeySegment s = findKeySegment(row.times.data(), static_cast<int>(row.times.size()), row.t);
        EXPECT_EQ(s.index, row.index);
        EXPECT_FLOAT_EQ(s.factor, row.factor);
        EXPECT_FALSE(std::isnan(s.factor));
    }
}

TEST(FindKeySegment, FactorRoundsTheSpanToFloat)
{
    // A span of 0.1 seconds is not exact in float; the division uses the float span.
    const double times[] = {0.0, 0.1};
    const KeySegment s = findKeySegment(times, 2, 0.05);
    EXPECT_EQ(s.factor, static_cast<float>(0.05 / static_cast<double>(0.1f)));
}

TEST(InterpolateVector, NeutralValuesWithoutKeys)
{
    EXPECT_EQ(interpolatePosition(nullptr, nullptr, 0, 1.0), glm::vec3(0.0f));
    EXPECT_EQ(interpolateScaling(nullptr, nullptr, 0, 1.0), glm::vec3(1.0f));
    const glm::quat q = interpolateRotation(nullptr, nullptr, 0, 1.0);
    EXPECT_EQ(q, glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
}

TEST(InterpolateVector, OneKeyHoldsEverywhere)
{
    const glm::vec3 key(3, -2, 1);
    const double time = 4.0;
    for (double t : {0.0, 4.0, 100.0}) {
        EXPECT_EQ(interpolatePosition(&key, &time, 1, t), key);
        EXPECT_EQ(interpolateScaling(&key, &time, 1, t), key);
    }
}

TEST(InterpolateVector, LinearInsideAndBeyondTheKeys)
{
    const glm::vec3 keys[] = {{0, 0, 0}, {2, 4, -6}};
    const double times[] = {1.0, 3.0};
    EXPECT_EQ(interpolatePosition(keys, times, 2, 0.0), keys[0]);
    EXPECT_EQ(interpolatePosition(keys, times, 2, 2.0), glm::vec3(1, 2, -3));
    EXPECT_EQ(interpolatePosition(keys, times, 2, 5.0), glm::vec3(4, 8, -12));
    EXPECT_EQ(interpolateScaling(keys, times, 2, 2.0), glm::vec3(1, 2, -3));
}

TEST(InterpolateVector, EqualKeyTimesGiveTheEarlierKeyAndNoNaN)
{
    const glm::vec3 keys[] = {{1, 1, 1}, {9, 9, 9}};
    const double times[] = {2.0, 2.0};
    for (double t : {0.0, 2.0, 3.0}) {
        const glm::vec3 v = interpolatePosition(keys, times, 2, t);
        EXPECT_EQ(v, keys[0]) << t;
    }
    const glm::quat rotations[] = {glm::angleAxis(0.3f, glm::vec3(0, 1, 0)), glm::angleAxis(1.3f, glm::vec3(0, 1, 0))};
    const glm::quat q = interpolateRotation(rotations, times, 2, 3.0);
    EXPECT_FLOAT_EQ(q.w, rotations[0].w);
    EXPECT_FLOAT_EQ(q.y, rotations[0].y);
}

TEST(SlerpShortWay, HalfwayAboutOneAxis)
{
    const glm::quat a = glm::angleAxis(0.0f, glm::vec3(0, 0, 1));
    const glm::quat b = glm::angleAxis(1.0f, glm::vec3(0, 0, 1));
    const glm::quat q = slerpShortWay(a, b, 0.5f);
    const glm::quat expected = glm::angleAxis(0.5f, glm::vec3(0, 0, 1));
    EXPECT_NEAR(q.w, expected.w, 1e-6f);
    EXPECT_NEAR(q.z, expected.z, 1e-6f);
    EXPECT_NEAR(q.x, 0.0f, 1e-7f);
    EXPECT_NEAR(q.y, 0.0f, 1e-7f);
}

TEST(SlerpShortWay, OppositeHemispheresTakeTheShortWay)
{
    // 10 and 350 degrees about y are 20 degrees apart the short way; stored as
    // angle-axis quaternions they lie in opposite hemispheres.
    const glm::vec3 y(0, 1, 0);
    const glm::quat a = glm::angleAxis(glm::radians(10.0f), y);
    const glm::quat b = glm::angleAxis(glm::radians(350.0f), y);
    ASSERT_LT(a.w * b.w + a.y * b.y, 0.0f);
    const glm::quat q = slerpShortWay(a, b, 0.5f);
    // Halfway the short way is no rotation at all; the long way would be 180 degrees.
    EXPECT_NEAR(std::fabs(q.w), 1.0f, 1e-5f);
    EXPECT_NEAR(q.y, 0.0f, 1e-5f);
    const glm::vec3 z = glm::mat3_cast(q) * glm::vec3(0, 0, 1);
    EXPECT_NEAR(z.z, 1.0f, 1e-5f);

    const glm::quat quarter = slerpShortWay(a, b, 0.25f);
    const glm::vec3 turned = glm::mat3_cast(quarter) * glm::vec3(0, 0, 1);
    EXPECT_NEAR(std::atan2(turned.x, turned.z), glm::radians(5.0f), 1e-5f);
}

TEST(SlerpShortWay, NearlyEqualKeysAreLinearAndNotNormalised)
{
    // Two unnormalised keys whose dot product exceeds 1: the linear branch must
    // keep their length, where a normalising slerp would not.
    const glm::quat a(1.01f, 0.0f, 0.0f, 0.0f);
    const glm::quat b(1.01f, 0.0f, 0.001f, 0.0f);
    const glm::quat q = slerpShortWay(a, b, 0.5f);
    EXPECT_FLOAT_EQ(q.w, 1.01f);
    EXPECT_FLOAT_EQ(q.y, 0.0005f);
    EXPECT_FALSE(std::isnan(q.w));

    const glm::quat beyond = slerpShortWay(a, b, 2.0f);
    EXPECT_FLOAT_EQ(beyond.y, 0.002f);
}

TEST(SlerpShortWay, NegatedKeyOnTheLinearBranch)
{
    // q and -q are the same rotation: the result must stay in a's hemisphere
    // flipped to meet b, never average to zero.
    const glm::quat a(1.0f, 0.0f, 0.0f, 0.0f);
    const glm::quat b(-1.0f, 0.0f, 0.0f, 0.0f);
    const glm::quat q = slerpShortWay(a, b, 0.5f);
    EXPECT_FLOAT_EQ(std::fabs(q.w), 1.0f);
}

TEST(AdvanceAnimationTime, LoopsAndHolds)
{
    EXPECT_DOUBLE_EQ(advanceAnimationTime(0.0, 0.5, 6.0), 0.5);
    EXPECT_DOUBLE_EQ(advanceAnimationTime(5.75, 0.5, 6.0), std::fmod(6.25, 6.0));
    EXPECT_DOUBLE_EQ(advanceAnimationTime(0.0, 13.0, 6.0), 1.0);
    EXPECT_DOUBLE_EQ(advanceAnimationTime(5.0, 1.0, 6.0), 0.0);
    // A zero (or broken) duration holds the clock at 0 instead of producing NaN.
    EXPECT_EQ(advanceAnimationTime(0.0, 0.016, 0.0), 0.0);
    EXPECT_EQ(advanceAnimationTime(3.0, 0.016, -1.0), 0.0);
    EXPECT_EQ(advanceAnimationTime(0.0, 0.016, std::numeric_limits<double>::quiet_NaN()), 0.0);
}

TEST(AdvanceAnimationTime, ManyFramesStayInsideTheLoop)
{
    double t = 0.0;
    for (int i = 0; i < 10000; ++i) {
        t = advanceAnimationTime(t, 1.0 / 60.0, 2.5);
        ASSERT_GE(t, 0.0);
        ASSERT_LT(t, 2.5);
    }
    EXPECT_NEAR(t, std::fmod(10000.0 / 60.0, 2.5), 1e-6);
}
