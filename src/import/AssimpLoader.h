#pragma once

#include <GL/glew.h>
#include <assimp/Importer.hpp>
#include <glm/glm.hpp>

#include <map>
#include <memory>
#include <string>
#include <vector>

struct GLFWwindow;
struct aiMesh;
struct aiNode;
struct aiScene;
struct FIBITMAP;
class PhysicsWorld;
class CameraList;
class ImportObject;
class Level;
class Material;
class PlayerObject;
class Shader;
struct Light;

// Turns the Collada level into the game's objects by the level format's
// naming rules: "player", the suffix "Anim", the prefix "dynamic", lights and
// the camera nodes "camera1_aim" and "camera1_up".
class AssimpLoader {
public:
    // `litShader` and `depthShader` are handed to every mesh object; bodies are
    // registered with `physics`.
    AssimpLoader(Shader* litShader, Shader* depthShader, PhysicsWorld* physics);
    virtual ~AssimpLoader();

    AssimpLoader(const AssimpLoader&) = delete;
    AssimpLoader& operator=(const AssimpLoader&) = delete;

    // Reads the file with the game's preset flags; null (after a message) when
    // the file cannot be opened or imported.
    const aiScene* load(const std::string& path);
    // Loads every diffuse texture and normal map the materials name from
    // `directory`; false when a picture's format cannot be told or the file
    // embeds textures.
    bool loadTextures(const aiScene* scene, const std::string& directory);
    // Builds the objects, lights, cameras and the Level. The scene must have
    // passed checkLevel (import/LevelCheck.h): the walk relies on its meshes
    // being triangles with normals, texture coordinates, valid indices and
    // materials, and on the player and camera nodes being there.
    Level* createLevel(const aiScene* scene, float width, float height, GLFWwindow* window);
    void walkNode(const aiScene* scene, const aiNode* node, Shader* shader, Shader* depthShader,
                  ImportObject* parent, PhysicsWorld* physics);

    FIBITMAP* bitmap = nullptr; // the picture loaded last by loadTextures
    CameraList* cameraList = nullptr;
    Assimp::Importer importer;
    const aiScene* scene = nullptr;
    std::map<std::string, GLuint> diffuseTextures;
    std::map<std::string, GLuint> normalTextures;
    PlayerObject* player = nullptr;

    // Filled during the walk and handed to the level.
    std::vector<ImportObject*> objects;
    std::vector<Material*> materials;
    GLuint currentColorTexture = 0;
    GLuint currentNormalMap = 0;

private:
    // Memory that the level's objects point at for the whole run: vertex
    // arrays, key frames, materials, lights and cameras made by the import.
    template <typename T>
    T* keepArray(size_t count);
    template <typename T, typename... Args>
    T* keep(Args&&... args);

    bool createTextures(std::map<std::string, GLuint>& textures, GLenum unit, const std::string& directory);
    ImportObject* makeObject(const aiScene* scene, const aiNode* node, const aiMesh* mesh,
                             Shader* shader, Shader* depthShader, ImportObject* parent, PhysicsWorld* physics);

    Shader* litShader;
    Shader* depthShader;
    PhysicsWorld* physics;
    std::vector<std::shared_ptr<void>> storage;
    std::vector<GLuint> textureNames;
};
