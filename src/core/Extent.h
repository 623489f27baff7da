#pragma once

#include <glm/glm.hpp>

// An axis-aligned box in world space.
struct Extent {
    glm::vec3 low{0.0f};
    glm::vec3 high{0.0f};
};
