#include "scene/PlayerObject.h"

#include "core/Input.h"
#include "physics/PhysicsWorld.h"
#include "physics/BulletMath.h"
#include "physics/RigidBody.h"
#include "scene/Camera.h"

#include <GLFW/glfw3.h>
#include <btBulletDynamicsCommon.h>

#include <algorithm>
#include <cmath>

float moveSpeed = 5.0f;

namespace {

constexpr double fullTurn = 6.2831853072;
constexpr float walkSpeed = 5.0f;
constexpr float airSteerFactor = 0.3f;
constexpr float jumpSpeed = 6.0f;
constexpr float headingGain = 10.0f;
// The movement table is written for the heading minus this (not quite pi/2).
constexpr float quarterTurn = 1.57f;

// The float sum wrapped by a double fmod, which keeps the sign of the sum.
float wrapAngle(float sum) { return static_cast<float>(std::fmod(static_cast<double>(sum), fullTurn)); }

struct Planar {
    float x;
    float z;
};

// Shared by the six movement operations: `direction` gives (x, z) per unit
// speed from sin a and cos a, with a = heading - 1.57.
void applyMovement(PlayerObject& player, Planar (*direction)(float, float))
{
    player.rigidBody->setDamping(0.0f, 0.0f);
    const float a = player.camera->horizontalAngle - quarterTurn;
    float vy = 0.0f;
    if (player.airControl) {
        moveSpeed *= airSteerFactor;
        vy = player.rigidBody->getLinearVelocity().y();
    }
    const float speed = moveSpeed;
    const Planar p = direction(std::sin(a), std::cos(a));
    player.rigidBody->setLinearVelocity(btVector3(p.x * speed, vy, p.z * speed));
}

} // namespace

PlayerObject::PlayerObject(const glm::mat4& matrix, Shader* shader, Shader* depthShader, ImportObject* parent,
                           btTriangleMesh* triangleMesh, PhysicsWorld* physics, int mass,
                           std::vector<glm::vec3> triangleCorners, MeshData mesh)
    : ImportObject(matrix, shader, depthShader, parent, triangleMesh, physics, mass, std::move(triangleCorners),
                   std::move(mesh))
{
    // A capsule glides over steps and seams where the mesh hull would catch.
    const float radius = 0.5f * boundingSphere.radius;
    const float height = std::fabs(boundingSphere.minimum[1] - boundingSphere.maximum[1]);
    auto* capsule = new btCapsuleShape(radius, height);
    capsule->setLocalScaling(btVector3(0.5f * scale.x, 0.5f * scale.y, 0.5f * scale.z));
    rigidBody->setCollisionShape(capsule);
    collisionShape = capsule;
    physics->adoptShape(capsule);
}

PlayerObject::~PlayerObject() = default;

void PlayerObject::update(double frameTime)
{
    rigidBody->setAngularFactor(btVector3(0.0f, 0.0f, 0.0f));

    btTransform transform;
    rigidBody->getMotionState()->getWorldTransform(transform);
    const btVector3 origin = transform.getOrigin();
    if (camera)
        camera->position = glm::vec3(origin.x(), origin.y() + eyeHeight, origin.z());

    // Without a camera there is no heading to walk along.
    if (inputEnabled && camera)
        handleInput(static_cast<float>(frameTime));

    const btVector3 scaling = collisionShape->getLocalScaling();
    maxScale = largestComponent(scaling);
    modelMatrix = modelMatrixOf(origin, rigidBody->getOrientation(), scaling);
}

void PlayerObject::handleInput(float frameTime)
{
    const float dt = frameTime;

    const double centreX = static_cast<double>(windowWidth / 2);
    const double centreY = static_cast<double>(windowHeight / 2);
    double mouseX = centreX;
    double mouseY = centreY;
    if (input::isFocused(window)) {
        if (firstMouse)
            firstMouse = false;
        else
            input::getCursorPos(window, &mouseX, &mouseY);
        input::setCursorPos(window, centreX, centreY);
    }

    const float dx = static_cast<float>(centreX - mouseX);
    const float dy = static_cast<float>(centreY - mouseY);
    camera->horizontalAngle = wrapAngle(camera->horizontalAngle + dt * dx);
    camera->verticalAngle = wrapAngle(camera->verticalAngle + dt * dy);
    if (camera->verticalAngle >= 1.0f)
        camera->verticalAngle = 1.0f;
    else if (camera->verticalAngle <= -1.0f)
        camera->verticalAngle = -1.0f;
    const float heading = camera->horizontalAngle;

    grounded = false;
    contacts = physics->findPlayerContacts(rigidBody);
    if (contacts.grounded)
        grounded = true;

    moveSpeed = walkSpeed;

    const bool w = input::isPressed(window, GLFW_KEY_W);
    const bool a = input::isPressed(window, GLFW_KEY_A);
    const bool s = input::isPressed(window, GLFW_KEY_S);
    const bool d = input::isPressed(window, GLFW_KEY_D);
    const bool space = input::isPressed(window, GLFW_KEY_SPACE);

    rigidBody->activate();

    // W decides first; among the others A beats S beats D. There is no
    // backward diagonal.
    auto chooseMovement = [&]() -> bool {
        if (w) {
            if (a)
                moveForwardLeft();
            else if (d)
                moveForwardRight();
            else
                moveForward();
        } else if (a) {
            moveLeft();
        } else if (s) {
            moveBackward();
        } else if (d) {
            moveRight();
        } else {
            return false;
        }
        return true;
    };

    if (grounded) {
        airControl = false;
        moving = true;
        if (!chooseMovement()) {
            moving = false;
            rigidBody->setDamping(1.0f, 0.0f);
        }
        if (space) {
            // A jump from standing earns one steer in the air.
            if (!moving)
                airControl = true;
            jump();
        }
    } else {
        if (airControl) {
            if (chooseMovement())
                airControl = false;
            else
                moving = false;
        }
        rigidBody->setDamping(0.0f, 0.0f);
        rigidBody->activate();
    }

    // Turn the body towards the camera's heading, on top of its imported orientation.
    btTransform transform;
    rigidBody->getMotionState()->getWorldTransform(transform);
    const glm::quat current = toGlm(transform.getRotation());
    const glm::quat yaw(std::cos(heading / 2.0f), 0.0f, std::sin(heading / 2.0f), 0.0f);
    const glm::quat target = yaw * orientation;
    const glm::quat error = target * glm::conjugate(current);
    // Rounding can push the sine just past 1 near a quarter turn; asin would give NaN.
    const float sine = std::clamp(-2.0f * (error.x * error.z - error.w * error.y), -1.0f, 1.0f);
    const float yawError = std::asin(sine);
    rigidBody->setAngularVelocity(btVector3(0.0f, headingGain * yawError, 0.0f));

    camera->update();
}

void PlayerObject::moveForward()
{
    applyMovement(*this, [](float sinA, float cosA) { return Planar{cosA, -sinA}; });
}

void PlayerObject::moveBackward()
{
    applyMovement(*this, [](float sinA, float cosA) { return Planar{-cosA, sinA}; });
}

void PlayerObject::moveLeft()
{
    applyMovement(*this, [](float sinA, float cosA) { return Planar{-sinA, -cosA}; });
}

void PlayerObject::moveRight()
{
    applyMovement(*this, [](float sinA, float cosA) { return Planar{sinA, cosA}; });
}

void PlayerObject::moveForwardRight()
{
    applyMovement(*this, [](float sinA, float cosA) { return Planar{sinA + cosA, cosA - sinA}; });
}

void PlayerObject::moveForwardLeft()
{
    applyMovement(*this, [](float sinA, float cosA) { return Planar{cosA - sinA, -sinA - cosA}; });
}

void PlayerObject::jump()
{
    rigidBody->setDamping(0.0f, 0.0f);
    const btVector3 v = rigidBody->getLinearVelocity();
    // Refused while already rising at 1 or faster.
    if (v.y() + jumpSpeed < 7.0f)
        rigidBody->setLinearVelocity(btVector3(v.x(), v.y() + jumpSpeed, v.z()));
}

void PlayerObject::reset()
{
    resetBody(physics, rigidBody, initialModelMatrix, [this] {
        if (camera)
            camera->reset();
    });
}
