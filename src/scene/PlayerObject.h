#pragma once

#include "physics/PhysicsWorld.h"
#include "scene/ImportObject.h"

#include <memory>

struct GLFWwindow;
class Camera;

// The player: a capsule body driven by W, A, S, D, space and the mouse, with
// the first-person camera on top.
class PlayerObject : public ImportObject {
public:
    // How far above its body's origin the player carries the camera.
    static constexpr float eyeHeight = 1.3f;

    // The same inputs as ImportObject, always mass 1; replaces the mesh shape
    // by a capsule made from the bounding sphere.
    PlayerObject(const glm::mat4& matrix, Shader* shader, Shader* depthShader, ImportObject* parent,
                 PhysicsWorld* physics, MeshData mesh);
    ~PlayerObject() override;

    void update(double frameTime) override;
    void reset() override;

    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    GLFWwindow* window = nullptr;
    PlayerContacts contacts; // what this frame's contact check found
    std::unique_ptr<Camera> camera;
    bool inputEnabled = true;
    bool grounded = false;
    bool airControl = false; // a standing jump's one steer in the air is still to come
    bool moving = false;
    bool firstMouse = true;

private:
    struct MoveKeys;

    // Mouse look, the contact check, the walk or jump, and the body's turn.
    void handleInput(float frameTime);
    float turnWithMouse(float frameTime);
    void moveOnGround(const MoveKeys& keys);
    void steerInAir(const MoveKeys& keys);
    bool walk(const MoveKeys& keys);
    void turnBodyTowards(float heading);
    void jump();
};
