#pragma once

#include <glm/glm.hpp>

class LitPass;
struct ViewFrustum;

namespace kirn::scene {

// Everything the game draws: two model matrices, an update and a draw.
class SceneObject {
public:
    explicit SceneObject(const glm::mat4& matrix) : modelMatrix(matrix), initialModelMatrix(matrix) {}
    virtual ~SceneObject() = default;

    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    // Once a frame, after the physics step.
    virtual void update() = 0;
    // Hands what it shows to the lit pass; `frustum` (or none) culls.
    virtual void draw(LitPass& pass, const ViewFrustum* frustum) const = 0;

    glm::mat4 modelMatrix;        // object to world, uploaded as "modelMatrix"
    glm::mat4 initialModelMatrix; // the placement reset returns to
};

} // namespace kirn::scene
