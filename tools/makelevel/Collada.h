#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

// A small Collada 1.4.1 document model that writes exactly the subset Assimp
// reads the way the game expects: one triangle list per material group, phong
// effects with a diffuse texture and a bump texture, ambient lights with a
// linear attenuation, perspective cameras and one animation element.
namespace collada {

struct Material {
    std::string id;
    std::string diffuseTexture; // path as written in the file; empty: plain colour
    std::string normalTexture;  // empty: none
    glm::vec4 diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    glm::vec4 ambient{0.6f, 0.6f, 0.6f, 1.0f};
    glm::vec4 specular{0.25f, 0.25f, 0.25f, 1.0f};
    glm::vec4 emission{0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 32.0f;
};

struct TriangleGroup {
    int material = 0;              // index into Document::materials
    std::vector<uint32_t> indices; // three per triangle, into the mesh's vertices
};

struct Mesh {
    std::string id;
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
    std::vector<TriangleGroup> groups;
    // Broken-file fixtures leave an input out on purpose.
    bool writeNormals = true;
    bool writeUvs = true;

    uint32_t triangleCount() const;
};

struct Light {
    std::string id;                  // also the id of the node holding it
    glm::vec3 ambient{0.1f};         // the game multiplies this by 10 for the light colour
    float linearAttenuation = 10.0f; // the game's light power
};

struct Camera {
    std::string id; // also the id of the node holding it
    float yfovDegrees = 50.0f;
    float aspectRatio = 16.0f / 9.0f;
    float znear = 0.1f;
    float zfar = 100.0f;
};

struct Rotation {
    std::string sid;
    glm::vec3 axis{0.0f, 1.0f, 0.0f};
    float degrees = 0.0f;
};

struct Node {
    std::string id;
    glm::vec3 translation{0.0f};     // written as <translate sid="location">
    std::vector<Rotation> rotations; // written in order after the translation
    glm::vec3 scale{1.0f};           // written only when not 1
    int mesh = -1;
    int light = -1;
    int camera = -1;
    std::vector<Node> children;
};

// One sampled channel: key times in seconds and `stride` floats per key.
struct Channel {
    std::string target; // "nodeId/sid" or "nodeId/sid.ANGLE"
    std::vector<float> times;
    std::vector<float> values;
    int stride = 1;
};

struct Document {
    std::vector<Material> materials;
    std::vector<Mesh> meshes;
    std::vector<Light> lights;
    std::vector<Camera> cameras;
    std::vector<Node> nodes; // children of the visual scene's root
    std::vector<Channel> channels;
    std::string subject; // the player's one-line hint (plain text, no markup)

    int addMaterial(Material material);
    int addMesh(Mesh mesh);
    int addLight(Light light);
    int addCamera(Camera camera);
};

// The document as Collada text. The output depends on nothing but the
// document: no clock, no locale, no pointer values.
std::string write(const Document& document);

// Numbers as the document writes them: up to six significant digits, no
// trailing zeros, never "-0".
std::string formatNumber(double value);

} // namespace collada
