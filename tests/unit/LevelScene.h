#pragma once

// Helpers for the tests that read level files through Assimp the way the game
// does, without any GL.

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace levelscene {

// The game's import flags (aiProcessPreset_TargetRealtime_Quality).
constexpr unsigned int kGameFlags = 0x79ACB;
static_assert(kGameFlags == aiProcessPreset_TargetRealtime_Quality, "the game imports with this preset");

inline std::string sourcePath(const std::string& relative)
{
    return std::string(QUARRYSTACK_SOURCE_DIR) + "/" + relative;
}

// An importer that owns the scene it read; scene is null when the import
// failed.
struct Loaded {
    std::unique_ptr<Assimp::Importer> importer = std::make_unique<Assimp::Importer>();
    const aiScene* scene = nullptr;
};

inline Loaded load(const std::string& path)
{
    Loaded loaded;
    loaded.scene = loaded.importer->ReadFile(path, kGameFlags);
    return loaded;
}

inline void forEachNode(const aiNode* node, const std::function<void(const aiNode*)>& visit)
{
    visit(node);
    for (unsigned int i = 0; i < node->mNumChildren; ++i) {
        forEachNode(node->mChildren[i], visit);
    }
}

inline std::vector<const aiNode*> nodesNamed(const aiScene* scene, const std::function<bool(const std::string&)>& match)
{
    std::vector<const aiNode*> found;
    forEachNode(scene->mRootNode, [&](const aiNode* node) {
        if (node != scene->mRootNode && match(node->mName.C_Str())) {
            found.push_back(node);
        }
    });
    return found;
}

inline const aiNode* rootChild(const aiScene* scene, const std::string& name)
{
    for (unsigned int i = 0; i < scene->mRootNode->mNumChildren; ++i) {
        if (name == scene->mRootNode->mChildren[i]->mName.C_Str()) {
            return scene->mRootNode->mChildren[i];
        }
    }
    return nullptr;
}

// The part of a node name after its last "_" (the whole name without one):
// "Anim" there marks an animated object.
inline std::string suffix(const std::string& name)
{
    size_t underscore = name.find_last_of('_');
    return underscore == std::string::npos ? name : name.substr(underscore + 1);
}

inline aiMatrix4x4 globalTransform(const aiNode* node)
{
    aiMatrix4x4 m = node->mTransformation;
    for (const aiNode* p = node->mParent; p != nullptr; p = p->mParent) {
        m = p->mTransformation * m;
    }
    return m;
}

inline aiVector3D translation(const aiMatrix4x4& m)
{
    return aiVector3D(m.a4, m.b4, m.c4);
}

// World-space bounds of every mesh of a node.
struct Bounds {
    aiVector3D low{1e30f, 1e30f, 1e30f};
    aiVector3D high{-1e30f, -1e30f, -1e30f};
};

inline Bounds worldBounds(const aiScene* scene, const aiNode* node)
{
    Bounds b;
    aiMatrix4x4 m = globalTransform(node);
    for (unsigned int i = 0; i < node->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[i]];
        for (unsigned int v = 0; v < mesh->mNumVertices; ++v) {
            aiVector3D p = m * mesh->mVertices[v];
            b.low = aiVector3D(std::min(b.low.x, p.x), std::min(b.low.y, p.y), std::min(b.low.z, p.z));
            b.high = aiVector3D(std::max(b.high.x, p.x), std::max(b.high.y, p.y), std::max(b.high.z, p.z));
        }
    }
    return b;
}

} // namespace levelscene
