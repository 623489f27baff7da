#include "scene/Camera.h"

#include "core/Tuning.h"

#include <cmath>

namespace {

glm::vec3 normalised(const glm::vec3& v)
{
    const float lengthSquared = v.x * v.x + v.y * v.y + v.z * v.z;
    const float inverse = static_cast<float>(1.0 / std::sqrt(static_cast<double>(lengthSquared)));
    return v * inverse;
}

} // namespace

glm::mat4 perspective(float fovy, float aspect, float zNear, float zFar)
{
    const float t = static_cast<float>(std::tan(static_cast<double>(fovy) / 2.0));
    glm::mat4 m(0.0f);
    m[0][0] = 1.0f / (t * aspect);
    m[1][1] = 1.0f / t;
    m[2][2] = -(zFar + zNear) / (zFar - zNear);
    m[2][3] = -1.0f;
    m[3][2] = -(2.0f * zFar * zNear) / (zFar - zNear);
    return m;
}

glm::mat4 lookAt(const glm::vec3& eye, const glm::vec3& center, const glm::vec3& up)
{
    const glm::vec3 f = normalised(center - eye);
    const glm::vec3 s = normalised(glm::cross(f, up));
    const glm::vec3 u = glm::cross(s, f);

    glm::mat4 m(1.0f);
    for (int c = 0; c < 3; ++c) {
        m[c][0] = s[c];
        m[c][1] = u[c];
        m[c][2] = -f[c];
    }
    m[3][0] = -glm::dot(s, eye);
    m[3][1] = -glm::dot(u, eye);
    m[3][2] = glm::dot(f, eye);
    return m;
}

Camera::Camera(float fieldOfView, float width, float height, const glm::vec3& aimPoint, const glm::vec3& position,
               const glm::vec3& up, float horizontalAngle, float verticalAngle)
    : fieldOfView(fieldOfView), horizontalAngle(horizontalAngle), verticalAngle(verticalAngle), up(up),
      direction(aimPoint), position(position), width(width), height(height)
{
    projectionMatrix = perspective(fieldOfView, aspectRatio, nearPlane, farPlane);
    viewMatrix = lookAt(position, aimPoint, up);
}

void Camera::update()
{
    const double h = horizontalAngle;
    const double v = verticalAngle;
    direction = glm::vec3(static_cast<float>(std::sin(h) * std::cos(v)), static_cast<float>(std::sin(v)),
                          static_cast<float>(std::cos(h) * std::cos(v)));
    // Not quite pi/2: right is a hair off perpendicular, which lookAt absorbs.
    const double q = tuning::almostQuarterTurn;
    right = glm::vec3(static_cast<float>(std::sin(h - q)), 0.0f, static_cast<float>(std::cos(h - q)));
    up = glm::cross(right, direction);
    projectionMatrix = perspective(fieldOfView, aspectRatio, nearPlane, farPlane);
    viewMatrix = lookAt(position, position + direction, up);
}

void Camera::setAspectRatio(float aspect)
{
    aspectRatio = aspect;
    projectionMatrix = perspective(fieldOfView, aspectRatio, nearPlane, farPlane);
}

void Camera::reset()
{
    horizontalAngle = startHeading;
    verticalAngle = 0.0f;
}
