#pragma once

#include "render/LitPass.h"
#include "render/ShadowPass.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

// A point light: where it is, its colour and power, the texture unit its
// shadow cube map is read from, and the matrices the map is rendered with.
struct Light {
    // Computes the shadow matrices right away.
    Light(const glm::vec3& position, const glm::vec3& color, float power);

    // Recomputes the shadow projection (near 0, far 100, just over 90 degrees)
    // and the six cube-face view matrices from `position`.
    void updateShadowTransforms();

    // The light as the lit pass and the shadow pass take it.
    LitLight litLight() const;
    ShadowLight shadowLight() const;

    glm::vec3 position;
    glm::vec3 startPosition; // where the level put it; a level reset puts it back
    glm::vec3 color;
    float power;       // the lit program receives tuning::lightPowerScale times this
    int32_t unit = -1; // texture unit of the cube map, -1 until added to a level
    float nearPlane = 0.0f;
    float farPlane = 100.0f;
    std::vector<glm::mat4> shadowTransforms; // +X, -X, +Y, -Y, +Z, -Z
    glm::mat4 shadowProjection{1.0f};
};
