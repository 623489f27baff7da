#include "scene/BoundingSphere.h"

#include <cmath>

namespace {

float squaredDistance(const glm::vec3& a, const glm::vec3& b)
{
    const glm::vec3 d = b - a;
    return d.x * d.x + d.y * d.y + d.z * d.z;
}

// The smallest and largest coordinate on each axis and the points that gave
// them; the earliest point keeps a tie.
void findExtremes(const std::vector<glm::vec3>& points, BoundingSphere& sphere)
{
    for (int axis = 0; axis < 3; ++axis) {
        sphere.minimum[axis] = points[0][axis];
        sphere.maximum[axis] = points[0][axis];
        sphere.minimumIndex[axis] = 0;
        sphere.maximumIndex[axis] = 0;
    }
    for (size_t i = 1; i < points.size(); ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            const float v = points[i][axis];
            if (v < sphere.minimum[axis]) {
                sphere.minimum[axis] = v;
                sphere.minimumIndex[axis] = static_cast<int32_t>(i);
            } else if (v > sphere.maximum[axis]) {
                sphere.maximum[axis] = v;
                sphere.maximumIndex[axis] = static_cast<int32_t>(i);
            }
        }
    }
}

// The axis whose two extreme points lie furthest apart; ties go to x before y
// before z.
int widestAxis(const std::vector<glm::vec3>& points, const BoundingSphere& sphere)
{
    float spread[3];
    for (int axis = 0; axis < 3; ++axis)
        spread[axis] = squaredDistance(points[sphere.minimumIndex[axis]], points[sphere.maximumIndex[axis]]);
    if (spread[0] >= spread[1] && spread[0] >= spread[2])
        return 0;
    if (spread[1] >= spread[0] && spread[1] >= spread[2])
        return 1;
    return 2;
}

// Each point outside moves the sphere towards it and grows it just enough.
void growToTake(const std::vector<glm::vec3>& points, BoundingSphere& sphere)
{
    for (const glm::vec3& p : points) {
        const float d2 = squaredDistance(sphere.center, p);
        if (d2 > sphere.radiusSquared) {
            const float d = std::sqrt(d2);
            const float grown = (sphere.radius + d) * 0.5f;
            sphere.radius = grown;
            sphere.radiusSquared = grown * grown;
            sphere.center += (p - sphere.center) * ((d - grown) / d);
        }
    }
}

} // namespace

BoundingSphere computeBoundingSphere(const std::vector<glm::vec3>& points)
{
    BoundingSphere sphere;
    if (points.empty())
        return sphere;

    findExtremes(points, sphere);
    const int axis = widestAxis(points, sphere);
    const glm::vec3& low = points[sphere.minimumIndex[axis]];
    const glm::vec3& high = points[sphere.maximumIndex[axis]];
    sphere.center = low + (high - low) * 0.5f;
    sphere.radiusSquared = squaredDistance(sphere.center, high);
    sphere.radius = std::sqrt(sphere.radiusSquared);
    growToTake(points, sphere);
    return sphere;
}
