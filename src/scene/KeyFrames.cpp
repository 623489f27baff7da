// Key-frame interpolation, kept apart from AnimatedObject so that it links
// without GL or physics.
#include "scene/AnimatedObject.h"

#include <cmath>

KeySegment findKeySegment(const double* times, int count, double t)
{
    KeySegment segment;
    if (count < 2 || times == nullptr)
        return segment;

    int i = count - 2;
    for (int k = 0; k <= count - 2; ++k) {
        if (times[k + 1] >= t) {
            i = k;
            break;
        }
    }
    segment.index = i;

    // Two keys at the same time would divide by zero; the earlier key wins.
    const float span = static_cast<float>(times[i + 1] - times[i]);
    if (span == 0.0f)
        return segment;

    const float factor = static_cast<float>((t - times[i]) / static_cast<double>(span));
    segment.factor = factor < 0.0f ? 0.0f : factor;
    return segment;
}

namespace {

glm::vec3 interpolateVector(const glm::vec3* keys, const double* times, int count, double t, const glm::vec3& neutral)
{
    if (count <= 0 || keys == nullptr)
        return neutral;
    if (count == 1)
        return keys[0];
    const KeySegment s = findKeySegment(times, count, t);
    const float f = s.factor;
    // Exact at either key, and between two equal keys: a parked lift stays put.
    const glm::vec3 &a = keys[s.index], &b = keys[s.index + 1];
    return f == 1.0f ? b : a + (b - a) * f;
}

float dot4(const glm::quat& a, const glm::quat& b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }

} // namespace

glm::vec3 interpolatePosition(const glm::vec3* keys, const double* times, int count, double t)
{
    return interpolateVector(keys, times, count, t, glm::vec3(0.0f));
}

glm::vec3 interpolateScaling(const glm::vec3* keys, const double* times, int count, double t)
{
    return interpolateVector(keys, times, count, t, glm::vec3(1.0f));
}

glm::quat interpolateRotation(const glm::quat* keys, const double* times, int count, double t)
{
    if (count <= 0 || keys == nullptr)
        return glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    if (count == 1)
        return keys[0];
    const KeySegment s = findKeySegment(times, count, t);
    return slerpShortWay(keys[s.index], keys[s.index + 1], s.factor);
}

glm::quat slerpShortWay(glm::quat a, glm::quat b, float factor)
{
    if (dot4(a, b) < 0.0f)
        a = glm::quat(-a.w, -a.x, -a.y, -a.z);
    float d = dot4(a, b);
    if (d < 0.0f) {
        b = glm::quat(-b.w, -b.x, -b.y, -b.z);
        d = -d;
    }

    // acos is too coarse near 1: fall back to a straight line between the keys.
    if (d > 1.0f - 1.1920929e-07f) {
        return glm::quat(a.w + (b.w - a.w) * factor, a.x + (b.x - a.x) * factor, a.y + (b.y - a.y) * factor,
                         a.z + (b.z - a.z) * factor);
    }

    const double theta = std::acos(static_cast<double>(d));
    const float wa = static_cast<float>(std::sin((1.0 - factor) * theta));
    const float wb = static_cast<float>(std::sin(factor * theta));
    const float sinTheta = static_cast<float>(std::sin(theta));
    return glm::quat((wa * a.w + wb * b.w) / sinTheta, (wa * a.x + wb * b.x) / sinTheta,
                     (wa * a.y + wb * b.y) / sinTheta, (wa * a.z + wb * b.z) / sinTheta);
}

double advanceAnimationTime(double animationTime, double dt, double duration)
{
    // fmod by zero is NaN, which would poison every matrix after it.
    if (!(duration > 0.0))
        return 0.0;
    return std::fmod(animationTime + dt, duration);
}
