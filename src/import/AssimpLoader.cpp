#include "import/AssimpLoader.h"

#include "physics/BodyNames.h"
#include "physics/PhysicsWorld.h"
#include "render/ImageFile.h"
#include "scene/AnimatedObject.h"
#include "scene/Camera.h"
#include "scene/ImportObject.h"
#include "scene/Level.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/PlayerObject.h"

#include <FreeImage.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <btBulletCollisionCommon.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <type_traits>
#include <iostream>

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

glm::vec3 nodeTranslation(const aiNode* node)
{
    if (!node)
        return glm::vec3(0.0f);
    const aiMatrix4x4& m = node->mTransformation;
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

std::string fileNameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
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

} // namespace

AssimpLoader::AssimpLoader(Shader* litShader, Shader* depthShader, PhysicsWorld* physics)
    : litShader(litShader), depthShader(depthShader), physics(physics)
{
}

AssimpLoader::~AssimpLoader()
{
    if (bitmap)
        FreeImage_Unload(bitmap);
    if (!textureNames.empty())
        glDeleteTextures(static_cast<GLsizei>(textureNames.size()), textureNames.data());
}

template <typename T>
T* AssimpLoader::keepArray(size_t count)
{
    std::shared_ptr<T[]> array(new T[count]());
    storage.push_back(array);
    return array.get();
}

template <typename T, typename... Args>
T* AssimpLoader::keep(Args&&... args)
{
    auto object = std::make_shared<T>(std::forward<Args>(args)...);
    storage.push_back(object);
    return object.get();
}

const aiScene* AssimpLoader::load(const std::string& path)
{
    std::ifstream test(path);
    if (!test) {
        std::cout << "Couldn't open file" << std::endl;
        std::cerr << "Level: cannot open " << path << std::endl;
        return nullptr;
    }
    test.close();

    scene = importer.ReadFile(path, importFlags);
    if (!scene) {
        std::cout << "Couldn't load File" << std::endl;
        std::cerr << "Level: " << path << ": " << importer.GetErrorString() << std::endl;
        return nullptr;
    }
    return scene;
}

bool AssimpLoader::loadTextures(const aiScene* scene, const std::string& directory)
{
    if (bitmap) {
        FreeImage_Unload(bitmap);
        bitmap = nullptr;
    }
    if (scene->mTextures && scene->mNumTextures > 0)
        return false;

    for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
        const aiMaterial* material = scene->mMaterials[m];
        aiString path;
        for (unsigned i = 0; aiGetMaterialTexture(material, aiTextureType_DIFFUSE, i, &path) == AI_SUCCESS; ++i)
            diffuseTextures.emplace(path.C_Str(), 0);
        for (unsigned i = 0; aiGetMaterialTexture(material, aiTextureType_NORMALS, i, &path) == AI_SUCCESS; ++i)
            normalTextures.emplace(path.C_Str(), 0);
    }
    return createTextures(diffuseTextures, GL_TEXTURE0, directory) &&
           createTextures(normalTextures, GL_TEXTURE1, directory);
}

// All textures of a kind get their names in one call, in the maps' key order.
// Every picture is brought to 24-bit BGR before the upload, whatever its depth.
bool AssimpLoader::createTextures(std::map<std::string, GLuint>& textures, GLenum unit,
                                  const std::string& directory)
{
    if (textures.empty())
        return true;
    std::vector<GLuint> names(textures.size());
    glGenTextures(static_cast<GLsizei>(names.size()), names.data());
    textureNames.insert(textureNames.end(), names.begin(), names.end());

    size_t next = 0;
    for (auto& [path, name] : textures) {
        name = names[next++];
        const std::string fullPath = directory + fileNameOf(path);
        const FREE_IMAGE_FORMAT format = detectImageFormat(fullPath);
        if (format == FIF_UNKNOWN) {
            std::cerr << "Level: cannot tell the picture format of " << fullPath << std::endl;
            return false;
        }
        if (bitmap) {
            FreeImage_Unload(bitmap);
            bitmap = nullptr;
        }
        bitmap = loadBitmap(fullPath, format).release();
        Bitmap pixels = bitmap ? withBitsPerPixel(Bitmap(FreeImage_Clone(bitmap)), 24) : nullptr;
        if (!pixels || !FreeImage_GetBits(pixels.get())) {
            // A texture that cannot be read would draw as black: refuse the level.
            std::cerr << "Level: cannot read the texture " << fullPath << std::endl;
            return false;
        }

        glActiveTexture(unit);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, static_cast<GLsizei>(FreeImage_GetWidth(pixels.get())),
                     static_cast<GLsizei>(FreeImage_GetHeight(pixels.get())), 0, GL_BGR, GL_UNSIGNED_BYTE,
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

Level* AssimpLoader::createLevel(const aiScene* scene, float width, float height, GLFWwindow* window)
{
    walkNode(scene, scene->mRootNode, litShader, depthShader, nullptr, physics);

    std::vector<Light*> lights;
    for (unsigned i = 0; i < scene->mNumLights; ++i) {
        const aiLight* fileLight = scene->mLights[i];
        const aiNode* node = scene->mRootNode->FindNode(fileLight->mName);
        const aiColor3D& ambient = fileLight->mColorAmbient;
        Light* light = keep<Light>(nodeTranslation(node),
                                   glm::vec3(ambient.r * 10.0f, ambient.g * 10.0f, ambient.b * 10.0f),
                                   fileLight->mAttenuationLinear);
        light->unit = static_cast<int32_t>(i) + 2;
        lights.push_back(light);
    }

    cameraList = keep<CameraList>(window, player);
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
            Camera* listed = camera.get();
            storage.push_back(std::shared_ptr<Camera>(std::move(camera)));
            cameraList->addCamera(listed);
        }
    }
    if (player)
        player->window = window;

    return new Level(glm::mat4(1.0f), litShader, objects, lights, materials, player);
}

void AssimpLoader::walkNode(const aiScene* scene, const aiNode* node, Shader* shader, Shader* depthShader,
                            ImportObject* parent, PhysicsWorld* physics)
{
    ImportObject* last = nullptr;
    for (unsigned m = 0; m < node->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[m]];
        last = makeObject(scene, node, mesh, shader, depthShader, parent, physics);
        objects.push_back(last);
        if (parent)
            parent->addChild(last);
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c)
        walkNode(scene, node->mChildren[c], shader, depthShader, last, physics);
}

ImportObject* AssimpLoader::makeObject(const aiScene* scene, const aiNode* node, const aiMesh* mesh, Shader* shader,
                                       Shader* depthShader, ImportObject* parent, PhysicsWorld* physics)
{
    const std::string name = node->mName.C_Str();
    const unsigned vertexCount = mesh->mNumVertices;
    const unsigned faceCount = mesh->mNumFaces;

    MeshData data;
    data.indices = keepArray<uint32_t>(size_t(faceCount) * 3);
    data.positions = keepArray<float>(size_t(vertexCount) * 3);
    data.normals = keepArray<float>(size_t(vertexCount) * 3);
    data.uvs = keepArray<float>(size_t(vertexCount) * 2);
    data.tangents = keepArray<float>(size_t(vertexCount) * 4);
    data.vertexCount = vertexCount;
    data.faceCount = faceCount;
    data.name = name;

    for (unsigned f = 0; f < faceCount; ++f) {
        const aiFace& face = mesh->mFaces[f];
        for (unsigned k = 0; k < 3 && k < face.mNumIndices; ++k)
            data.indices[f * 3 + k] = face.mIndices[k];
    }

    btTriangleMesh* triangleMesh = keep<btTriangleMesh>(true, true);
    std::vector<glm::vec3> corners;
    if (mesh->HasPositions() && vertexCount > 0 && mesh->HasNormals() && mesh->HasTextureCoords(0)) {
        for (unsigned v = 0; v < vertexCount; ++v) {
            const aiVector3D& p = mesh->mVertices[v];
            const aiVector3D& n = mesh->mNormals[v];
            const aiVector3D& t = mesh->mTextureCoords[0][v];
            const float position[3] = {p.x, p.y, p.z};
            const float normal[3] = {n.x, n.y, n.z};
            std::copy_n(position, 3, data.positions + v * 3);
            std::copy_n(normal, 3, data.normals + v * 3);
            data.uvs[v * 2] = t.x;
            data.uvs[v * 2 + 1] = t.y;
        }
        corners.reserve(size_t(faceCount) * 3);
        for (unsigned f = 0; f < faceCount; ++f) {
            glm::vec3 corner[3];
            for (unsigned k = 0; k < 3; ++k) {
                const aiVector3D& p = mesh->mVertices[data.indices[f * 3 + k]];
                corner[k] = glm::vec3(p.x, p.y, p.z);
                corners.push_back(corner[k]);
            }
            triangleMesh->addTriangle(btVector3(corner[0].x, corner[0].y, corner[0].z),
                                      btVector3(corner[1].x, corner[1].y, corner[1].z),
                                      btVector3(corner[2].x, corner[2].y, corner[2].z), false);
        }
    }
    if (mesh->HasTangentsAndBitangents() && mesh->HasPositions() && mesh->HasNormals()) {
        for (unsigned v = 0; v < vertexCount; ++v) {
            const glm::vec4 tangent = orthogonalTangent(mesh->mTangents[v], mesh->mBitangents[v], mesh->mNormals[v]);
            const float values[4] = {tangent.x, tangent.y, tangent.z, tangent.w};
            std::copy_n(values, 4, data.tangents + v * 4);
        }
    }

    const aiMaterial* material = scene->mMaterials[mesh->mMaterialIndex];
    int32_t textureCount = 0;
    aiString texturePath;
    if (aiGetMaterialTexture(material, aiTextureType_DIFFUSE, 0, &texturePath) == AI_SUCCESS) {
        currentColorTexture = lookUp(diffuseTextures, texturePath);
        textureCount = 1;
        if (aiGetMaterialTexture(material, aiTextureType_NORMALS, 0, &texturePath) == AI_SUCCESS) {
            currentNormalMap = lookUp(normalTextures, texturePath);
            textureCount = 2;
        }
    }
    float shininess = 0.0f;
    unsigned shininessCount = 1;
    if (aiGetMaterialFloatArray(material, AI_MATKEY_SHININESS, &shininess, &shininessCount) != AI_SUCCESS)
        shininess = 0.0f;
    Material* meshMaterial = keep<Material>(materialColor(material, AI_MATKEY_COLOR_DIFFUSE, {0.8f, 0.8f, 0.8f, 1.0f}),
                                            materialColor(material, AI_MATKEY_COLOR_AMBIENT, {0.2f, 0.2f, 0.2f, 1.0f}),
                                            materialColor(material, AI_MATKEY_COLOR_SPECULAR, {0.0f, 0.0f, 0.0f, 1.0f}),
                                            materialColor(material, AI_MATKEY_COLOR_EMISSIVE, {0.0f, 0.0f, 0.0f, 1.0f}),
                                            shininess, textureCount);
    materials.push_back(meshMaterial);
    data.materialBuffer = meshMaterial->getUniformBuffer();
    data.colorTexture = currentColorTexture;
    data.normalMap = currentNormalMap;

    const glm::mat4 local = toGlm(node->mTransformation);
    const glm::mat4 placed = parent ? parent->modelMatrix * local : local;

    if (name == "player") {
        player = new PlayerObject(local, shader, depthShader, parent, triangleMesh, physics, 1, std::move(corners),
                                  std::move(data));
        return player;
    }
    if (nameSuffix(name) == "Anim" && scene->HasAnimations()) {
        const aiAnimation* animation = scene->mAnimations[0];
        if (const aiNodeAnim* channel = findChannel(animation, name)) {
            // Collada key times arrive in ticks; the animation clock counts seconds.
            const double ticksPerSecond = animation->mTicksPerSecond > 0.0 ? animation->mTicksPerSecond : 1.0;
            // One track's values and times, copied into arrays that last the run.
            auto copyTrack = [this, ticksPerSecond](const auto* source, unsigned count, auto*& values,
                                                    double*& times) {
                using Value = std::remove_reference_t<decltype(*values)>;
                values = keepArray<Value>(count);
                times = keepArray<double>(count);
                for (unsigned k = 0; k < count; ++k) {
                    values[k] = toGlm(source[k].mValue);
                    times[k] = source[k].mTime / ticksPerSecond;
                }
                return static_cast<int32_t>(count);
            };
            AnimationKeys keys;
            keys.positionKeyCount =
                copyTrack(channel->mPositionKeys, channel->mNumPositionKeys, keys.positionKeys, keys.positionTimes);
            keys.rotationKeyCount =
                copyTrack(channel->mRotationKeys, channel->mNumRotationKeys, keys.rotationKeys, keys.rotationTimes);
            keys.scalingKeyCount =
                copyTrack(channel->mScalingKeys, channel->mNumScalingKeys, keys.scalingKeys, keys.scalingTimes);
            keys.duration = animation->mDuration / ticksPerSecond;
            return new AnimatedObject(placed, shader, depthShader, parent, triangleMesh, physics, std::move(corners),
                                      std::move(data), keys);
        }
        // Without key frames the node would jump to the origin: keep it where the file puts it.
        std::cerr << "Level: no key frames for " << name << "; it stays in place" << std::endl;
    }
    const int mass = isDynamicName(name) ? 1 : 0;
    return new ImportObject(placed, shader, depthShader, parent, triangleMesh, physics, mass, std::move(corners),
                            std::move(data));
}
