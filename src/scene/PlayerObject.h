#pragma once

#include "physics/PhysicsWorld.h"
#include "scene/ImportObject.h"

#include <memory>

struct GLFWwindow;
class Camera;

// Walking speed; set to 5 every frame, scaled by 0.3 in place for an air steer.
extern float moveSpeed;

// The player: a capsule body driven by W, A, S, D, space and the mouse, with
// the first-person camera on top.
class PlayerObject : public ImportObject {
public:
    // How far above its body's origin the player carries the camera.
    static constexpr float eyeHeight = 1.3f;

    // The same inputs as ImportObject (mass 1); replaces the mesh shape by a
    // capsule made from the bounding sphere.
    PlayerObject(const glm::mat4& matrix, Shader* shader, Shader* depthShader, ImportObject* parent,
                 btTriangleMesh* triangleMesh, PhysicsWorld* physics, int mass,
                 std::vector<glm::vec3> triangleCorners, MeshData mesh);
    ~PlayerObject() override;

    void update(double frameTime) override;
    void reset() override;
    virtual void handleInput(float frameTime);

    void moveForward();
    void moveBackward();
    void moveLeft();
    void moveRight();
    void moveForwardRight();
    void moveForwardLeft();
    void jump();

    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    GLFWwindow* window = nullptr;
    PlayerContacts contacts; // what this frame's contact check found
    std::unique_ptr<Camera> camera;
    bool inputEnabled = true;
    bool grounded = false;
    bool airControl = false;
    bool moving = false;
    bool firstMouse = true;
};
