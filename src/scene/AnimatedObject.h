#pragma once

#include "scene/MeshObject.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cstdint>
#include <vector>

// One track of key frames: values and their times in seconds, equally long.
template <typename Value> struct KeyTrack {
    std::vector<Value> values;
    std::vector<double> times;

    int count() const { return static_cast<int>(values.size()); }
};

// Key frames of one animated node; the duration is in seconds.
struct AnimationKeys {
    KeyTrack<glm::vec3> position;
    KeyTrack<glm::quat> rotation;
    KeyTrack<glm::vec3> scaling;
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
class AnimatedObject : public MeshObject {
public:
    // `groupTransform`: the transforms of the group nodes between the parent
    // object (or the level's origin) and the node the keys animate.
    AnimatedObject(const glm::mat4& matrix, const VertexLayout& layout, MeshObject* parent, PhysicsWorld& physics,
                   MeshData mesh, AnimationKeys keys, const glm::mat4& groupTransform = glm::mat4(1.0f));

    // The animation runs on physics time, one sub-step at a time, so that
    // what rides the body moves with it at any frame rate.
    void step(double dt) override;
    // Nothing: the model matrix follows the animation, set at each step.
    void update() override {}

    AnimationKeys keys;
    double animationTime = 0.0;
    bool moving = false; // the last step moved, turned or scaled the body by more than rounding
    glm::mat4 groupTransform{1.0f};
};
