#pragma once

#include <glm/glm.hpp>

#include <cstdint>

struct BoundingSphere;

// The view frustum the meshes test themselves against. One instance exists for
// the whole run; the scene pass fills the planes and resets the cull counter.
struct ViewFrustum {
    int32_t culledCount = 0;  // objects rejected since the last scene pass
    glm::vec4 planes[6] = {}; // right, left, bottom, top, far, near; inside when dot(abc, p) + d > 0
    bool cullingEnabled = true;
};

// Fills the six planes of `frustum` from projection × view (Gribb/Hartmann),
// each normalised by the length of its (a, b, c) part. Nothing else changes.
void extractFrustumPlanes(ViewFrustum& frustum, const glm::mat4& projection, const glm::mat4& view);

// The visibility test shared by a mesh's draw and isVisible: the sphere is
// `sphere.center` moved by `model`, with radius `sphere.radius` × `maxScale`.
// Returns true when culling is off or no plane has the sphere at or beyond
// -radius; otherwise adds 1 to culledCount and returns false.
bool frustumTest(ViewFrustum& frustum, const glm::mat4& model, const BoundingSphere& sphere, float maxScale);
