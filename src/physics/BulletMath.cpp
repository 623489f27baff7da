#include "physics/BulletMath.h"

#include "scene/MatrixMath.h"

btTransform bodyTransformOf(const glm::mat4& matrix)
{
    const Decomposed parts = decompose(matrix);
    return btTransform(toBullet(parts.rotation), toBullet(parts.translation));
}
