#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

// Object-space bounding sphere of a mesh's triangle corners.
struct BoundingSphere {
    glm::vec3 center{0.0f};
    float radius = 0.0f;
    float radiusSquared = 0.0f;
    float minimum[3] = {0.0f, 0.0f, 0.0f}; // smallest coordinate seen on x, y, z
    float maximum[3] = {0.0f, 0.0f, 0.0f}; // largest coordinate seen on x, y, z
    int32_t minimumIndex[3] = {0, 0, 0};   // point that gave each minimum
    int32_t maximumIndex[3] = {0, 0, 0};   // point that gave each maximum
};

// Ritter's sphere: start from the most distant pair of axis extremes, then grow
// to take every point outside. An empty point list gives the zero sphere.
BoundingSphere computeBoundingSphere(const std::vector<glm::vec3>& points);
