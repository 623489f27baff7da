#pragma once

#include "scene/Level.h"

#include <GL/glew.h>
#include <assimp/Importer.hpp>

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
class ImportObject;
class Shader;
struct MeshData;

// Turns the Collada level into the game's objects by the level format's
// naming rules: "player", the suffix "Anim", the prefix "dynamic", lights and
// the camera nodes "camera1_aim" and "camera1_up".
class AssimpLoader {
public:
    // `litShader` and `depthShader` are handed to every mesh object; bodies are
    // registered with `physics`.
    AssimpLoader(Shader* litShader, Shader* depthShader, PhysicsWorld* physics);
    ~AssimpLoader();

    AssimpLoader(const AssimpLoader&) = delete;
    AssimpLoader& operator=(const AssimpLoader&) = delete;

    // Reads the file with the game's preset flags; null (after a message) when
    // the file cannot be opened or imported. The scene lives as long as the loader.
    const aiScene* load(const std::string& path);
    // Loads every diffuse texture and normal map the materials name, one
    // texture per path, each file from the first of `folders` that holds it;
    // false when a picture cannot be read or the file embeds textures, with
    // levelError() set when the level itself is at fault (a picture past the
    // size limit, a path without a file).
    bool loadTextures(const aiScene* scene, const std::vector<std::string>& folders);
    const std::string& levelError() const { return levelErrorText; }
    // Builds the objects, lights, cameras and the Level, which takes the
    // textures along. The scene must have passed checkLevel
    // (import/LevelCheck.h): the walk relies on its meshes being triangles
    // with normals, texture coordinates, valid indices and materials, and on
    // the player and camera nodes being there.
    std::unique_ptr<Level> createLevel(const aiScene* scene, float width, float height, GLFWwindow* window);

private:
    bool createTextures(std::map<std::string, GLuint>& textures, GLenum unit, const std::vector<std::string>& folders);
    void walkNode(const aiScene* scene, const aiNode* node, ImportObject* parent, const glm::mat4& between);
    std::unique_ptr<ImportObject> makeObject(const aiScene* scene, const aiNode* node, const aiMesh* mesh,
                                             ImportObject* parent, const glm::mat4& between);
    void addMaterial(const aiMaterial* material, MeshData& mesh);
    void addLights(const aiScene* scene);
    void addCameras(const aiScene* scene, float width, float height, GLFWwindow* window);

    Shader* litShader;
    Shader* depthShader;
    PhysicsWorld* physics;
    Assimp::Importer importer;
    std::map<std::string, GLuint> colorTextures; // by path in the file
    std::map<std::string, GLuint> normalMaps;    // by path in the file
    LevelAssets assets;                          // what the next Level gets
    std::string levelErrorText;
};

// Every problem for which the game would refuse the level file at start, found
// without a window: the file unreadable, then whatever checkLevel
// (import/LevelCheck.h) finds, then each texture that cannot be read from
// `textureFolders` (searched in order). Empty when the level can be played.
std::vector<std::string> levelFileProblems(const std::string& path, const std::vector<std::string>& textureFolders,
                                           int extraLights);
