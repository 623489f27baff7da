#pragma once

#include <glm/glm.hpp>

struct BoundingSphere;

// The view frustum the meshes test themselves against; the scene pass fills
// the planes from its camera every frame.
struct ViewFrustum {
    glm::vec4 planes[6] = {}; // right, left, bottom, top, far, near; inside when dot(abc, p) + d > 0
    bool cullingEnabled = true;
};

// Fills the six planes of `frustum` from projection × view (Gribb/Hartmann),
// each normalised by the length of its (a, b, c) part. Nothing else changes.
void extractFrustumPlanes(ViewFrustum& frustum, const glm::mat4& projection, const glm::mat4& view);

// Whether a mesh may show: the sphere is `sphere.center` moved by `model`,
// with radius `sphere.radius` × `maxScale`. True when culling is off or no
// plane has the sphere at or beyond -radius.
bool frustumTest(const ViewFrustum& frustum, const glm::mat4& model, const BoundingSphere& sphere, float maxScale);
