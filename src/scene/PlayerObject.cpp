#include "scene/PlayerObject.h"

#include "core/Input.h"
#include "physics/BulletMath.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "scene/BoundingSphere.h"
#include "scene/Camera.h"

#include <GLFW/glfw3.h>
#include <btBulletDynamicsCommon.h>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>

namespace {

constexpr double fullTurn = 6.2831853072;
// The movement table is written for the heading minus this (not quite pi/2).
constexpr float quarterTurn = static_cast<float>(tuning::almostQuarterTurn);

// The float sum wrapped by a double fmod, which keeps the sign of the sum.
float wrapAngle(float sum) { return static_cast<float>(std::fmod(static_cast<double>(sum), fullTurn)); }

// A walking direction: (x, z) per unit speed from sin a and cos a, with
// a = heading - tuning::almostQuarterTurn.
struct Planar {
    float x;
    float z;
};
using Direction = Planar (*)(float sinA, float cosA);

Planar forward(float sinA, float cosA) { return {cosA, -sinA}; }
Planar backward(float sinA, float cosA) { return {-cosA, sinA}; }
Planar left(float sinA, float cosA) { return {-sinA, -cosA}; }
Planar right(float sinA, float cosA) { return {sinA, cosA}; }
Planar forwardRight(float sinA, float cosA) { return {sinA + cosA, cosA - sinA}; }
Planar forwardLeft(float sinA, float cosA) { return {cosA - sinA, -sinA - cosA}; }

// W decides first; among the others A beats S beats D. There is no backward
// diagonal. Null when no movement key is held.
Direction chooseDirection(bool w, bool a, bool s, bool d)
{
    if (w)
        return a ? forwardLeft : d ? forwardRight : forward;
    if (a)
        return left;
    if (s)
        return backward;
    if (d)
        return right;
    return nullptr;
}

// The walk sets the horizontal velocity; an air steer goes at 0.3 of the speed
// and keeps the vertical velocity.
void applyMovement(PlayerObject& player, Direction direction)
{
    player.rigidBody->setDamping(0.0f, 0.0f);
    const float a = player.camera->horizontalAngle - quarterTurn;
    float speed = tuning::walkSpeed;
    float vy = 0.0f;
    if (player.airControl) {
        speed *= tuning::airSteerFactor;
        vy = player.rigidBody->getLinearVelocity().y();
    }
    const Planar p = direction(std::sin(a), std::cos(a));
    player.rigidBody->setLinearVelocity(btVector3(p.x * speed, vy, p.z * speed));
}

} // namespace

struct PlayerObject::MoveKeys {
    bool w;
    bool a;
    bool s;
    bool d;
    bool space;
};

PlayerObject::PlayerObject(const glm::mat4& matrix, const VertexLayout& layout, MeshObject* parent,
                           PhysicsWorld& physics, MeshData mesh)
    : MeshObject(matrix, layout, parent, physics, 1, std::move(mesh))
{
    // A capsule glides over steps and seams where the mesh hull would catch.
    // It stands upright whatever the file's axes: a Z-up file turns the mesh.
    const glm::mat3 basis(matrix);
    std::vector<glm::vec3> corners = triangleCornersOf(this->mesh);
    for (glm::vec3& corner : corners)
        corner = basis * corner;
    const BoundingSphere placed = computeBoundingSphere(corners);
    const glm::vec3 low(placed.minimum[0], placed.minimum[1], placed.minimum[2]);
    const glm::vec3 high(placed.maximum[0], placed.maximum[1], placed.maximum[2]);
    const glm::vec3 middle = 0.5f * (low + high);
    physics.useCapsule(*rigidBody, 0.25f * placed.radius, 0.5f * (high.y - low.y), btVector3(1.0f, 1.0f, 1.0f));
    start = glm::vec3(matrix[3]) + middle;
    shape = glm::mat4(0.5f * basis);
    shape[3] = glm::vec4(-0.5f * middle, 1.0f);
    maxScale = 0.5f * std::max({glm::length(basis[0]), glm::length(basis[1]), glm::length(basis[2])});
    physics.resetBody(*rigidBody, glm::translate(glm::mat4(1.0f), start));
}

PlayerObject::~PlayerObject() = default;

void PlayerObject::update()
{
    rigidBody->setAngularFactor(btVector3(0.0f, 0.0f, 0.0f));

    btTransform transform;
    rigidBody->getMotionState()->getWorldTransform(transform);
    const btVector3 origin = transform.getOrigin();
    if (camera)
        camera->position = glm::vec3(origin.x(), origin.y() + eyeHeight, origin.z());
    if (camera) {
        turnWithMouse();
        camera->update();
    }

    modelMatrix = modelMatrixOf(origin, rigidBody->getOrientation(), btVector3(1.0f, 1.0f, 1.0f)) * shape;
}

// Without a camera there is no heading to walk along, and no check runs. A
// space tap noted since the last step jumps however short it was.
void PlayerObject::step(double dt)
{
    if (!camera)
        return;
    const PlayerContacts found = physics->findPlayerContacts(rigidBody);
    // The velocity the last sub-step left: against a wall a held key walks nowhere.
    const btVector3 velocity = rigidBody->getLinearVelocity();
    const bool wasGrounded = grounded;
    grounded = found.grounded;
    walkedThisStep = grounded && wasGrounded ? static_cast<float>(std::hypot(velocity.x(), velocity.z()) * dt) : 0.0f;
    // The contact has usually stopped the fall by the step that finds it.
    landingSpeed = grounded && !wasGrounded ? std::max(fallSpeed, -velocity.y()) : 0.0f;
    fallSpeed = grounded ? 0.0f : std::max(0.0f, -velocity.y());
    jumpedThisStep = false;
    contacts.grounded = found.grounded;
    contacts.win = contacts.win || found.win;
    contacts.gameOver =
        contacts.gameOver || found.gameOver || rigidBody->getWorldTransform().getOrigin().y() < fallLimit;

    const bool jumpTapped = input::takePress(keys.jump);
    // The arrow keys walk as the walking keys do.
    const auto held = [this](int key, int arrow) {
        return input::isPressed(window, key) || input::isPressed(window, arrow);
    };
    const MoveKeys pressed{held(keys.forward, GLFW_KEY_UP), held(keys.left, GLFW_KEY_LEFT),
                           held(keys.back, GLFW_KEY_DOWN), held(keys.right, GLFW_KEY_RIGHT),
                           jumpTapped || input::isPressed(window, keys.jump)};
    rigidBody->activate();
    if (grounded)
        moveOnGround(pressed);
    else
        steerInAir(pressed);

    turnBodyTowards(camera->horizontalAngle);
}

// The cursor's offset from the window centre turns the camera by a fixed angle
// a pixel, and the cursor goes back to the centre. The first focused frame
// (at the start, after a reset or a menu picture, after focus came back) only
// centres it: the cursor may have drifted anywhere while no frame read it.
void PlayerObject::turnWithMouse()
{
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
    } else {
        firstMouse = true;
    }

    // The gamepad's right stick turns as mouse travel would.
    double padX = 0.0, padY = 0.0;
    input::takePadLook(padX, padY);
    mouseX += padX;
    mouseY += padY;
    const float perPixel = static_cast<float>(static_cast<double>(mouseSensitivity) / tuning::mousePixelsPerRadian);
    const float dx = static_cast<float>(centreX - mouseX);
    const float dy = static_cast<float>(invertLook ? mouseY - centreY : centreY - mouseY);
    camera->horizontalAngle = wrapAngle(camera->horizontalAngle + perPixel * dx);
    camera->verticalAngle =
        std::clamp(wrapAngle(camera->verticalAngle + perPixel * dy), -tuning::pitchLimit, tuning::pitchLimit);
}

void PlayerObject::moveOnGround(const MoveKeys& keys)
{
    airControl = false;
    moving = walk(keys);
    if (!moving)
        rigidBody->setDamping(1.0f, 0.0f);
    if (keys.space) {
        // A jump from standing earns one steer in the air.
        if (!moving)
            airControl = true;
        jump();
    }
}

// One steer is allowed after a standing jump; it is spent on the first
// movement key.
void PlayerObject::steerInAir(const MoveKeys& keys)
{
    if (airControl) {
        if (walk(keys))
            airControl = false;
        else
            moving = false;
    }
    rigidBody->setDamping(0.0f, 0.0f);
    rigidBody->activate();
}

bool PlayerObject::walk(const MoveKeys& keys)
{
    const Direction direction = chooseDirection(keys.w, keys.a, keys.s, keys.d);
    if (!direction)
        return false;
    applyMovement(*this, direction);
    return true;
}

// Turns the body towards the camera's heading: at the start heading it stands
// as the level placed it.
void PlayerObject::turnBodyTowards(float heading)
{
    btTransform transform;
    rigidBody->getMotionState()->getWorldTransform(transform);
    const glm::quat current = toGlm(transform.getRotation());
    const float turn = heading - camera->startHeading;
    const glm::quat target(std::cos(turn / 2.0f), 0.0f, std::sin(turn / 2.0f), 0.0f);
    const glm::quat error = target * glm::conjugate(current);
    // Rounding can push the sine just past 1 near a quarter turn; asin would give NaN.
    const float sine = std::clamp(-2.0f * (error.x * error.z - error.w * error.y), -1.0f, 1.0f);
    const float yawError = std::asin(sine);
    rigidBody->setAngularVelocity(btVector3(0.0f, tuning::headingGain * yawError, 0.0f));
}

void PlayerObject::jump()
{
    rigidBody->setDamping(0.0f, 0.0f);
    const btVector3 v = rigidBody->getLinearVelocity();
    // Refused while already rising at the limit or faster (the sum compared
    // as it is taken, in floats).
    if (v.y() + tuning::jumpSpeed < tuning::jumpSpeed + tuning::jumpRisingLimit) {
        rigidBody->setLinearVelocity(btVector3(v.x(), v.y() + tuning::jumpSpeed, v.z()));
        jumpedThisStep = true;
    }
}

void PlayerObject::reset()
{
    firstMouse = true;
    fallSpeed = 0.0f;            // a fall into the pit is no landing after the reset
    contacts = PlayerContacts{}; // the win or fall that led to the reset is over
    physics->resetBody(*rigidBody, glm::translate(glm::mat4(1.0f), start), [this] {
        if (camera)
            camera->reset();
    });
}
