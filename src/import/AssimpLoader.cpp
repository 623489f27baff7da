#include "import/AssimpLoader.h"

#include "core/Platform.h"
#include "core/Tuning.h"
#include "import/LevelCheck.h"
#include "physics/BodyNames.h"
#include "physics/PhysicsWorld.h"
#include "render/Picture.h"
#include "scene/AnimatedObject.h"
#include "scene/Camera.h"
#include "scene/Level.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/MeshObject.h"
#include "scene/PlayerObject.h"

#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

glm::mat4 toGlm(const aiMatrix4x4& m)
{
    // Assimp's matrices are row-major; GLM's columns are Assimp's rows.
    return glm::mat4(m.a1, m.b1, m.c1, m.d1, m.a2, m.b2, m.c2, m.d2, m.a3, m.b3, m.c3, m.d3, m.a4, m.b4, m.c4, m.d4);
}

glm::vec3 toGlm(const aiVector3D& v) { return glm::vec3(v.x, v.y, v.z); }

glm::quat toGlm(const aiQuaternion& q) { return glm::quat(q.w, q.x, q.y, q.z); }

// Where the node lies in the level: its translation with every parent's
// transform applied, the root's included.
glm::vec3 nodeTranslation(const aiNode* node)
{
    aiMatrix4x4 m;
    for (; node; node = node->mParent)
        m = node->mTransformation * m;
    return glm::vec3(m.a4, m.b4, m.c4);
}

glm::vec4 materialColor(const aiMaterial* material, const char* key, unsigned type, unsigned index, glm::vec4 fallback)
{
    aiColor4D color;
    if (aiGetMaterialColor(material, key, type, index, &color) == AI_SUCCESS)
        return glm::vec4(color.r, color.g, color.b, color.a);
    return fallback;
}

GLuint lookUp(const std::map<std::string, GLuint>& textures, const aiString& path)
{
    const auto found = textures.find(path.C_Str());
    return found == textures.end() ? 0 : found->second;
}

const aiNodeAnim* findChannel(const aiAnimation* animation, const std::string& nodeName)
{
    for (unsigned i = 0; i < animation->mNumChannels; ++i) {
        if (nodeName == animation->mChannels[i]->mNodeName.C_Str())
            return animation->mChannels[i];
    }
    return nullptr;
}

// The tangent with the normal's part taken out (not normalised again) and
// the handedness of the bitangent in w. Degenerate input gives a zero tangent.
glm::vec4 orthogonalTangent(const aiVector3D& tangent, const aiVector3D& bitangent, const aiVector3D& normal)
{
    auto unit = [](const aiVector3D& v) {
        const glm::vec3 g(v.x, v.y, v.z);
        const float length = glm::length(g);
        return length > 0.0f && std::isfinite(length) ? g / length : glm::vec3(0.0f);
    };
    const glm::vec3 t = unit(tangent);
    const glm::vec3 b = unit(bitangent);
    const glm::vec3 n = unit(normal);
    const glm::vec3 orthogonal = t - n * glm::dot(n, t);
    const float handedness = glm::dot(glm::cross(n, t), b) >= 0.0f ? 1.0f : -1.0f;
    return glm::vec4(orthogonal, handedness);
}

// The mesh's arrays as the object uploads them. Missing attributes stay zero.
MeshData readMesh(const aiMesh* mesh, const std::string& name)
{
    const size_t vertexCount = mesh->mNumVertices;
    MeshData data;
    data.name = name;
    data.indices.resize(size_t(mesh->mNumFaces) * 3);
    data.positions.resize(vertexCount * 3);
    data.normals.resize(vertexCount * 3);
    data.uvs.resize(vertexCount * 2);
    data.tangents.resize(vertexCount * 4);

    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        for (unsigned k = 0; k < 3 && k < face.mNumIndices; ++k)
            data.indices[f * 3 + k] = face.mIndices[k];
    }
    if (mesh->HasPositions() && mesh->HasNormals()) {
        for (size_t v = 0; v < vertexCount; ++v) {
            std::copy_n(&mesh->mVertices[v].x, 3, &data.positions[v * 3]);
            std::copy_n(&mesh->mNormals[v].x, 3, &data.normals[v * 3]);
        }
    }
    // A mesh without a texture may come without texture coordinates.
    if (mesh->HasTextureCoords(0)) {
        for (size_t v = 0; v < vertexCount; ++v) {
            data.uvs[v * 2] = mesh->mTextureCoords[0][v].x;
            data.uvs[v * 2 + 1] = mesh->mTextureCoords[0][v].y;
        }
    }
    if (mesh->HasTangentsAndBitangents() && mesh->HasPositions() && mesh->HasNormals()) {
        for (size_t v = 0; v < vertexCount; ++v) {
            const glm::vec4 tangent = orthogonalTangent(mesh->mTangents[v], mesh->mBitangents[v], mesh->mNormals[v]);
            std::copy_n(&tangent.x, 4, &data.tangents[v * 4]);
        }
    }
    return data;
}

// One track's values and times; Collada key times arrive in ticks, the
// animation clock counts seconds.
template <typename Value, typename Key>
KeyTrack<Value> readTrack(const Key* keys, unsigned count, double ticksPerSecond)
{
    KeyTrack<Value> track;
    for (unsigned k = 0; k < count; ++k) {
        track.values.push_back(toGlm(keys[k].mValue));
        track.times.push_back(keys[k].mTime / ticksPerSecond);
    }
    return track;
}

AnimationKeys readAnimationKeys(const aiAnimation* animation, const aiNodeAnim* channel)
{
    const double ticksPerSecond = animation->mTicksPerSecond > 0.0 ? animation->mTicksPerSecond : 1.0;
    AnimationKeys keys;
    keys.position = readTrack<glm::vec3>(channel->mPositionKeys, channel->mNumPositionKeys, ticksPerSecond);
    keys.rotation = readTrack<glm::quat>(channel->mRotationKeys, channel->mNumRotationKeys, ticksPerSecond);
    keys.scaling = readTrack<glm::vec3>(channel->mScalingKeys, channel->mNumScalingKeys, ticksPerSecond);
    keys.duration = animation->mDuration / ticksPerSecond;
    return keys;
}

// The key frames of the node called `name`, or null when the file has none.
const aiNodeAnim* animationChannel(const aiScene* scene, const std::string& name)
{
    return scene->HasAnimations() ? findChannel(scene->mAnimations[0], name) : nullptr;
}

} // namespace

AssimpLoader::AssimpLoader(const VertexLayout& layout, PhysicsWorld& physics) : layout(layout), physics(physics) {}

AssimpLoader::~AssimpLoader() = default;

std::vector<LevelProblem> AssimpLoader::loadTextures(const LevelFile& file)
{
    // Two paths whose pictures come from the same file where neither says so
    // (a missing folder falls back to the file name) may surprise the level maker.
    std::map<std::string, std::string> pathByFile;
    for (const std::string& path : texturePathsOf(*file.scene())) {
        const std::string found = findTexture(texturePlaces(file.path(), path));
        if (found.empty())
            continue;
        const auto [known, added] = pathByFile.emplace(found, path);
        if (!added)
            std::cerr << printable("Level: the texture paths \"" + known->second + "\" and \"" + path +
                                   "\" both read " + found)
                      << std::endl;
    }
    const unsigned limit = std::min(levelLimits::textureSize, maxTextureSize());
    // Level textures keep no alpha; the level sets their filters.
    const PictureSampling sampling{GL_RGB, GL_LINEAR};
    return file.readPictures(limit, [&](const std::string& path, const DecodedPicture& picture) {
        assets.textures.push_back(uploadPicture(picture, sampling));
        textures[path] = assets.textures.back();
    });
}

std::unique_ptr<Level> AssimpLoader::createLevel(const aiScene* scene, float width, float height, GLFWwindow* window)
{
    walkNode(scene, scene->mRootNode, nullptr, glm::mat4(1.0f));
    addLights(scene);
    addCameras(scene, width, height, window);
    auto level = std::make_unique<Level>(std::move(assets));
    assets = LevelAssets();
    return level;
}

// Colour and power as fileLight reads them; the Level gives out the shadow units.
void AssimpLoader::addLights(const aiScene* scene)
{
    for (unsigned i = 0; i < scene->mNumLights; ++i) {
        const aiNode* node = scene->mRootNode->FindNode(scene->mLights[i]->mName);
        const FileLight light = fileLight(*scene->mLights[i]);
        assets.lights.push_back(std::make_unique<Light>(nodeTranslation(node), light.colour, light.power));
    }
}

// The first camera becomes the player's, the others go to the list.
void AssimpLoader::addCameras(const aiScene* scene, float width, float height, GLFWwindow* window)
{
    PlayerObject* player = assets.player;
    assets.cameras = std::make_unique<CameraList>();
    for (unsigned i = 0; i < scene->mNumCameras; ++i) {
        // Every camera is made from the first camera's nodes.
        const aiNode* cameraNode = scene->mRootNode->FindNode(scene->mCameras[0]->mName);
        const glm::vec3 aim = nodeTranslation(scene->mRootNode->FindNode("camera1_aim"));
        const glm::vec3 up = nodeTranslation(scene->mRootNode->FindNode("camera1_up"));
        // The angles 237 and 131 count only from a camera's first update,
        // which only the player's gets, after its reset to 0: every camera
        // looks at the aim node until then.
        auto camera = std::make_unique<Camera>(tuning::verticalFieldOfView, width, height, aim,
                                               nodeTranslation(cameraNode), up, 237.0f, 131.0f);
        // The player starts facing the aim: the camera's look, on the ground.
        const glm::vec3 look = aim - nodeTranslation(cameraNode);
        if (std::hypot(look.x, look.z) > 1e-6f)
            camera->startHeading = std::atan2(look.x, look.z);
        if (i == 0 && player) {
            player->windowWidth = static_cast<int32_t>(camera->width);
            player->windowHeight = static_cast<int32_t>(camera->height);
            player->camera = std::move(camera);
        } else {
            assets.cameras->addCamera(std::move(camera));
        }
    }
    if (player)
        player->window = window;
}

// Each mesh of a node becomes an object; the node's children hang under its
// last one. A node without meshes (a group) hands its transform down:
// `groupTransform` carries the groups' transforms from the parent object (or
// the level's origin) to this node's parent.
void AssimpLoader::walkNode(const aiScene* scene, const aiNode* node, MeshObject* parent,
                            const glm::mat4& groupTransform)
{
    MeshObject* last = nullptr;
    for (unsigned m = 0; m < node->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[m]];
        if (!isDrawn(*mesh))
            continue;
        std::unique_ptr<MeshObject> object = makeObject(scene, node, mesh, parent, groupTransform);
        last = object.get();
        assets.objects.push_back(std::move(object));
    }
    const glm::mat4 below = last ? glm::mat4(1.0f) : groupTransform * toGlm(node->mTransformation);
    for (unsigned c = 0; c < node->mNumChildren; ++c)
        walkNode(scene, node->mChildren[c], last ? last : parent, below);
}

// The node's name decides the kind: "player" exactly, "…_Anim" with key
// frames, a "dynamic…" prefix for a body that falls, else a static mesh.
std::unique_ptr<MeshObject> AssimpLoader::makeObject(const aiScene* scene, const aiNode* node, const aiMesh* mesh,
                                                     MeshObject* parent, const glm::mat4& groupTransform)
{
    const std::string name = node->mName.C_Str();
    MeshData data = readMesh(mesh, name);
    addMaterial(scene->mMaterials[mesh->mMaterialIndex], data);

    const glm::mat4 local = toGlm(node->mTransformation);
    const glm::mat4 placed = (parent ? parent->modelMatrix : glm::mat4(1.0f)) * groupTransform * local;

    if (name == "player") {
        auto player = std::make_unique<PlayerObject>(placed, layout, parent, physics, std::move(data));
        assets.player = player.get();
        return player;
    }
    if (isAnimatedName(name) && scene->HasAnimations()) {
        if (const aiNodeAnim* channel = animationChannel(scene, name))
            return std::make_unique<AnimatedObject>(placed, layout, parent, physics, std::move(data),
                                                    readAnimationKeys(scene->mAnimations[0], channel), groupTransform);
        // Without key frames the node would jump to the origin: it stays where
        // the file puts it (the check warns of it).
    }
    const int mass = isDynamicName(name) ? 1 : 0;
    return std::make_unique<MeshObject>(placed, layout, parent, physics, mass, std::move(data));
}

// The mesh's Material joins the level; a colour texture gives a texture count
// of 1, a normal map beside it 2 (alone it is ignored).
void AssimpLoader::addMaterial(const aiMaterial* material, MeshData& mesh)
{
    int32_t textureCount = 0;
    aiString texturePath;
    if (aiGetMaterialTexture(material, aiTextureType_DIFFUSE, 0, &texturePath) == AI_SUCCESS) {
        mesh.colorTexture = lookUp(textures, texturePath);
        textureCount = 1;
        if (aiGetMaterialTexture(material, aiTextureType_NORMALS, 0, &texturePath) == AI_SUCCESS) {
            mesh.normalMap = lookUp(textures, texturePath);
            textureCount = 2;
        }
    }
    float shininess = 0.0f;
    unsigned shininessCount = 1;
    if (aiGetMaterialFloatArray(material, AI_MATKEY_SHININESS, &shininess, &shininessCount) != AI_SUCCESS)
        shininess = 0.0f;
    assets.materials.push_back(std::make_unique<Material>(
        materialColor(material, AI_MATKEY_COLOR_DIFFUSE, {0.8f, 0.8f, 0.8f, 1.0f}),
        materialColor(material, AI_MATKEY_COLOR_AMBIENT, {0.2f, 0.2f, 0.2f, 1.0f}),
        materialColor(material, AI_MATKEY_COLOR_SPECULAR, {0.0f, 0.0f, 0.0f, 1.0f}),
        materialColor(material, AI_MATKEY_COLOR_EMISSIVE, {0.0f, 0.0f, 0.0f, 1.0f}), shininess, textureCount));
    mesh.materialBuffer = assets.materials.back()->getUniformBuffer();
}
