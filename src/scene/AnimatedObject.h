#pragma once

#include "scene/ImportObject.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cstdint>

// Key frames of one animated node. Times and duration are in seconds; the
// arrays belong to the importer.
struct AnimationKeys {
    int32_t positionKeyCount = 0;
    int32_t rotationKeyCount = 0;
    int32_t scalingKeyCount = 0;
    glm::vec3* positionKeys = nullptr;
    glm::quat* rotationKeys = nullptr;
    glm::vec3* scalingKeys = nullptr;
    double* positionTimes = nullptr;
    double* rotationTimes = nullptr;
    double* scalingTimes = nullptr;
    double duration = 0.0;
};

// Where time t falls in a track of `count` keys: segment [index, index + 1] and
// the factor along it (raised to 0 below the first key, unbounded above).
struct KeySegment {
    int index = 0;
    float factor = 0.0f;
};
KeySegment findKeySegment(const double* times, int count, double t);

// Track values at time t. A track with no keys gives its neutral value
// (position 0, identity rotation, scale 1); one key holds its value.
glm::vec3 interpolatePosition(const glm::vec3* keys, const double* times, int count, double t);
glm::vec3 interpolateScaling(const glm::vec3* keys, const double* times, int count, double t);
// Short-way slerp, linear (unnormalised) for nearly equal keys.
glm::quat interpolateRotation(const glm::quat* keys, const double* times, int count, double t);
glm::quat slerpShortWay(glm::quat a, glm::quat b, float factor);

// The animation clock after advancing by dt, looping over `duration`; a
// duration of 0 (or less) holds the animation at time 0.
double advanceAnimationTime(double animationTime, double dt, double duration);

// A mesh that plays its key-framed animation in a loop and carries its static
// body along.
class AnimatedObject : public ImportObject {
public:
    AnimatedObject(const glm::mat4& matrix, Shader* shader, Shader* depthShader, ImportObject* parent,
                   btTriangleMesh* triangleMesh, PhysicsWorld* physics, std::vector<glm::vec3> triangleCorners,
                   MeshData mesh, AnimationKeys keys);

    void update(double frameTime) override;

    AnimationKeys keys;
    double animationTime = 0.0;
};
