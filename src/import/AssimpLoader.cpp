#include "import/AssimpLoader.h"

#include "physics/BodyNames.h"
#include "physics/PhysicsWorld.h"
#include "import/LevelCheck.h"
#include "render/ImageFile.h"
#include "render/TextureUnits.h"
#include "scene/AnimatedObject.h"
#include "scene/Camera.h"
#include "scene/ImportObject.h"
#include "scene/Level.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/PlayerObject.h"

#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <set>

namespace {

// aiProcessPreset_TargetRealtime_Quality, spelled out.
constexpr unsigned importFlags = aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices |
                                 aiProcess_Triangulate | aiProcess_GenSmoothNormals | aiProcess_SplitLargeMeshes |
                                 aiProcess_LimitBoneWeights | aiProcess_ImproveCacheLocality |
                                 aiProcess_RemoveRedundantMaterials | aiProcess_SortByPType |
                                 aiProcess_FindDegenerates | aiProcess_FindInvalidData | aiProcess_GenUVCoords;
static_assert(importFlags == 0x79ACB, "the level is read with the realtime-quality preset");

glm::mat4 toGlm(const aiMatrix4x4& m)
{
    // Assimp's matrices are row-major; GLM's columns are Assimp's rows.
    return glm::mat4(m.a1, m.b1, m.c1, m.d1, m.a2, m.b2, m.c2, m.d2, m.a3, m.b3, m.c3, m.d3, m.a4, m.b4, m.c4, m.d4);
}

glm::vec3 toGlm(const aiVector3D& v)
{
    return glm::vec3(v.x, v.y, v.z);
}

glm::quat toGlm(const aiQuaternion& q)
{
    return glm::quat(q.w, q.x, q.y, q.z);
}

// Where the node lies in the level: its translation with every parent's
// transform applied, the root's included.
glm::vec3 nodeTranslation(const aiNode* node)
{
    aiMatrix4x4 m;
    for (; node; node = node->mParent)
        m = node->mTransformation * m;
    return glm::vec3(m.a4, m.b4, m.c4);
}

glm::vec4 materialColor(const aiMaterial* material, const char* key, unsigned type, unsigned index,
                        glm::vec4 fallback)
{
    aiColor4D color;
    if (aiGetMaterialColor(material, key, type, index, &color) == AI_SUCCESS)
        return glm::vec4(color.r, color.g, color.b, color.a);
    return fallback;
}

std::string nameSuffix(const std::string& name)
{
    const auto underscore = name.find_last_of('_');
    return underscore == std::string::npos ? name : name.substr(underscore + 1);
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
    if (mesh->HasPositions() && mesh->HasNormals() && mesh->HasTextureCoords(0)) {
        for (size_t v = 0; v < vertexCount; ++v) {
            const aiVector3D& p = mesh->mVertices[v];
            const aiVector3D& n = mesh->mNormals[v];
            const aiVector3D& t = mesh->mTextureCoords[0][v];
            std::copy_n(&p.x, 3, &data.positions[v * 3]);
            std::copy_n(&n.x, 3, &data.normals[v * 3]);
            data.uvs[v * 2] = t.x;
            data.uvs[v * 2 + 1] = t.y;
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

// Every texture path of this kind that the materials name, repeats included.
std::vector<std::string> texturePaths(const aiScene& scene, aiTextureType type)
{
    std::vector<std::string> paths;
    for (unsigned m = 0; m < scene.mNumMaterials; ++m) {
        aiString path;
        for (unsigned i = 0; aiGetMaterialTexture(scene.mMaterials[m], type, i, &path) == AI_SUCCESS; ++i)
            paths.push_back(path.C_Str());
    }
    return paths;
}

// The first folder's file of that name; empty when no folder has it.
std::string texturePicturePath(const std::vector<std::string>& folders, const std::string& fileName)
{
    for (const std::string& folder : folders)
        if (std::ifstream(folder + fileName))
            return folder + fileName;
    return {};
}

// The picture a texture path of the level names, from the first folder that
// holds its file, at 24 or 32 bits; null when it cannot be had, with
// `problem` saying why: a "Level error" when the level itself is at fault (no
// file named, a picture past `limit` pixels a side), else the file.
Bitmap readTexturePicture(const std::string& path, const std::vector<std::string>& folders, unsigned limit,
                          std::string& problem)
{
    const std::string fileName = textureFileName(path);
    if (fileName.empty()) {
        problem = "Level error: the texture path \"" + path + "\" names no file";
        return nullptr;
    }
    const std::string fullPath = texturePicturePath(folders, fileName);
    if (fullPath.empty()) {
        problem = "Level: cannot find the texture";
        for (const std::string& folder : folders)
            problem += (&folder == &folders.front() ? " " : " or ") + folder + fileName;
        return nullptr;
    }
    const FREE_IMAGE_FORMAT format = detectImageFormat(fullPath);
    if (format == FIF_UNKNOWN) {
        problem = "Level: cannot tell the picture format of " + fullPath;
        return nullptr;
    }
    // The size from the header where the format can tell it without
    // decoding: a huge picture is refused before it takes memory.
    Bitmap pixels(FreeImage_FIFSupportsNoPixels(format) ? FreeImage_Load(format, fullPath.c_str(), FIF_LOAD_NOPIXELS)
                                                        : nullptr);
    if (!pixels || (FreeImage_GetWidth(pixels.get()) <= limit && FreeImage_GetHeight(pixels.get()) <= limit))
        pixels = loadBitmap(fullPath, format);
    const unsigned width = pixels ? FreeImage_GetWidth(pixels.get()) : 0;
    const unsigned height = pixels ? FreeImage_GetHeight(pixels.get()) : 0;
    if (width > limit || height > limit) {
        problem = "Level error: the texture \"" + path + "\" is " + std::to_string(width) + "x" +
                  std::to_string(height) + " pixels; at most " + std::to_string(limit) + "x" +
                  std::to_string(limit) + " fit";
        return nullptr;
    }
    // 32-bit pictures go up as BGRA, the rest as BGR; withBitsPerPixel
    // hands a picture already at that depth back without a second copy.
    const unsigned bits = pixels && FreeImage_GetBPP(pixels.get()) == 32 ? 32u : 24u;
    pixels = withBitsPerPixel(std::move(pixels), bits);
    if (!pixels || !FreeImage_GetBits(pixels.get())) {
        // A texture that cannot be read would draw as black: the level is refused.
        problem = "Level: cannot read the texture " + fullPath;
        return nullptr;
    }
    return pixels;
}

} // namespace

AssimpLoader::AssimpLoader(Shader* litShader, Shader* depthShader, PhysicsWorld* physics)
    : litShader(litShader), depthShader(depthShader), physics(physics)
{
}

AssimpLoader::~AssimpLoader() = default;

const aiScene* AssimpLoader::load(const std::string& path)
{
    if (!std::ifstream(path)) {
        std::cout << "Couldn't open file" << std::endl;
        std::cerr << "Level: cannot open " << path << std::endl;
        return nullptr;
    }
    if (std::string problem = scanLevelFile(path); !problem.empty()) {
        std::cout << problem << std::endl;
        std::cerr << "Level: " << path << " does not follow the level format" << std::endl;
        return nullptr;
    }
    const aiScene* scene = importer.ReadFile(path, importFlags);
    if (!scene) {
        std::cout << "Couldn't load File" << std::endl;
        std::cerr << "Level: " << path << ": " << importer.GetErrorString() << std::endl;
        return nullptr;
    }
    return scene;
}

bool AssimpLoader::loadTextures(const aiScene* scene, const std::vector<std::string>& folders)
{
    if (scene->mTextures && scene->mNumTextures > 0)
        return false;

    for (const std::string& path : texturePaths(*scene, aiTextureType_DIFFUSE))
        colorTextures.emplace(path, 0);
    for (const std::string& path : texturePaths(*scene, aiTextureType_NORMALS))
        normalMaps.emplace(path, 0);
    // Every path reads its file from the same folders: two paths that differ
    // only in their folders read the same picture, which the level maker may
    // not expect.
    std::map<std::string, std::string> pathByFile;
    for (const auto* textures : {&colorTextures, &normalMaps}) {
        for (const auto& entry : *textures) {
            const auto [known, added] = pathByFile.emplace(textureFileName(entry.first), entry.first);
            if (!added && known->second != entry.first)
                std::cerr << "Level: the texture paths \"" << known->second << "\" and \"" << entry.first
                          << "\" both read " << texturePicturePath(folders, known->first) << std::endl;
        }
    }
    return createTextures(colorTextures, textureUnits::glUnit(textureUnits::color), folders) &&
           createTextures(normalMaps, textureUnits::glUnit(textureUnits::normalMap), folders);
}

// Textures are made in the map's key order.
bool AssimpLoader::createTextures(std::map<std::string, GLuint>& textures, GLenum unit,
                                  const std::vector<std::string>& folders)
{
    GLint glLimit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &glLimit);
    const unsigned limit = std::min(levelLimits::textureSize, static_cast<unsigned>(std::max(glLimit, 1)));
    for (auto& [path, name] : textures) {
        std::string problem;
        const Bitmap pixels = readTexturePicture(path, folders, limit, problem);
        if (!pixels) {
            if (problem.rfind("Level error", 0) == 0)
                levelErrorText = problem;
            else
                std::cerr << problem << std::endl;
            return false;
        }
        const GLenum layout = FreeImage_GetBPP(pixels.get()) == 32 ? GL_BGRA : GL_BGR;

        assets.textures.push_back(gl::Texture::create());
        name = assets.textures.back();
        glActiveTexture(unit);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, static_cast<GLsizei>(FreeImage_GetWidth(pixels.get())),
                     static_cast<GLsizei>(FreeImage_GetHeight(pixels.get())), 0, layout, GL_UNSIGNED_BYTE,
                     FreeImage_GetBits(pixels.get()));
        glGenerateMipmap(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    return true;
}

std::vector<std::string> levelFileProblems(const std::string& path, const std::vector<std::string>& textureFolders,
                                           int extraLights)
{
    if (!std::ifstream(path))
        return {"Level: cannot open " + path};
    if (std::string problem = scanLevelFile(path); !problem.empty())
        return {problem};
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, importFlags);
    if (!scene)
        return {"Level: " + path + ": " + importer.GetErrorString()};
    std::vector<std::string> problems = levelProblems(*scene, extraLights);
    if (scene->mTextures && scene->mNumTextures > 0)
        problems.push_back("Level error: the file embeds textures; the game reads them from files");
    std::set<std::string> seen;
    for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_NORMALS}) {
        for (const std::string& texture : texturePaths(*scene, type)) {
            std::string problem;
            if (seen.insert(texture).second &&
                !readTexturePicture(texture, textureFolders, levelLimits::textureSize, problem))
                problems.push_back(problem);
        }
    }
    return problems;
}

std::unique_ptr<Level> AssimpLoader::createLevel(const aiScene* scene, float width, float height,
                                                 GLFWwindow* window)
{
    walkNode(scene, scene->mRootNode, nullptr, glm::mat4(1.0f));
    addLights(scene);
    addCameras(scene, width, height, window);
    auto level = std::make_unique<Level>(litShader, std::move(assets));
    assets = LevelAssets();
    return level;
}

// The light's colour is its ambient colour × 10, its power the linear
// attenuation; the Level gives out the shadow units.
void AssimpLoader::addLights(const aiScene* scene)
{
    for (unsigned i = 0; i < scene->mNumLights; ++i) {
        const aiLight* fileLight = scene->mLights[i];
        const aiNode* node = scene->mRootNode->FindNode(fileLight->mName);
        const aiColor3D& ambient = fileLight->mColorAmbient;
        assets.lights.push_back(std::make_unique<Light>(
            nodeTranslation(node), glm::vec3(ambient.r * 10.0f, ambient.g * 10.0f, ambient.b * 10.0f),
            fileLight->mAttenuationLinear));
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
        auto camera = std::make_unique<Camera>(45.0f, width, height, aim, nodeTranslation(cameraNode), up, 237.0f,
                                               131.0f);
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
// `between` carries the groups' transforms from the parent object (or the
// level's origin) to this node's parent.
void AssimpLoader::walkNode(const aiScene* scene, const aiNode* node, ImportObject* parent, const glm::mat4& between)
{
    ImportObject* last = nullptr;
    for (unsigned m = 0; m < node->mNumMeshes; ++m) {
        std::unique_ptr<ImportObject> object =
            makeObject(scene, node, scene->mMeshes[node->mMeshes[m]], parent, between);
        last = object.get();
        if (parent)
            parent->addChild(last);
        assets.objects.push_back(std::move(object));
    }
    const glm::mat4 below = last ? glm::mat4(1.0f) : between * toGlm(node->mTransformation);
    for (unsigned c = 0; c < node->mNumChildren; ++c)
        walkNode(scene, node->mChildren[c], last ? last : parent, below);
}

// The node's name decides the kind: "player" exactly, "…_Anim" with key
// frames, a "dynamic…" prefix for a body that falls, else a static mesh.
std::unique_ptr<ImportObject> AssimpLoader::makeObject(const aiScene* scene, const aiNode* node, const aiMesh* mesh,
                                                       ImportObject* parent, const glm::mat4& between)
{
    const std::string name = node->mName.C_Str();
    MeshData data = readMesh(mesh, name);
    addMaterial(scene->mMaterials[mesh->mMaterialIndex], data);

    const glm::mat4 local = toGlm(node->mTransformation);
    const glm::mat4 placed = (parent ? parent->modelMatrix : glm::mat4(1.0f)) * between * local;

    if (name == "player") {
        auto player = std::make_unique<PlayerObject>(placed, litShader, depthShader, parent, physics, std::move(data));
        assets.player = player.get();
        return player;
    }
    if (nameSuffix(name) == "Anim" && scene->HasAnimations()) {
        if (const aiNodeAnim* channel = animationChannel(scene, name)) {
            auto animated = std::make_unique<AnimatedObject>(placed, litShader, depthShader, parent, physics,
                                                             std::move(data),
                                                             readAnimationKeys(scene->mAnimations[0], channel));
            animated->between = between;
            return animated;
        }
        // Without key frames the node would jump to the origin: keep it where the file puts it.
        std::cerr << "Level: no key frames for " << name << "; it stays in place" << std::endl;
    }
    const int mass = isDynamicName(name) ? 1 : 0;
    return std::make_unique<ImportObject>(placed, litShader, depthShader, parent, physics, mass, std::move(data));
}

// The mesh's Material joins the level; a colour texture gives a texture count
// of 1, a normal map beside it 2 (alone it is ignored).
void AssimpLoader::addMaterial(const aiMaterial* material, MeshData& mesh)
{
    int32_t textureCount = 0;
    aiString texturePath;
    if (aiGetMaterialTexture(material, aiTextureType_DIFFUSE, 0, &texturePath) == AI_SUCCESS) {
        mesh.colorTexture = lookUp(colorTextures, texturePath);
        textureCount = 1;
        if (aiGetMaterialTexture(material, aiTextureType_NORMALS, 0, &texturePath) == AI_SUCCESS) {
            mesh.normalMap = lookUp(normalMaps, texturePath);
            textureCount = 2;
        }
    }
    float shininess = 0.0f;
    unsigned shininessCount = 1;
    if (aiGetMaterialFloatArray(material, AI_MATKEY_SHININESS, &shininess, &shininessCount) != AI_SUCCESS)
        shininess = 0.0f;
    assets.materials.push_back(
        std::make_unique<Material>(materialColor(material, AI_MATKEY_COLOR_DIFFUSE, {0.8f, 0.8f, 0.8f, 1.0f}),
                                   materialColor(material, AI_MATKEY_COLOR_AMBIENT, {0.2f, 0.2f, 0.2f, 1.0f}),
                                   materialColor(material, AI_MATKEY_COLOR_SPECULAR, {0.0f, 0.0f, 0.0f, 1.0f}),
                                   materialColor(material, AI_MATKEY_COLOR_EMISSIVE, {0.0f, 0.0f, 0.0f, 1.0f}),
                                   shininess, textureCount));
    mesh.materialBuffer = assets.materials.back()->getUniformBuffer();
}
