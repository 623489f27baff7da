#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct aiScene;

// What a level may hold at most. The memory budget: a vertex costs about 110
// bytes between Assimp, the object's arrays, the GL buffers and the physics
// copy, an index about 32, so a full level stays near 250 MB; any array of
// the file past the array limit is refused before Assimp reserves room for it.
namespace levelLimits {
constexpr std::size_t fileBytes = 256u << 20;
constexpr int nodeDepth = 256;
constexpr std::size_t instancedNodes = 100'000; // nodes once every <instance_node> is put in place
constexpr std::size_t vertices = 1'000'000;
constexpr std::size_t indices = 3'000'000;
constexpr unsigned long long arrayCount = 16'000'000;
constexpr unsigned textureSize = 8192;
constexpr float coordinate = 1e6f; // a vertex further out breaks the physics' precision
} // namespace levelLimits

// Checks an imported level against what the game needs of it: one "player"
// node with one mesh, a camera with the nodes "camera1_aim" and "camera1_up",
// at most ten lights together with the `extraLights` the game adds, finite
// numbers in every transform, light and camera, no zero or negative scale,
// meshes of triangles with normals and texture coordinates within the memory
// budget. Returns every problem found, each a "Level error: ..." message; none
// when the level is usable.
std::vector<std::string> levelProblems(const aiScene& scene, int extraLights);

// The file name a texture path of the level names, split at '/' and '\'
// (files made on Windows use either); empty when the path names no file or
// one outside its folder ("", ".", "..").
std::string textureFileName(const std::string& path);
