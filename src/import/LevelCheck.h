#pragma once

#include <glm/glm.hpp>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

struct aiLight;
struct aiMesh;
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
constexpr std::size_t textureBytes = 512u << 20; // every texture of a level decoded, together
constexpr float coordinate = 1e6f;               // a vertex further out breaks the physics' precision
} // namespace levelLimits

// What the check of a level finds: problems keep the game from playing it
// ("Level error: ..."), warnings tell the level maker where it will look or
// play otherwise than the editor showed ("Level warning: ..."). A cause met
// in several nodes is one line with their number and the first few names.
struct LevelFindings {
    std::vector<std::string> problems;
    std::vector<std::string> warnings;
};

// Checks an imported level against what the game needs of it: one "player"
// node with one mesh, a camera with the nodes "camera1_aim" and "camera1_up",
// at most ten lights together with the `extraLights` the game adds, finite
// numbers in every transform, light and camera, no zero or negative scale
// where a mesh is drawn, meshes with normals (and texture coordinates where
// their material has a texture) within the memory budget. Warns of faces
// left out, "_Anim" nodes that move nothing, lights that give no light and a
// player with nothing below it.
// Messages name a node as `shownNames` has it, where it has it: the name an
// editor shows for a node the import named itself (see editorNames).
using NodeNames = std::map<std::string, std::string>;
LevelFindings checkLevel(const aiScene& scene, int extraLights, const NodeNames& shownNames = {});

// Whether the game draws the mesh: meshes of lines or points (edges, or
// zero-area triangles the import turned into them) are left out.
bool isDrawn(const aiMesh& mesh);

// Whether the file's animation has key frames for the node.
bool hasKeyFrames(const aiScene& scene, const std::string& nodeName);

// A light of the level file as the game sets it up. A file with an ambient
// colour gives it × tuning::fileLightColourScale and the linear attenuation
// as the power (the level format's own way). Otherwise the colour is where
// exporters write it, scaled to a brightest channel of 1, and the power is
// the linear attenuation where the file gives one; else, for a light that
// falls off with the square of the distance, the brightest channel taken as
// watts (Blender writes colour × watts) times tuning::powerPerWatt; else
// (no falloff) the brightest channel times tuning::steadyLightPower.
struct FileLight {
    glm::vec3 colour;
    float power;
};
FileLight fileLight(const aiLight& light);
// Too dim to see: black, or without power.
bool givesNoLight(const FileLight& light);

// The file name a texture path of the level names, split at '/' and '\'
// (files made on Windows use either); empty when the path names no file or
// one outside its folder ("", ".", "..").
std::string textureFileName(const std::string& path);
