#pragma once

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

// A model matrix split into its parts: scale = lengths of the first three
// columns, translation = the fourth column, rotation = the unit quaternion of
// the columns divided by their scales. Shear and perspective are ignored.
struct Decomposed {
    glm::vec3 scale{1.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 translation{0.0f};
};

Decomposed decompose(const glm::mat4& matrix);
