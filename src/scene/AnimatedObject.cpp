#include "scene/AnimatedObject.h"

#include "core/MatrixMath.h"
#include "physics/BulletMath.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"

#include <btBulletDynamicsCommon.h>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>

AnimatedObject::AnimatedObject(const glm::mat4& matrix, const VertexLayout& layout, MeshObject* parent,
                               PhysicsWorld& physics, MeshData mesh, AnimationKeys keys,
                               const glm::mat4& groupTransform)
    : MeshObject(matrix, layout, parent, physics, 0, std::move(mesh)), keys(std::move(keys)),
      groupTransform(groupTransform)
{
}

namespace {

// Less than this (metres, or radians) is no motion: rounding in a parked
// object's matrices wobbles in the last bits.
constexpr btScalar motionTolerance = 1e-5f;

// The rotations compared as unit quaternions, q and -q alike: acos would
// blow a last-bit difference up to a thousandth of a radian.
bool nearlyEqual(const btTransform& a, const btTransform& b)
{
    const btQuaternion p = a.getRotation(), q = b.getRotation();
    return a.getOrigin().distance(b.getOrigin()) <= motionTolerance &&
           std::min((p - q).length(), (p + q).length()) <= motionTolerance;
}

} // namespace

void AnimatedObject::step(double dt)
{
    animationTime = advanceAnimationTime(animationTime, dt, keys.duration);
    const double t = animationTime;

    const glm::vec3 p =
        interpolatePosition(keys.position.values.data(), keys.position.times.data(), keys.position.count(), t);
    const glm::quat q =
        interpolateRotation(keys.rotation.values.data(), keys.rotation.times.data(), keys.rotation.count(), t);
    const glm::vec3 s =
        interpolateScaling(keys.scaling.values.data(), keys.scaling.times.data(), keys.scaling.count(), t);

    // mat4_cast is the plain quaternion formula; the keys are not normalised.
    const glm::mat4 local = glm::translate(glm::mat4(1.0f), p) * glm::mat4_cast(q) * glm::scale(glm::mat4(1.0f), s);
    modelMatrix = (parent ? parent->modelMatrix : glm::mat4(1.0f)) * groupTransform * local;

    const Decomposed parts = decompose(modelMatrix);
    orientation = parts.rotation;

    btCollisionShape& shape = *rigidBody->getCollisionShape();
    const btVector3 previousScaling = shape.getLocalScaling();
    shape.setLocalScaling(toBullet(parts.scale));
    const btVector3 scaling = shape.getLocalScaling();
    maxScale = largestComponent(scaling);

    const btTransform placement(toBullet(parts.rotation), toBullet(parts.translation));
    const bool moved = !nearlyEqual(rigidBody->getWorldTransform(), placement) ||
                       (scaling - previousScaling).length() > motionTolerance;
    rigidBody->setWorldTransform(placement);
    moving = moved;
    // A block that fell asleep on a lift would stay where it is while the lift
    // moves away or up through it.
    if (moved)
        physics->wakeBodiesAround(*rigidBody);
}
