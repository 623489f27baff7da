#include "import/LevelCheck.h"

#include "scene/Level.h"

#include <assimp/scene.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool finite(const aiMatrix4x4& m)
{
    for (const float* v = m[0]; v != m[0] + 16; ++v)
        if (!std::isfinite(*v))
            return false;
    return true;
}

bool finite(std::initializer_list<float> values)
{
    for (float v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

bool finite(const aiVector3D& v) { return finite({v.x, v.y, v.z}); }

bool finite(const aiColor3D& c) { return finite({c.r, c.g, c.b}); }

double determinant3(const aiMatrix4x4& m)
{
    return double(m.a1) * (double(m.b2) * m.c3 - double(m.b3) * m.c2) -
           double(m.a2) * (double(m.b1) * m.c3 - double(m.b3) * m.c1) +
           double(m.a3) * (double(m.b1) * m.c2 - double(m.b2) * m.c1);
}

std::string quoted(const aiString& name) { return std::string("\"") + name.C_Str() + "\""; }

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
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
        const aiVector3D& p = mesh.mVertices[v];
        if (!finite(p) || std::fabs(p.x) > levelLimits::coordinate || std::fabs(p.y) > levelLimits::coordinate ||
            std::fabs(p.z) > levelLimits::coordinate)
            return "Level error: a vertex that is not finite or lies past 1e6" + where;
    }
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

// The totals of the meshes placed so far: every node that names a mesh gets
// its own copy.
struct MeshTotals {
    size_t vertices = 0;
    size_t indices = 0;
};

std::string checkTransform(const aiNode& node, const aiMatrix4x4& global)
{
    if (!finite(node.mTransformation))
        return "Level error: node " + quoted(node.mName) + " has a transform with a number that is not finite";
    if (!(determinant3(node.mTransformation) > 0.0))
        return "Level error: node " + quoted(node.mName) +
               " has a zero or negative scale (a flat or mirrored transform)";
    if (!finite(global))
        return "Level error: node " + quoted(node.mName) +
               " lies out of range: its transform with its parents' is not finite";
    return {};
}

void checkNodes(const aiScene& scene, const aiNode& node, const aiMatrix4x4& parent, MeshTotals& totals,
                std::vector<std::string>& problems)
{
    const aiMatrix4x4 global = parent * node.mTransformation;
    if (std::string problem = checkTransform(node, global); !problem.empty())
        problems.push_back(problem);
    for (unsigned m = 0; m < node.mNumMeshes; ++m) {
        const aiMesh* mesh = node.mMeshes[m] < scene.mNumMeshes ? scene.mMeshes[node.mMeshes[m]] : nullptr;
        if (!mesh) {
            problems.push_back("Level error: node " + quoted(node.mName) + " refers to a missing mesh");
            continue;
        }
        if (std::string problem = checkMesh(*mesh, node.mName); !problem.empty()) {
            problems.push_back(problem);
            continue;
        }
        if (mesh->mMaterialIndex >= scene.mNumMaterials)
            problems.push_back("Level error: the mesh of node " + quoted(node.mName) + " has no material");
        const bool withinBudget = totals.vertices <= levelLimits::vertices && totals.indices <= levelLimits::indices;
        totals.vertices += mesh->mNumVertices;
        totals.indices += size_t(mesh->mNumFaces) * 3;
        if (withinBudget && (totals.vertices > levelLimits::vertices || totals.indices > levelLimits::indices))
            problems.push_back("Level error: the mesh of node " + quoted(node.mName) + " takes the level past " +
                               std::to_string(levelLimits::vertices) + " vertices or " +
                               std::to_string(levelLimits::indices) + " indices, its memory budget");
    }
    for (unsigned c = 0; c < node.mNumChildren; ++c)
        checkNodes(scene, *node.mChildren[c], global, totals, problems);
}

void collectNamed(const aiNode& node, const char* name, std::vector<const aiNode*>& found)
{
    if (std::strcmp(node.mName.C_Str(), name) == 0)
        found.push_back(&node);
    for (unsigned c = 0; c < node.mNumChildren; ++c)
        collectNamed(*node.mChildren[c], name, found);
}

void checkLightsAndCameras(const aiScene& scene, std::vector<std::string>& problems)
{
    for (unsigned i = 0; i < scene.mNumLights; ++i) {
        const aiLight& l = *scene.mLights[i];
        if (!finite(l.mPosition) || !finite(l.mDirection) || !finite(l.mColorAmbient) || !finite(l.mColorDiffuse) ||
            !finite(l.mColorSpecular) ||
            !finite({l.mAttenuationConstant, l.mAttenuationLinear, l.mAttenuationQuadratic}))
            problems.push_back("Level error: the light " + quoted(l.mName) + " has a number that is not finite");
    }
    for (unsigned i = 0; i < scene.mNumCameras; ++i) {
        const aiCamera& c = *scene.mCameras[i];
        if (!finite(c.mPosition) || !finite(c.mUp) || !finite(c.mLookAt) ||
            !finite({c.mHorizontalFOV, c.mClipPlaneNear, c.mClipPlaneFar, c.mAspect}))
            problems.push_back("Level error: the camera " + quoted(c.mName) + " has a number that is not finite");
    }
}

} // namespace

std::string textureFileName(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name == "." || name == ".." ? std::string() : name;
}

std::vector<std::string> levelProblems(const aiScene& scene, int extraLights)
{
    const aiNode* root = scene.mRootNode;
    if (!root)
        return {"Level error: the file holds no scene"};
    std::vector<std::string> problems;

    const aiNode* player = root->FindNode("player");
    std::vector<const aiNode*> players;
    collectNamed(*root, "player", players);
    if (!player || player->mNumMeshes == 0)
        problems.push_back("Level error: no node named \"player\" with a mesh");
    else if (players.size() > 1)
        problems.push_back("Level error: a second node named \"player\"");
    else if (player->mNumMeshes > 1)
        problems.push_back("Level error: the node \"player\" has " + std::to_string(player->mNumMeshes) +
                           " meshes; the player is one");

    if (scene.mNumCameras == 0 || !scene.mCameras)
        problems.push_back("Level error: no camera");
    else if (!root->FindNode(scene.mCameras[0]->mName))
        problems.push_back("Level error: no node for the camera " + quoted(scene.mCameras[0]->mName));
    if (!root->FindNode("camera1_aim") || !root->FindNode("camera1_up"))
        problems.push_back("Level error: the nodes \"camera1_aim\" and \"camera1_up\" are missing");

    const unsigned lightCount = scene.mNumLights + static_cast<unsigned>(extraLights);
    if (lightCount > static_cast<unsigned>(Level::maxLights)) {
        problems.push_back("Level error: " + std::to_string(scene.mNumLights) + " lights; at most " +
                           std::to_string(Level::maxLights - extraLights) + " fit beside the game's own " +
                           std::to_string(extraLights));
    }
    for (unsigned i = 0; i < scene.mNumLights; ++i) {
        if (!root->FindNode(scene.mLights[i]->mName))
            problems.push_back("Level error: no node for the light " + quoted(scene.mLights[i]->mName));
    }
    checkLightsAndCameras(scene, problems);
    MeshTotals totals;
    checkNodes(scene, *root, aiMatrix4x4(), totals, problems);
    return problems;
}
