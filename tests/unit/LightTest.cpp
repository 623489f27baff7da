#include "scene/Light.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

glm::vec3 transformPoint(const glm::mat4& m, const glm::vec3& p)
{
    const glm::vec4 r = m * glm::vec4(p, 1.0f);
    return glm::vec3(r) / r.w;
}

void expectNear(const glm::vec3& actual, const glm::vec3& expected, const char* what)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-5f) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-5f) << what;
}

struct Face {
    glm::vec3 direction;
    glm::vec3 up;
};

// GL cube-face order with the conventional up vectors of each face.
const Face faces[6] = {
    {{1, 0, 0}, {0, -1, 0}}, {{-1, 0, 0}, {0, -1, 0}}, {{0, 1, 0}, {0, 0, 1}},
    {{0, -1, 0}, {0, 0, -1}}, {{0, 0, 1}, {0, -1, 0}}, {{0, 0, -1}, {0, -1, 0}},
};

} // namespace

TEST(Light, ConstructorLeavesNoMapAndNoUnit)
{
    Light light({1, 2, 3}, {0.5f, 0.25f, 1.0f}, 7.0f);
    EXPECT_EQ(light.depthMap, -1);
    EXPECT_EQ(light.unit, -1);
    EXPECT_EQ(light.position, glm::vec3(1, 2, 3));
    EXPECT_EQ(light.color, glm::vec3(0.5f, 0.25f, 1.0f));
    EXPECT_EQ(light.power, 7.0f);
    EXPECT_EQ(light.nearPlane, 0.0f);
    EXPECT_EQ(light.farPlane, 100.0f);
    EXPECT_EQ(light.shadowTransforms.size(), 6u);
}

TEST(Light, ShadowProjectionIsJustOverNinetyDegrees)
{
    Light light({4, 4, 4}, {1, 1, 1}, 1.0f);
    const glm::mat4& p = light.shadowProjection;
    EXPECT_EQ(p[0][0], 0.9990234375f);
    EXPECT_EQ(p[1][1], 0.9990234375f);
    EXPECT_EQ(p[2][2], -1.0f);
    EXPECT_EQ(p[2][3], -1.0f);
    EXPECT_EQ(p[3][2], 0.0f);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            const bool used = (c == r && c < 3) || (c == 2 && r == 3) || (c == 3 && r == 2);
            if (!used) {
                EXPECT_EQ(p[c][r], 0.0f) << "element [" << c << "][" << r << "]";
            }
        }
}

TEST(Light, EveryFaceLooksAlongItsDirectionWithItsUp)
{
    Light light({4, 4, 4}, {1, 1, 1}, 1.0f);
    ASSERT_EQ(light.shadowTransforms.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const glm::mat4& view = light.shadowTransforms[i];
        expectNear(transformPoint(view, light.position), {0, 0, 0}, "the light is the eye");
        expectNear(transformPoint(view, light.position + faces[i].direction), {0, 0, -1}, "forward is -z");
        expectNear(transformPoint(view, light.position + faces[i].up), {0, 1, 0}, "up is +y");
        EXPECT_EQ(view[3][3], 1.0f);
    }
    // Spot check of one whole face against the tabulated columns.
    expectNear(transformPoint(light.shadowTransforms[0], {5, 4, 4}), {0, 0, -1}, "face 0");
    expectNear(transformPoint(light.shadowTransforms[0], {4, 4, 5}), {-1, 0, 0}, "face 0, +z is left");
}

TEST(Light, UpdateFollowsANewPositionAndReplacesTheMatrices)
{
    Light light({0, 0, 0}, {1, 1, 1}, 1.0f);
    light.position = {-3, 10, 2};
    light.nearPlane = 5.0f;
    light.farPlane = 7.0f;
    light.updateShadowTransforms();
    ASSERT_EQ(light.shadowTransforms.size(), 6u);
    EXPECT_EQ(light.nearPlane, 0.0f);
    EXPECT_EQ(light.farPlane, 100.0f);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        expectNear(transformPoint(light.shadowTransforms[i], light.position + 2.0f * faces[i].direction),
                   {0, 0, -2}, "two units ahead");
    }
}
