#include "scene/Light.h"

#include "scene/Camera.h"

#include <cmath>

namespace {

// Just over 90 degrees (tan of the half angle is 1024/1023): each face sees a
// sliver past its edges, so lookups right at a cube edge still find depth
// that was rendered for them. The lit program stretches its lookup direction
// by the same factor.
const float shadowFieldOfView = static_cast<float>(2.0 * std::atan(1024.0 / 1023.0));

glm::mat4 fromColumns(const glm::vec3& c0, const glm::vec3& c1, const glm::vec3& c2)
{
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(c0, 0.0f);
    m[1] = glm::vec4(c1, 0.0f);
    m[2] = glm::vec4(c2, 0.0f);
    return m;
}

// Cube-face rotations in GL face order (+X, -X, +Y, -Y, +Z, -Z): each is the
// look-at basis for that face's direction and up vector.
const glm::mat4 faceRotations[6] = {
    fromColumns({0, 0, -1}, {0, -1, 0}, {-1, 0, 0}), fromColumns({0, 0, 1}, {0, -1, 0}, {1, 0, 0}),
    fromColumns({1, 0, 0}, {0, 0, -1}, {0, 1, 0}),   fromColumns({1, 0, 0}, {0, 0, 1}, {0, -1, 0}),
    fromColumns({1, 0, 0}, {0, -1, 0}, {0, 0, -1}),  fromColumns({-1, 0, 0}, {0, -1, 0}, {0, 0, 1}),
};

} // namespace

Light::Light(const glm::vec3& position, const glm::vec3& color, float power)
    : position(position), startPosition(position), color(color), power(power)
{
    updateShadowTransforms();
}

LitLight Light::litLight() const { return {position, color, power, nearPlane, farPlane, unit}; }

ShadowLight Light::shadowLight() const
{
    ShadowLight view{position, nearPlane, farPlane, {}};
    for (size_t face = 0; face < view.faceMatrices.size() && face < shadowTransforms.size(); ++face)
        view.faceMatrices[face] = shadowProjection * shadowTransforms[face];
    return view;
}

void Light::updateShadowTransforms()
{
    shadowTransforms.clear();

    glm::mat4 toLight(1.0f);
    toLight[3] = glm::vec4(-position, 1.0f);

    nearPlane = 0.0f;
    farPlane = 100.0f;
    shadowProjection = perspective(shadowFieldOfView, 1.0f, 0.0f, 100.0f);

    for (const glm::mat4& rotation : faceRotations)
        shadowTransforms.push_back(rotation * toLight);
}
