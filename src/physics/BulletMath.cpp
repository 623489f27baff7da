#include "physics/BulletMath.h"

#include "core/MatrixMath.h"

#include <glm/gtc/matrix_transform.hpp>

btTransform bodyTransformOf(const glm::mat4& matrix)
{
    const Decomposed parts = decompose(matrix);
    return btTransform(toBullet(parts.rotation), toBullet(parts.translation));
}

glm::mat4 modelMatrixOf(const btVector3& origin, const btQuaternion& rotation, const btVector3& scaling)
{
    return glm::translate(glm::mat4(1.0f), toGlm(origin)) * glm::mat4_cast(toGlm(rotation)) *
           glm::scale(glm::mat4(1.0f), toGlm(scaling));
}
