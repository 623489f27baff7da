#pragma once

#include <LinearMath/btQuaternion.h>
#include <LinearMath/btTransform.h>
#include <LinearMath/btVector3.h>
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

// Conversions between the maths types of GLM and of the physics library.
inline btVector3 toBullet(const glm::vec3& v) { return btVector3(v.x, v.y, v.z); }
inline btQuaternion toBullet(const glm::quat& q) { return btQuaternion(q.x, q.y, q.z, q.w); }
inline glm::vec3 toGlm(const btVector3& v) { return glm::vec3(v.x(), v.y(), v.z()); }
inline glm::quat toGlm(const btQuaternion& q) { return glm::quat(q.w(), q.x(), q.y(), q.z()); }

// Rotation and translation of `matrix` as a body transform (scale dropped).
btTransform bodyTransformOf(const glm::mat4& matrix);

// The model matrix of a body: translate(origin) × rotate(rotation) × scale(scaling),
// where the scaling is its shape's local scaling.
glm::mat4 modelMatrixOf(const btVector3& origin, const btQuaternion& rotation, const btVector3& scaling);

// The largest of a shape's three scaling factors, for bounding-sphere radii.
inline float largestComponent(const btVector3& v) { return v[v.maxAxis()]; }
