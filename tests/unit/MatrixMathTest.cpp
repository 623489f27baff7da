#include "physics/BulletMath.h"
#include "core/MatrixMath.h"

#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace {

struct DecomposeCase {
    const char* label;
    glm::vec3 translation;
    glm::vec3 axis;
    float angle;
    glm::vec3 scale;
};

const DecomposeCase decomposeCases[] = {
    {"identity", {0, 0, 0}, {0, 1, 0}, 0.0f, {1, 1, 1}},
    {"translation only", {4, -2, 7.5f}, {0, 1, 0}, 0.0f, {1, 1, 1}},
    {"rotation about y", {0, 0, 0}, {0, 1, 0}, 1.2f, {1, 1, 1}},
    {"uniform scale", {1, 2, 3}, {1, 0, 0}, 0.4f, {2.5f, 2.5f, 2.5f}},
    {"non-uniform scale", {-3, 0.5f, 9}, {1, 2, -1}, 2.3f, {0.5f, 3, 7}},
    {"half turn", {1, 1, 1}, {0, 0, 1}, 3.14159265f, {2, 1, 0.25f}},
};

// q and -q are the same rotation.
float quatDistance(const glm::quat& a, const glm::quat& b)
{
    return 1.0f - std::fabs(glm::dot(a, b));
}

TEST(Decompose, RoundTripsTranslateRotateScale)
{
    for (const DecomposeCase& c : decomposeCases) {
        SCOPED_TRACE(c.label);
        const glm::quat rotation = glm::angleAxis(c.angle, glm::normalize(c.axis));
        const glm::mat4 matrix = glm::translate(glm::mat4(1.0f), c.translation) * glm::mat4_cast(rotation) *
                                 glm::scale(glm::mat4(1.0f), c.scale);

        const Decomposed parts = decompose(matrix);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(parts.scale[i], c.scale[i], 1e-5f) << "scale " << i;
            EXPECT_NEAR(parts.translation[i], c.translation[i], 1e-5f) << "translation " << i;
        }
        EXPECT_NEAR(glm::length(parts.rotation), 1.0f, 1e-5f);
        EXPECT_LT(quatDistance(parts.rotation, rotation), 1e-5f);

        const glm::mat4 rebuilt = glm::translate(glm::mat4(1.0f), parts.translation) *
                                  glm::mat4_cast(parts.rotation) * glm::scale(glm::mat4(1.0f), parts.scale);
        for (int col = 0; col < 4; ++col)
            for (int row = 0; row < 4; ++row)
                EXPECT_NEAR(rebuilt[col][row], matrix[col][row], 1e-4f) << "element " << col << "," << row;
    }
}

TEST(Decompose, RotationIsTheMatrixOwnNotItsInverse)
{
    // A quarter turn about +y carries +x to -z.
    const glm::mat4 matrix = glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(0, 1, 0)) *
                             glm::scale(glm::mat4(1.0f), glm::vec3(3, 1, 2));
    const glm::vec3 turned = decompose(matrix).rotation * glm::vec3(1, 0, 0);
    EXPECT_NEAR(turned.x, 0.0f, 1e-5f);
    EXPECT_NEAR(turned.y, 0.0f, 1e-5f);
    EXPECT_NEAR(turned.z, -1.0f, 1e-5f);
}

TEST(Decompose, CollapsedAxisGivesFiniteRotation)
{
    const glm::mat4 matrix = glm::scale(glm::mat4(1.0f), glm::vec3(2, 0, 1));
    const Decomposed parts = decompose(matrix);
    EXPECT_FLOAT_EQ(parts.scale.y, 0.0f);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(std::isfinite(parts.rotation[i])) << i;
    EXPECT_NEAR(glm::length(parts.rotation), 1.0f, 1e-5f);
}

TEST(BodyTransformOf, KeepsRotationAndTranslationDropsScale)
{
    const glm::quat rotation = glm::angleAxis(0.8f, glm::normalize(glm::vec3(1, 1, 0)));
    const glm::mat4 matrix = glm::translate(glm::mat4(1.0f), glm::vec3(5, -1, 2)) * glm::mat4_cast(rotation) *
                             glm::scale(glm::mat4(1.0f), glm::vec3(4, 0.5f, 2));

    const btTransform transform = bodyTransformOf(matrix);
    EXPECT_NEAR(transform.getOrigin().x(), 5.0f, 1e-5f);
    EXPECT_NEAR(transform.getOrigin().y(), -1.0f, 1e-5f);
    EXPECT_NEAR(transform.getOrigin().z(), 2.0f, 1e-5f);
    EXPECT_LT(quatDistance(toGlm(transform.getRotation()), rotation), 1e-5f);

    // Scale-free: every basis column has unit length.
    const btMatrix3x3& basis = transform.getBasis();
    for (int col = 0; col < 3; ++col)
        EXPECT_NEAR(basis.getColumn(col).length(), 1.0f, 1e-5f) << col;
}

} // namespace
