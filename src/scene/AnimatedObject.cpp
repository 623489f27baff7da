#include "scene/AnimatedObject.h"

#include "physics/PhysicsWorld.h"
#include "physics/BulletMath.h"
#include "physics/RigidBody.h"
#include "core/MatrixMath.h"

#include <btBulletDynamicsCommon.h>
#include <glm/gtc/matrix_transform.hpp>


AnimatedObject::AnimatedObject(const glm::mat4& matrix, Shader* shader, Shader* depthShader, ImportObject* parent,
                               btTriangleMesh* triangleMesh, PhysicsWorld* physics,
                               std::vector<glm::vec3> triangleCorners, MeshData mesh, AnimationKeys keys)
    : ImportObject(matrix, shader, depthShader, parent, triangleMesh, physics, 0, std::move(triangleCorners),
                   std::move(mesh)),
      keys(keys), animationTime(0.0)
{
}

void AnimatedObject::update(double frameTime)
{
    animationTime = advanceAnimationTime(animationTime, frameTime, keys.duration);
    const double t = animationTime;

    const glm::vec3 p = interpolatePosition(keys.positionKeys, keys.positionTimes, keys.positionKeyCount, t);
    const glm::quat q = interpolateRotation(keys.rotationKeys, keys.rotationTimes, keys.rotationKeyCount, t);
    const glm::vec3 s = interpolateScaling(keys.scalingKeys, keys.scalingTimes, keys.scalingKeyCount, t);

    // mat4_cast is the plain quaternion formula; the keys are not normalised.
    const glm::mat4 local = glm::translate(glm::mat4(1.0f), p) * glm::mat4_cast(q) * glm::scale(glm::mat4(1.0f), s);
    modelMatrix = parent ? parent->modelMatrix * local : local;

    const Decomposed parts = decompose(modelMatrix);
    orientation = parts.rotation;

    const btVector3 previousScaling = collisionShape->getLocalScaling();
    collisionShape->setLocalScaling(toBullet(parts.scale));
    const btVector3 scaling = collisionShape->getLocalScaling();
    maxScale = largestComponent(scaling);

    const btTransform placement(toBullet(parts.rotation), toBullet(parts.translation));
    const bool moved = !(rigidBody->getWorldTransform() == placement) || !(previousScaling == scaling);
    rigidBody->setWorldTransform(placement);
    // A block that fell asleep on a lift would stay where it is while the lift
    // moves away or up through it.
    if (moved)
        wakeBodiesAround(physics, rigidBody);
}
