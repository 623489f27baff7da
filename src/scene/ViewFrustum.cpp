#include "scene/ViewFrustum.h"

#include "scene/BoundingSphere.h"

#include <cmath>

namespace {

glm::vec4 row(const glm::mat4& m, int r) { return glm::vec4(m[0][r], m[1][r], m[2][r], m[3][r]); }

glm::vec4 normalisedPlane(const glm::vec4& plane)
{
    const float length = std::sqrt(plane.x * plane.x + plane.y * plane.y + plane.z * plane.z);
    return plane / length;
}

} // namespace

void extractFrustumPlanes(ViewFrustum& frustum, const glm::mat4& projection, const glm::mat4& view)
{
    const glm::mat4 m = projection * view;
    const glm::vec4 row0 = row(m, 0);
    const glm::vec4 row1 = row(m, 1);
    const glm::vec4 row2 = row(m, 2);
    const glm::vec4 row3 = row(m, 3);

    frustum.planes[0] = normalisedPlane(row3 - row0); // right
    frustum.planes[1] = normalisedPlane(row3 + row0); // left
    frustum.planes[2] = normalisedPlane(row3 + row1); // bottom
    frustum.planes[3] = normalisedPlane(row3 - row1); // top
    frustum.planes[4] = normalisedPlane(row3 - row2); // far
    frustum.planes[5] = normalisedPlane(row3 + row2); // near
}

bool frustumTest(const ViewFrustum& frustum, const glm::mat4& model, const BoundingSphere& sphere, float maxScale)
{
    if (!frustum.cullingEnabled)
        return true;
    const glm::vec4 c = model * glm::vec4(sphere.center, 1.0f);
    const float r = sphere.radius * maxScale;
    for (const glm::vec4& p : frustum.planes) {
        if (p.x * c.x + p.y * c.y + p.z * c.z + p.w <= -r)
            return false;
    }
    return true;
}
