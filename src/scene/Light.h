#pragma once

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

// A point light. Near and far lead the record: the passes upload them together.
struct Light {
    // Computes the shadow matrices right away.
    Light(const glm::vec3& position, const glm::vec3& color, float power);

    // Recomputes the shadow projection (near 0, far 100, just over 90 degrees)
    // and the six cube-face view matrices from `position`.
    void updateShadowTransforms();

    float nearPlane = 0.0f;
    float farPlane = 100.0f;
    glm::vec3 position;
    glm::vec3 color;
    float power;         // the shader receives 4 × this
    GLint depthMap = -1; // shadow cube map, -1 until a shadow pass rendered it
    int32_t unit = -1;   // texture unit of the cube map, -1 until added to a level
    std::vector<glm::mat4> shadowTransforms; // +X, -X, +Y, -Y, +Z, -Z
    glm::mat4 shadowProjection{1.0f};
};
