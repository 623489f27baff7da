#include "scene/BoundingSphere.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

void expectVec3Near(const glm::vec3& actual, const glm::vec3& expected, float tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectEncloses(const BoundingSphere& sphere, const std::vector<glm::vec3>& points)
{
    EXPECT_NEAR(sphere.radiusSquared, sphere.radius * sphere.radius, 1e-4f * sphere.radiusSquared);
    for (size_t i = 0; i < points.size(); ++i)
        EXPECT_LE(glm::length(points[i] - sphere.center), sphere.radius * (1.0f + 1e-5f)) << "point " << i;
}

} // namespace

TEST(BoundingSphere, FewOrAlignedPoints)
{
    const struct {
        const char* name;
        std::vector<glm::vec3> points;
        glm::vec3 center;
        float radius;
    } rows[] = {
        {"nothing gives the zero sphere", {}, {0, 0, 0}, 0.0f},
        {"one point gives a point sphere", {{1, -2, 3}}, {1, -2, 3}, 0.0f},
        // x spread 16 beats y spread 5, and (2, 1, 0) already lies inside.
        {"third corner inside", {{0, 0, 0}, {4, 0, 0}, {2, 1, 0}}, {2, 0, 0}, 2.0f},
        {"the z pair when it is strictly widest", {{0, 0, -3}, {1, 0, 0}, {0, 1, 0}, {0, 0, 3}}, {0, 0, 0}, 3.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const BoundingSphere sphere = computeBoundingSphere(row.points);
        EXPECT_EQ(sphere.center, row.center);
        EXPECT_EQ(sphere.radius, row.radius);
        EXPECT_EQ(sphere.radiusSquared, row.radius * row.radius);
    }
}

TEST(BoundingSphere, TriangleGrowsFromTheMidpointToTakeTheThirdCorner)
{
    // Starts at (2, 0, 0) with radius 2; the corner (2, 3, 0) lies 3 away, so the
    // radius becomes 2.5 and the centre moves 0.5 towards it.
    const std::vector<glm::vec3> corners{{0, 0, 0}, {4, 0, 0}, {2, 3, 0}};
    const BoundingSphere sphere = computeBoundingSphere(corners);
    expectVec3Near(sphere.center, {2.0f, 0.5f, 0.0f}, 1e-6f);
    EXPECT_FLOAT_EQ(sphere.radius, 2.5f);
    EXPECT_FLOAT_EQ(sphere.radiusSquared, 6.25f);
    expectEncloses(sphere, corners);
}

TEST(BoundingSphere, AxisExtremesKeepTheFirstPointOnTies)
{
    const BoundingSphere sphere =
        computeBoundingSphere({{1, 5, 0}, {0, 5, 2}, {0, 7, 2}, {3, 7, -1}, {3, 4, -1}});
    EXPECT_EQ(sphere.minimumIndex[0], 1);
    EXPECT_EQ(sphere.maximumIndex[0], 3);
    EXPECT_EQ(sphere.minimumIndex[1], 4);
    EXPECT_EQ(sphere.maximumIndex[1], 2);
    EXPECT_EQ(sphere.minimumIndex[2], 3);
    EXPECT_EQ(sphere.maximumIndex[2], 1);
    EXPECT_EQ(sphere.minimum[0], 0.0f);
    EXPECT_EQ(sphere.maximum[0], 3.0f);
    EXPECT_EQ(sphere.minimum[1], 4.0f);
    EXPECT_EQ(sphere.maximum[1], 7.0f);
    EXPECT_EQ(sphere.minimum[2], -1.0f);
    EXPECT_EQ(sphere.maximum[2], 2.0f);
}

// The pairs tie on squared distance; the chosen pair decides where growth
// starts, so the final centre shows which one won.
struct PairTieCase {
    const char* name;
    std::vector<glm::vec3> points;
    glm::vec3 center;
    float radius;
};

class BoundingSpherePairTie : public ::testing::TestWithParam<PairTieCase> {};

TEST_P(BoundingSpherePairTie, PrefersXThenY)
{
    const PairTieCase& c = GetParam();
    const BoundingSphere sphere = computeBoundingSphere(c.points);
    expectVec3Near(sphere.center, c.center, 1e-5f);
    EXPECT_NEAR(sphere.radius, c.radius, 1e-5f);
    expectEncloses(sphere, c.points);
}

INSTANTIATE_TEST_SUITE_P(
    Ties, BoundingSpherePairTie,
    ::testing::Values(
        // x pair (0,0,0)-(5,0,0) and y pair (0,0,0)-(3,4,0) both span 25: x wins,
        // start (2.5, 0, 0) r 2.5, grown towards (3, 4, 0) at distance sqrt(16.25).
        PairTieCase{"XOverY", {{0, 0, 0}, {5, 0, 0}, {3, 4, 0}}, {2.5949566f, 0.7596526f, 0.0f}, 3.2655644f},
        // y and z pairs both span 9, x spans 0: y wins, start (0, 1.5, 0) r 1.5,
        // grown towards (0, 0, 3). Had z won, y and z of the centre would swap.
        PairTieCase{"YOverZ", {{0, 0, 0}, {0, 3, 0}, {0, 0, 3}}, {0.0f, 1.0854102f, 0.8291796f}, 2.4270510f}),
    [](const ::testing::TestParamInfo<PairTieCase>& info) { return std::string(info.param.name); });

TEST(BoundingSphere, GrowsToTakeOutliersOfACloud)
{
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::vector<glm::vec3> points;
    for (int i = 0; i < 500; ++i)
        points.emplace_back(unit(random), unit(random), unit(random));
    // The axis extremes give the start sphere: centre 0, radius 3. The outliers
    // lie inside those extremes on every axis but outside that sphere, spread
    // through the list, so the sphere must grow several times.
    const std::vector<glm::vec3> extremes{{-3, 0, 0}, {3, 0, 0}, {0, -3, 0}, {0, 3, 0}, {0, 0, -3}, {0, 0, 3}};
    points.insert(points.begin() + 50, extremes.begin(), extremes.end());
    points.insert(points.begin() + 100, glm::vec3(2.5f, 2.5f, 2.5f));
    points.insert(points.begin() + 300, glm::vec3(-2.9f, 2.0f, -2.9f));
    points.emplace_back(2.0f, -2.9f, 2.9f);

    const BoundingSphere sphere = computeBoundingSphere(points);
    expectEncloses(sphere, points);
    EXPECT_GT(sphere.radius, 3.0f);
    // Every centre lies on a segment towards a point, so it stays in the points'
    // hull, and each new radius averages the old one with a distance inside
    // that hull: the radius never exceeds the widest span of the points.
    float widest = 0.0f;
    for (const glm::vec3& a : points)
        for (const glm::vec3& b : points)
            widest = std::max(widest, glm::length(a - b));
    EXPECT_LE(sphere.radius, widest);
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_GE(sphere.center[axis], -3.0f);
        EXPECT_LE(sphere.center[axis], 3.0f);
    }
}
