// The pure maths under the scene: camera, frustum culling and bounding
// spheres. (The projection shapes every golden view; the lights' cube-face
// matrices are checked by the GL shadow tests, which render each face.)
#include "core/Tuning.h"
#include "scene/BoundingSphere.h"
#include "scene/Camera.h"
#include "scene/ViewFrustum.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

namespace {

void expectNear(const glm::vec4& actual, const glm::vec4& expected, float tolerance = 1e-5f)
{
    EXPECT_LT(glm::length(actual - expected), tolerance) << actual.x << " " << actual.y << " " << actual.z;
}

} // namespace

// Yaw 0 looks along +z, positive yaw turns towards +x, positive pitch up; the
// look direction is the eye's -z and up stays up. A 4:3 window still gets the
// 16:9 projection.
TEST(SceneMaths, CameraLooksWhereItsAnglesPoint)
{
    const struct {
        float horizontal, vertical;
        glm::vec3 direction;
    } rows[] = {{0.0f, 0.0f, {0, 0, 1}},
                {1.5707964f, 0.0f, {1, 0, 0}},
                {-0.5f, -1.0f, {-0.25903472f, -0.84147098f, 0.47415988f}}};
    for (const auto& row : rows) {
        Camera camera(tuning::verticalFieldOfView, 1024.0f, 768.0f, {0, 1, 5}, {0, 1, 0}, {0, 1, 0}, 237.0f, 131.0f);
        camera.position = {1, 2, 3};
        camera.horizontalAngle = row.horizontal;
        camera.verticalAngle = row.vertical;
        camera.update();
        expectNear(glm::vec4(camera.direction, 0), glm::vec4(row.direction, 0));
        expectNear(camera.getView() * glm::vec4(camera.position + camera.direction, 1), {0, 0, -1, 1});
        EXPECT_GT((camera.getView() * glm::vec4(camera.position + glm::vec3(0, 1, 0), 1)).y, 0.0f);
        EXPECT_EQ(camera.getViewProjection(),
                  perspective(tuning::verticalFieldOfView, 1.7777778f, 0.1f, 70.0f) * camera.getView());
    }
}

// A 90 degree view from the origin down -z, near 1, far 10; spheres of radius 1.
TEST(SceneMaths, FrustumPlanesCullOnlySpheresWhollyOutside)
{
    ViewFrustum frustum;
    extractFrustumPlanes(frustum, glm::perspective(glm::radians(90.0f), 1.0f, 1.0f, 10.0f), glm::mat4(1.0f));

    const glm::mat4 identity(1.0f), up5 = glm::translate(identity, {0, 5, 0});
    const struct {
        glm::vec3 center;
        float maxScale;
        glm::mat4 model;
        bool visible;
    } rows[] = {
        {{0, 0, -5}, 1, identity, true},      {{4.5f, 0, -5}, 1, identity, true},
        {{-6.5f, 0, -5}, 1, identity, false}, {{0, -6.5f, -5}, 1, identity, false},
        {{0, 0, -10.99f}, 1, identity, true}, {{0, 0, -11.01f}, 1, identity, false}, // a radius beyond far
        {{0, 0, 0.5f}, 1, identity, false},   {{20, 20, 20}, 1, identity, false},    // outside several
        {{0, 0, -11.5f}, 2, identity, true},  {{0, -5, -5}, 1, up5, true},           // maxScale grows the radius
        {{0, 2, -5}, 1, up5, false},                                                 // the model moves the centre
    };
    for (const auto& row : rows)
        EXPECT_EQ(frustumTest(frustum, row.model, BoundingSphere{row.center, 1, 1}, row.maxScale), row.visible)
            << row.center.x << " " << row.center.y << " " << row.center.z;
    frustum.cullingEnabled = false;
    EXPECT_TRUE(frustumTest(frustum, identity, BoundingSphere{{100, 100, 100}, 1, 1}, 1.0f));
}

// Ritter's sphere: the widest axis pair (x before y before z on ties) gives
// the start, then it grows towards each point outside.
TEST(SceneMaths, BoundingSpheres)
{
    const struct {
        std::vector<glm::vec3> points;
        glm::vec3 center;
        float radius;
    } rows[] = {
        {{{0, 0, 0}, {4, 0, 0}, {2, 3, 0}}, {2, 0.5f, 0}, 2.5f},
        {{{0, 0, 0}, {5, 0, 0}, {3, 4, 0}}, {2.5949566f, 0.7596526f, 0.0f}, 3.2655644f},
        {{{0, 0, 0}, {0, 3, 0}, {0, 0, 3}}, {0.0f, 1.0854102f, 0.8291796f}, 2.4270510f},
    };
    for (const auto& row : rows) {
        const BoundingSphere sphere = computeBoundingSphere(row.points);
        expectNear(glm::vec4(sphere.center, sphere.radius), glm::vec4(row.center, row.radius));
        EXPECT_FLOAT_EQ(sphere.radiusSquared, row.radius * row.radius);
    }
}
