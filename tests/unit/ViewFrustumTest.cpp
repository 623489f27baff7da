#include "scene/BoundingSphere.h"
#include "scene/ViewFrustum.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// The cube |x|, |y|, |z| < 1 as six planes in the frustum's order.
ViewFrustum unitBox()
{
    ViewFrustum frustum;
    frustum.planes[0] = {-1, 0, 0, 1}; // right: x < 1
    frustum.planes[1] = {1, 0, 0, 1};  // left
    frustum.planes[2] = {0, 1, 0, 1};  // bottom
    frustum.planes[3] = {0, -1, 0, 1}; // top
    frustum.planes[4] = {0, 0, 1, 1};  // far
    frustum.planes[5] = {0, 0, -1, 1}; // near
    return frustum;
}

BoundingSphere sphereAt(const glm::vec3& center, float radius)
{
    BoundingSphere sphere;
    sphere.center = center;
    sphere.radius = radius;
    sphere.radiusSquared = radius * radius;
    return sphere;
}

void expectPlaneNear(const glm::vec4& actual, const glm::vec4& expected, const char* which)
{
    SCOPED_TRACE(which);
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
    EXPECT_NEAR(actual.w, expected.w, 1e-5f);
}

} // namespace

struct FrustumCase {
    const char* name;
    glm::vec3 center;
    float radius;
    float maxScale;
    glm::mat4 model;
    bool visible;
};

class FrustumTest : public ::testing::TestWithParam<FrustumCase> {};

TEST_P(FrustumTest, RejectsOnlySpheresWhollyOutsideAndCountsThemOnce)
{
    const FrustumCase& c = GetParam();
    ViewFrustum frustum = unitBox();
    frustum.culledCount = 7;
    EXPECT_EQ(frustumTest(frustum, c.model, sphereAt(c.center, c.radius), c.maxScale), c.visible);
    EXPECT_EQ(frustum.culledCount, c.visible ? 7 : 8);
}

const glm::mat4 identity(1.0f);

INSTANTIATE_TEST_SUITE_P(
    Spheres, FrustumTest,
    ::testing::Values(
        FrustumCase{"Inside", {0, 0, 0}, 0.5f, 1.0f, identity, true},
        FrustumCase{"Straddling", {1.2f, 0, 0}, 0.5f, 1.0f, identity, true},
        // Distance to the right plane is exactly -r: outside.
        FrustumCase{"TouchingAtMinusRadius", {1.5f, 0, 0}, 0.5f, 1.0f, identity, false},
        FrustumCase{"JustInsideMinusRadius", {1.4999f, 0, 0}, 0.5f, 1.0f, identity, true},
        FrustumCase{"BehindNear", {0, 0, -3}, 1.0f, 1.0f, identity, false},
        // Beyond the right, top and far planes at once: still one cull.
        FrustumCase{"OutsideSeveralPlanes", {10, 10, 10}, 1.0f, 1.0f, identity, false},
        // maxScale grows the radius: at 1.9 with r 0.5 × 2 the sphere reaches back inside.
        FrustumCase{"ScaledRadiusReachesIn", {1.9f, 0, 0}, 0.5f, 2.0f, identity, true},
        FrustumCase{"UnscaledRadiusStaysOut", {1.9f, 0, 0}, 0.5f, 1.0f, identity, false},
        // The centre is moved by the model matrix before the test.
        FrustumCase{"TranslatedOut", {0, 0, 0}, 0.5f, 1.0f, glm::translate(identity, {0, 5, 0}), false},
        FrustumCase{"TranslatedBackIn", {0, -5, 0}, 0.5f, 1.0f, glm::translate(identity, {0, 5, 0}), true},
        // The model's scale does not touch the radius; maxScale does that.
        FrustumCase{"ModelScaleMovesCentreOnly", {0.6f, 0, 0}, 0.5f, 1.0f, glm::scale(identity, {3, 3, 3}),
                    false}),
    [](const ::testing::TestParamInfo<FrustumCase>& info) { return std::string(info.param.name); });

TEST(FrustumTest, CullingOffShowsEverythingAndCountsNothing)
{
    ViewFrustum frustum = unitBox();
    frustum.cullingEnabled = false;
    frustum.culledCount = 3;
    EXPECT_TRUE(frustumTest(frustum, identity, sphereAt({100, 100, 100}, 1.0f), 1.0f));
    EXPECT_TRUE(frustumTest(frustum, identity, sphereAt({0, 0, 0}, 1.0f), 1.0f));
    EXPECT_EQ(frustum.culledCount, 3);
}

TEST(ExtractFrustumPlanes, OrthographicBoxSeenFromZ5)
{
    // ortho x in [-2, 2], y in [-1, 1], depth 1..11 from a camera at z = 5:
    // world z between -6 and 4.
    ViewFrustum frustum;
    frustum.culledCount = 9;
    frustum.cullingEnabled = false;
    const glm::mat4 projection = glm::ortho(-2.0f, 2.0f, -1.0f, 1.0f, 1.0f, 11.0f);
    const glm::mat4 view = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, -5.0f));
    extractFrustumPlanes(frustum, projection, view);

    expectPlaneNear(frustum.planes[0], {-1, 0, 0, 2}, "right");
    expectPlaneNear(frustum.planes[1], {1, 0, 0, 2}, "left");
    expectPlaneNear(frustum.planes[2], {0, 1, 0, 1}, "bottom");
    expectPlaneNear(frustum.planes[3], {0, -1, 0, 1}, "top");
    expectPlaneNear(frustum.planes[4], {0, 0, 1, 6}, "far");
    expectPlaneNear(frustum.planes[5], {0, 0, -1, 4}, "near");
    EXPECT_EQ(frustum.culledCount, 9);
    EXPECT_FALSE(frustum.cullingEnabled);
}

TEST(ExtractFrustumPlanes, RightAnglePerspective)
{
    // 90 degrees vertically at aspect 1: the side planes are x = ±z and y = ±z.
    ViewFrustum frustum;
    const glm::mat4 projection = glm::perspective(glm::radians(90.0f), 1.0f, 1.0f, 10.0f);
    extractFrustumPlanes(frustum, projection, glm::mat4(1.0f));

    const float h = 1.0f / std::sqrt(2.0f);
    expectPlaneNear(frustum.planes[0], {-h, 0, -h, 0}, "right");
    expectPlaneNear(frustum.planes[1], {h, 0, -h, 0}, "left");
    expectPlaneNear(frustum.planes[2], {0, h, -h, 0}, "bottom");
    expectPlaneNear(frustum.planes[3], {0, -h, -h, 0}, "top");
    expectPlaneNear(frustum.planes[4], {0, 0, 1, 10}, "far");
    expectPlaneNear(frustum.planes[5], {0, 0, -1, -1}, "near");
    EXPECT_TRUE(frustum.cullingEnabled);
}

TEST(ExtractFrustumPlanes, PlanesCullWhatTheCameraCannotSee)
{
    // Camera at (0, 0, 10) looking down -z, 90 degrees wide.
    ViewFrustum frustum;
    extractFrustumPlanes(frustum, glm::perspective(glm::radians(90.0f), 1.0f, 0.5f, 50.0f),
                         glm::lookAt(glm::vec3(0, 0, 10), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0)));
    const glm::mat4 identity(1.0f);
    EXPECT_TRUE(frustumTest(frustum, identity, sphereAt({0, 0, 0}, 1.0f), 1.0f));
    EXPECT_TRUE(frustumTest(frustum, identity, sphereAt({8, 0, 0}, 1.0f), 1.0f));    // 10 away: fits 45 degrees
    EXPECT_FALSE(frustumTest(frustum, identity, sphereAt({20, 0, 0}, 1.0f), 1.0f));  // off to the right
    EXPECT_FALSE(frustumTest(frustum, identity, sphereAt({0, 0, 12}, 1.0f), 1.0f));  // behind the camera
    EXPECT_FALSE(frustumTest(frustum, identity, sphereAt({0, 0, -50}, 1.0f), 1.0f)); // beyond far
    EXPECT_EQ(frustum.culledCount, 3);
}
