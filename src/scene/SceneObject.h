#pragma once

#include <glm/glm.hpp>

struct ViewFrustum;

namespace kirn::scene {

// Everything the game draws: two model matrices, an update and a draw.
class SceneObject {
public:
    explicit SceneObject(const glm::mat4& matrix) : modelMatrix(matrix), initialModelMatrix(matrix) {}
    virtual ~SceneObject() = default;

    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    virtual void update(double frameTime) = 0;
    virtual void draw(ViewFrustum* frustum) = 0;

    glm::mat4 modelMatrix;        // object to world, uploaded as "modelMatrix"
    glm::mat4 initialModelMatrix; // the placement reset returns to
};

} // namespace kirn::scene
