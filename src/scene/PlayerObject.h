#pragma once

#include "core/Input.h"
#include "core/Tuning.h"
#include "physics/PhysicsWorld.h"
#include "scene/MeshObject.h"

#include <limits>
#include <memory>

struct GLFWwindow;
class Camera;

// The player: a capsule body driven by W, A, S, D, space and the mouse, with
// the first-person camera on top.
class PlayerObject : public MeshObject {
public:
    // How far above its body's origin the player carries the camera.
    static constexpr float eyeHeight = tuning::eyeHeight;

    // The same inputs as MeshObject, always mass 1; replaces the mesh shape
    // by an upright capsule around the middle of the mesh as the level places
    // it: radius a quarter of its bounding sphere's, height half its height,
    // plus the caps. The mesh is drawn at half the level's scale around it.
    PlayerObject(const glm::mat4& matrix, const VertexLayout& layout, MeshObject* parent, PhysicsWorld& physics,
                 MeshData mesh);
    ~PlayerObject() override;

    // Once a frame: the mouse look, the camera on the body, the model matrix.
    void update() override;
    // Once a physics sub-step: the contact check, the walk or jump, the air
    // steer and the body's turn towards the camera's heading.
    void step(double dt) override;
    void reset() override;
    // Where reset puts the body: the capsule's centre, upright.
    glm::vec3 startPlace() const { return start; }

    // The view turns by this over tuning::mousePixelsPerRadian radians per
    // pixel of mouse travel.
    float mouseSensitivity = 1.0f;
    bool invertLook = false; // the mouse moved up looks down
    input::WalkKeys keys;

    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    GLFWwindow* window = nullptr;
    PlayerContacts contacts; // what this frame's steps found; the game clears it before them
    std::unique_ptr<Camera> camera;
    bool grounded = false;
    bool airControl = false; // a standing jump's one steer in the air is still to come
    bool moving = false;
    bool firstMouse = true; // the next focused frame only centres the cursor
    // What the last step saw, for whatever follows the player's doings (the
    // sounds): the distance walked on the ground since the step before, a jump
    // taken, and the falling speed of a landing (0 when there was none).
    float walkedThisStep = 0.0f;
    bool jumpedThisStep = false;
    float landingSpeed = 0.0f;
    // A body whose origin is below this height has fallen out of the level:
    // its step reports it as a game over.
    float fallLimit = -std::numeric_limits<float>::infinity();

private:
    struct MoveKeys;

    void turnWithMouse();
    void moveOnGround(const MoveKeys& keys);
    void steerInAir(const MoveKeys& keys);
    bool walk(const MoveKeys& keys);
    void turnBodyTowards(float heading);
    void jump();

    float fallSpeed = 0.0f; // downwards, at the last step in the air
    glm::vec3 start{0.0f};
    glm::mat4 shape{1.0f}; // the mesh's drawing around the body: the level's rotation, half its scale
};
