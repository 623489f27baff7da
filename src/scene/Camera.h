#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <memory>
#include <vector>

// Right-handed OpenGL projection with depth -1..1; fovy in radians.
// tan(fovy / 2) is taken in double precision and rounded to float.
glm::mat4 perspective(float fovy, float aspect, float zNear, float zFar);
// Right-handed view matrix; normalisations use a double-precision reciprocal.
glm::mat4 lookAt(const glm::vec3& eye, const glm::vec3& center, const glm::vec3& up);

// A first-person camera: position plus yaw and pitch give view and projection.
// The projection has near 0.1 and far 70, and the 16:9 aspect whatever the
// screen's shape unless the game fits it to its window.
class Camera {
public:
    static constexpr float wideAspectRatio = 1.7777778f;
    static constexpr float nearPlane = 0.1f;
    static constexpr float farPlane = 70.0f;

    // Looks from `position` at `aimPoint` until the first update; the angles
    // take over from then on. `fieldOfView` is the vertical angle in radians.
    Camera(float fieldOfView, float width, float height, const glm::vec3& aimPoint, const glm::vec3& position,
           const glm::vec3& up, float horizontalAngle, float verticalAngle);

    // Recomputes direction, right, up and both matrices from angles and position.
    void update();
    glm::mat4 getViewProjection() const { return projectionMatrix * viewMatrix; }
    glm::mat4 getProjection() const { return projectionMatrix; }
    glm::mat4 getView() const { return viewMatrix; }
    // Back to the start heading, looking level.
    void reset();
    // The projection's width over height from now on.
    void setAspectRatio(float aspect);

    float fieldOfView;         // vertical, radians
    float horizontalAngle;     // yaw, 0 looks along +z
    float verticalAngle;       // pitch, positive looks up
    float startHeading = 0.0f; // the yaw reset returns to
    glm::vec3 right{1.0f};
    glm::vec3 up;
    glm::vec3 direction; // the aim point until the first update, then the unit look direction
    glm::vec3 position;
    glm::mat4 viewMatrix{1.0f};
    glm::mat4 projectionMatrix{1.0f};
    float width;
    float height;
    float aspectRatio = wideAspectRatio;
};

// The imported cameras after the first. Page Up and Page Down move the index,
// and the scene is drawn from the camera it selects (0: the player's).
class CameraList {
public:
    void addCamera(std::unique_ptr<Camera> camera) { cameras.push_back(std::move(camera)); }
    int count() const { return static_cast<int>(cameras.size()); }

    std::vector<std::unique_ptr<Camera>> cameras;
    int32_t selectedIndex = 0;
};
