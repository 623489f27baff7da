#pragma once

#include <string>

struct aiScene;

// Checks an imported level against what the game needs of it: a "player"
// node, a camera with the nodes "camera1_aim" and "camera1_up", at most ten
// lights together with the `extraLights` the game adds, and meshes of
// triangles with normals and texture coordinates. Returns a message that says
// what is wrong, or an empty string when the level is usable.
std::string checkLevel(const aiScene& scene, int extraLights);
