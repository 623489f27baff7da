#pragma once

#include "import/LevelFile.h"
#include "render/VertexLayout.h"
#include "scene/Level.h"

#include <glm/glm.hpp>

#include <map>
#include <memory>
#include <string>
#include <vector>

struct GLFWwindow;
struct aiMaterial;
struct aiMesh;
struct aiNode;
struct aiScene;
class PhysicsWorld;
class MeshObject;
struct MeshData;

// Turns the Collada level into the game's objects by the level format's
// naming rules: "player", the suffix "Anim", the prefix "dynamic", lights and
// the camera nodes "camera1_aim" and "camera1_up".
class AssimpLoader {
public:
    // Mesh objects get their vertex arrays after `layout`; bodies are
    // registered with `physics`.
    AssimpLoader(const VertexLayout& layout, PhysicsWorld& physics);
    ~AssimpLoader();

    AssimpLoader(const AssimpLoader&) = delete;
    AssimpLoader& operator=(const AssimpLoader&) = delete;

    // Uploads every colour texture and normal map the materials of `file`
    // name, one texture per path, each picture from the first of its places
    // that holds a file (LevelFile::readPictures). Returns the problems; none
    // when every texture is there.
    std::vector<LevelProblem> loadTextures(const LevelFile& file);
    // Builds the objects, lights, cameras and the Level, which takes the
    // textures along. The scene must have passed its LevelFile's checks: the
    // walk relies on its meshes being triangles with normals, texture
    // coordinates, valid indices and materials, and on the player and camera
    // nodes being there.
    std::unique_ptr<Level> createLevel(const aiScene* scene, float width, float height, GLFWwindow* window);

private:
    void walkNode(const aiScene* scene, const aiNode* node, MeshObject* parent, const glm::mat4& groupTransform);
    std::unique_ptr<MeshObject> makeObject(const aiScene* scene, const aiNode* node, const aiMesh* mesh,
                                           MeshObject* parent, const glm::mat4& groupTransform);
    void addMaterial(const aiMaterial* material, MeshData& mesh);
    void addLights(const aiScene* scene);
    void addCameras(const aiScene* scene, float width, float height, GLFWwindow* window);

    VertexLayout layout;
    PhysicsWorld& physics;
    std::map<std::string, GLuint> textures; // by path in the file
    LevelAssets assets;                     // what the next Level gets
};
