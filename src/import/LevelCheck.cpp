#include "import/LevelCheck.h"

#include "scene/Level.h"

#include <assimp/scene.h>

#include <string>

namespace {

std::string quoted(const aiString& name)
{
    return std::string("\"") + name.C_Str() + "\"";
}

// What is wrong with one mesh, or an empty string.
std::string checkMesh(const aiMesh& mesh, const aiString& nodeName)
{
    const std::string where = " in the mesh of node " + quoted(nodeName);
    if (mesh.mPrimitiveTypes != aiPrimitiveType_TRIANGLE)
        return "Level error: faces with fewer than three corners" + where;
    if (!mesh.HasPositions() || mesh.mNumVertices == 0 || mesh.mNumFaces == 0)
        return "Level error: no triangles" + where;
    if (!mesh.HasNormals())
        return "Level error: no normals" + where;
    if (!mesh.HasTextureCoords(0))
        return "Level error: no texture coordinates" + where;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3)
            return "Level error: a face without three corners" + where;
        for (unsigned k = 0; k < 3; ++k) {
            if (face.mIndices[k] >= mesh.mNumVertices)
                return "Level error: a face refers to a missing vertex" + where;
        }
    }
    return {};
}

std::string checkNodes(const aiScene& scene, const aiNode& node)
{
    for (unsigned m = 0; m < node.mNumMeshes; ++m) {
        if (node.mMeshes[m] >= scene.mNumMeshes)
            return "Level error: node " + quoted(node.mName) + " refers to a missing mesh";
        const aiMesh* mesh = scene.mMeshes[node.mMeshes[m]];
        if (!mesh)
            return "Level error: node " + quoted(node.mName) + " refers to a missing mesh";
        std::string problem = checkMesh(*mesh, node.mName);
        if (!problem.empty())
            return problem;
        if (mesh->mMaterialIndex >= scene.mNumMaterials)
            return "Level error: the mesh of node " + quoted(node.mName) + " has no material";
    }
    for (unsigned c = 0; c < node.mNumChildren; ++c) {
        std::string problem = checkNodes(scene, *node.mChildren[c]);
        if (!problem.empty())
            return problem;
    }
    return {};
}

} // namespace

std::string checkLevel(const aiScene& scene, int extraLights)
{
    const aiNode* root = scene.mRootNode;
    if (!root)
        return "Level error: the file holds no scene";

    const aiNode* player = root->FindNode("player");
    if (!player || player->mNumMeshes == 0)
        return "Level error: no node named \"player\" with a mesh";

    if (scene.mNumCameras == 0 || !scene.mCameras)
        return "Level error: no camera";
    if (!root->FindNode(scene.mCameras[0]->mName))
        return "Level error: no node for the camera " + quoted(scene.mCameras[0]->mName);
    if (!root->FindNode("camera1_aim") || !root->FindNode("camera1_up"))
        return "Level error: the nodes \"camera1_aim\" and \"camera1_up\" are missing";

    const unsigned lightCount = scene.mNumLights + static_cast<unsigned>(extraLights);
    if (lightCount > static_cast<unsigned>(Level::maxLights)) {
        return "Level error: " + std::to_string(scene.mNumLights) + " lights; at most " +
               std::to_string(Level::maxLights - extraLights) + " fit beside the game's own " +
               std::to_string(extraLights);
    }
    for (unsigned i = 0; i < scene.mNumLights; ++i) {
        if (!root->FindNode(scene.mLights[i]->mName))
            return "Level error: no node for the light " + quoted(scene.mLights[i]->mName);
    }
    return checkNodes(scene, *root);
}
