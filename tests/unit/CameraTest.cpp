#include "scene/Camera.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectMatrixNear(const glm::mat4& actual, const glm::mat4& expected, float relative)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            const float tolerance = relative * std::max(1.0f, std::fabs(expected[c][r]));
            EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << "column " << c << ", row " << r;
        }
}

Camera makeCamera(float width = 1920.0f, float height = 1080.0f)
{
    return Camera(45.0f, width, height, {0.0f, 1.0f, 5.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, 237.0f, 131.0f);
}

} // namespace

struct ProjectionCase {
    float fovy, aspect, zNear, zFar;
};

class PerspectiveTest : public ::testing::TestWithParam<ProjectionCase> {};

TEST_P(PerspectiveTest, MatchesGlm)
{
    const ProjectionCase& c = GetParam();
    const glm::mat4 ours = perspective(c.fovy, c.aspect, c.zNear, c.zFar);
    expectMatrixNear(ours, glm::perspective(c.fovy, c.aspect, c.zNear, c.zFar), 2e-6f);
    // Only the five elements of the projection are non-zero.
    int nonZero = 0;
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            nonZero += ours[col][row] != 0.0f;
    EXPECT_EQ(nonZero, 5);
    EXPECT_EQ(ours[2][3], -1.0f);
}

INSTANTIATE_TEST_SUITE_P(Projections, PerspectiveTest,
                         ::testing::Values(ProjectionCase{45.0f, 1.7777778f, 0.1f, 70.0f},
                                           ProjectionCase{1.0471976f, 1.3333334f, 0.5f, 100.0f},
                                           ProjectionCase{1.5707964f, 1.0f, 1.0f, 10.0f},
                                           ProjectionCase{0.2f, 2.5f, 0.01f, 1000.0f}));

TEST(Perspective, TangentIsTakenInDoublePrecision)
{
    // 45 "radians" as the import passes it: tan(22.5) = -0.5578...; 1 / t rounds from the double value.
    const float t = static_cast<float>(std::tan(22.5));
    EXPECT_EQ(perspective(45.0f, 1.0f, 0.1f, 70.0f)[1][1], 1.0f / t);
}

struct LookAtCase {
    glm::vec3 eye, center, up;
};

class LookAtTest : public ::testing::TestWithParam<LookAtCase> {};

TEST_P(LookAtTest, MatchesGlm)
{
    const LookAtCase& c = GetParam();
    expectMatrixNear(lookAt(c.eye, c.center, c.up), glm::lookAt(c.eye, c.center, c.up), 2e-6f);
}

INSTANTIATE_TEST_SUITE_P(Views, LookAtTest,
                         ::testing::Values(LookAtCase{{0, 0, 0}, {0, 0, -1}, {0, 1, 0}},
                                           LookAtCase{{3, 2, 1}, {-4, 0.5f, 7}, {0, 1, 0}},
                                           LookAtCase{{10, -3, 4}, {10.5f, -3, 4.2f}, {0.1f, 0.9f, 0.2f}},
                                           // An up vector that is not of unit length, as the camera builds it.
                                           LookAtCase{{1, 1.3f, 1}, {1, 1.3f, 2}, {0, 0.9999997f, 0}}));

TEST(Camera, ConstructionLooksAtTheAimPoint)
{
    // The constructor's arguments land in other fields than their order suggests.
    const Camera camera = makeCamera();
    EXPECT_EQ(camera.right, glm::vec3(1.0f, 1.0f, 1.0f));
    EXPECT_EQ(camera.direction, glm::vec3(0.0f, 1.0f, 5.0f));
    EXPECT_EQ(camera.position, glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(camera.getView(), lookAt({0, 1, 0}, {0, 1, 5}, {0, 1, 0}));
    EXPECT_EQ(camera.getProjection(), perspective(45.0f, 1.7777778f, 0.1f, 70.0f));
}

TEST(Camera, ZeroAnglesLookAlongPositiveZ)
{
    Camera camera = makeCamera();
    camera.reset();
    EXPECT_EQ(camera.horizontalAngle, 0.0f);
    EXPECT_EQ(camera.verticalAngle, 0.0f);
    camera.update();

    EXPECT_EQ(camera.direction, glm::vec3(0.0f, 0.0f, 1.0f));
    EXPECT_NEAR(camera.right.x, -1.0f, 1e-6f);
    EXPECT_EQ(camera.right.y, 0.0f);
    EXPECT_NEAR(camera.right.z, 0.0008f, 1e-5f);
    EXPECT_GT(camera.right.z, 0.0f); // 1.57 falls short of pi/2
    EXPECT_NEAR(camera.up.x, 0.0f, 1e-6f);
    EXPECT_NEAR(camera.up.y, 1.0f, 1e-6f);
    EXPECT_NEAR(camera.up.z, 0.0f, 1e-6f);
}

struct AngleCase {
    float horizontal, vertical;
    glm::vec3 direction;
};

class CameraAngles : public ::testing::TestWithParam<AngleCase> {};

TEST_P(CameraAngles, DirectionFollowsYawAndPitch)
{
    const AngleCase& c = GetParam();
    Camera camera = makeCamera();
    camera.position = {1.0f, 2.0f, 3.0f};
    camera.horizontalAngle = c.horizontal;
    camera.verticalAngle = c.vertical;
    camera.update();
    EXPECT_NEAR(camera.direction.x, c.direction.x, 1e-6f);
    EXPECT_NEAR(camera.direction.y, c.direction.y, 1e-6f);
    EXPECT_NEAR(camera.direction.z, c.direction.z, 1e-6f);
    EXPECT_NEAR(glm::length(camera.direction), 1.0f, 1e-6f);
    // The look direction is the eye's -z axis, and up stays up for the pitches the player allows.
    const glm::vec4 ahead = camera.getView() * glm::vec4(camera.position + camera.direction, 1.0f);
    EXPECT_NEAR(ahead.x, 0.0f, 1e-5f);
    EXPECT_NEAR(ahead.y, 0.0f, 1e-5f);
    EXPECT_NEAR(ahead.z, -1.0f, 1e-5f);
    const glm::vec4 above = camera.getView() * glm::vec4(camera.position + glm::vec3(0, 1, 0), 1.0f);
    EXPECT_GT(above.y, 0.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Angles, CameraAngles,
    ::testing::Values(AngleCase{0.0f, 0.0f, {0.0f, 0.0f, 1.0f}},
                      AngleCase{1.5707964f, 0.0f, {1.0f, 0.0f, -4.371139e-8f}},
                      AngleCase{3.1415927f, 0.0f, {-8.742278e-8f, 0.0f, -1.0f}},
                      AngleCase{0.0f, 1.0f, {0.0f, 0.84147098f, 0.54030231f}},
                      AngleCase{-0.5f, -1.0f, {-0.25903472f, -0.84147098f, 0.47415988f}}));

TEST(Camera, ViewProjectionIsProjectionTimesView)
{
    Camera camera = makeCamera();
    camera.position = {4.0f, 1.3f, -2.0f};
    camera.horizontalAngle = 0.7f;
    camera.verticalAngle = -0.3f;
    camera.update();
    EXPECT_EQ(camera.getViewProjection(), camera.getProjection() * camera.getView());
}

TEST(Camera, FourByThreeWindowStillGetsTheWideProjection)
{
    for (Camera camera : {makeCamera(1024.0f, 768.0f), makeCamera(1920.0f, 1080.0f)}) {
        camera.update();
        EXPECT_EQ(camera.getProjection(), perspective(45.0f, 1.7777778f, 0.1f, 70.0f));
        EXPECT_NEAR(camera.getProjection()[0][0] / camera.getProjection()[1][1], 1.0f / 1.7777778f, 1e-6f);
    }
}
