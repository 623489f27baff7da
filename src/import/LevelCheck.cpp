#include "import/LevelCheck.h"

#include "core/Tuning.h"
#include "physics/BodyNames.h"
#include "scene/Level.h"

#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <unordered_set>
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

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

std::string replaced(std::string text, const std::string& key, const std::string& value)
{
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

// Findings of one kind, a line per cause: a cause met in several nodes is
// told once, with their number and the first few names.
class Findings {
public:
    // `one` is the line for a single node, `many` for several; in them "%s"
    // stands for the quoted name or names, "%n" for the number of nodes and
    // "%c" for the sum of `count` over them.
    void add(const std::string& one, const std::string& many, const std::string& node, std::size_t count = 1)
    {
        auto group = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.one == one; });
        if (group == groups.end())
            group = groups.insert(groups.end(), Group{one, many, {}, 0});
        group->nodes.push_back(node);
        group->count += count;
    }
    // A cause of its own, told as it stands.
    void add(const std::string& line) { add(line, line, ""); }

    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        for (const Group& g : groups) {
            std::string names;
            for (std::size_t i = 0; i < g.nodes.size() && i < shownNames; ++i)
                names += (i ? ", " : "") + quoted(g.nodes[i]);
            if (g.nodes.size() > shownNames)
                names += " and " + std::to_string(g.nodes.size() - shownNames) + " more";
            const std::string& text = g.nodes.size() == 1 ? g.one : g.many;
            out.push_back(
                replaced(replaced(replaced(text, "%n", std::to_string(g.nodes.size())), "%c", std::to_string(g.count)),
                         "%s", names));
        }
        return out;
    }

private:
    static constexpr std::size_t shownNames = 3;
    struct Group {
        std::string one, many;
        std::vector<std::string> nodes;
        std::size_t count;
    };
    std::vector<Group> groups;
};

// A mesh cause: "<what> in the mesh of node X" for one, "… in the meshes of N nodes: X, Y" for several.
void addMeshCause(Findings& found, const std::string& what, const std::string& node)
{
    found.add("Level error: " + what + " in the mesh of node %s",
              "Level error: " + what + " in the meshes of %n nodes: %s", node);
}

// A node cause: "node X <what>" for one, "N nodes <what, plural>: X, Y" for several.
void addNodeCause(Findings& found, const std::string& what, const std::string& whatOfMany, const std::string& node)
{
    found.add("Level error: node %s " + what, "Level error: %n nodes " + whatOfMany + ": %s", node);
}

bool hasColourTexture(const aiScene& scene, const aiMesh& mesh)
{
    aiString path;
    return mesh.mMaterialIndex < scene.mNumMaterials &&
           aiGetMaterialTexture(scene.mMaterials[mesh.mMaterialIndex], aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS;
}

// Whether the mesh can be drawn; its problems go to `problems`.
bool checkMesh(const aiScene& scene, const aiMesh& mesh, const std::string& node, Findings& problems)
{
    if (!mesh.HasPositions() || mesh.mNumVertices == 0 || mesh.mNumFaces == 0) {
        addMeshCause(problems, "no triangles", node);
        return false;
    }
    if (!mesh.HasNormals()) {
        addMeshCause(problems, "no normals", node);
        return false;
    }
    if (!mesh.HasTextureCoords(0) && hasColourTexture(scene, mesh)) {
        addMeshCause(problems, "no texture coordinates", node);
        return false;
    }
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
        const aiVector3D& p = mesh.mVertices[v];
        if (!finite(p) || std::fabs(p.x) > levelLimits::coordinate || std::fabs(p.y) > levelLimits::coordinate ||
            std::fabs(p.z) > levelLimits::coordinate) {
            addMeshCause(problems, "a vertex that is not finite or lies past 1e6", node);
            return false;
        }
    }
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        for (unsigned k = 0; k < 3 && face.mNumIndices == 3; ++k) {
            if (face.mIndices[k] >= mesh.mNumVertices) {
                addMeshCause(problems, "a face that refers to a missing vertex", node);
                return false;
            }
        }
    }
    if (mesh.mMaterialIndex >= scene.mNumMaterials) {
        addMeshCause(problems, "no material", node);
        return false;
    }
    return true;
}

// The totals of the meshes placed so far: every node that names a mesh gets
// its own copy.
struct MeshTotals {
    size_t vertices = 0;
    size_t indices = 0;
};

struct Check {
    const aiScene& scene;
    const NodeNames& shownNames;
    Findings problems;
    Findings warnings;
    MeshTotals totals;

    std::string shown(const std::string& name) const
    {
        const auto found = shownNames.find(name);
        return found == shownNames.end() ? name : found->second;
    }
};

// Checks the node and those below it; returns whether any of them holds a mesh.
bool checkNodes(Check& check, const aiNode& node, const aiMatrix4x4& parent)
{
    const std::string name = check.shown(node.mName.C_Str());
    const aiMatrix4x4 global = parent * node.mTransformation;
    if (!finite(node.mTransformation))
        addNodeCause(check.problems, "has a transform with a number that is not finite",
                     "have a transform with a number that is not finite", name);
    else if (!finite(global))
        addNodeCause(check.problems, "lies out of range: its transform with its parents' is not finite",
                     "lie out of range: their transforms with their parents' are not finite", name);
    bool holdsMeshes = false;
    std::size_t leftOut = 0;
    // A file without meshes gets a made-up one of its node tree from the import.
    const unsigned meshes = check.scene.mFlags & AI_SCENE_FLAGS_INCOMPLETE ? 0 : node.mNumMeshes;
    for (unsigned m = 0; m < meshes; ++m) {
        const aiMesh* mesh = node.mMeshes[m] < check.scene.mNumMeshes ? check.scene.mMeshes[node.mMeshes[m]] : nullptr;
        if (!mesh) {
            addNodeCause(check.problems, "refers to a missing mesh", "refer to missing meshes", name);
            continue;
        }
        if (!isDrawn(*mesh)) {
            leftOut += mesh->mNumFaces;
            continue;
        }
        holdsMeshes = true;
        if (!checkMesh(check.scene, *mesh, name, check.problems))
            continue;
        MeshTotals& totals = check.totals;
        const bool withinBudget = totals.vertices <= levelLimits::vertices && totals.indices <= levelLimits::indices;
        totals.vertices += mesh->mNumVertices;
        totals.indices += size_t(mesh->mNumFaces) * 3;
        if (withinBudget && (totals.vertices > levelLimits::vertices || totals.indices > levelLimits::indices))
            check.problems.add("Level error: the mesh of node " + quoted(name) + " takes the level past " +
                               std::to_string(levelLimits::vertices) + " vertices or " +
                               std::to_string(levelLimits::indices) + " indices, its memory budget");
    }
    if (leftOut > 0)
        check.warnings.add("Level warning: faces with fewer than three corners (zero-area triangles or edges) "
                           "left out of the mesh of node %s: %c",
                           "Level warning: faces with fewer than three corners (zero-area triangles or edges) "
                           "left out of the meshes of %n nodes, %s: %c",
                           name, leftOut);
    const bool ownMeshes = holdsMeshes;
    for (unsigned c = 0; c < node.mNumChildren; ++c)
        holdsMeshes = checkNodes(check, *node.mChildren[c], global) || holdsMeshes;
    // Only what is drawn needs a solid shape: a mirrored bone end is harmless.
    if (holdsMeshes && finite(node.mTransformation) && !(determinant3(node.mTransformation) > 0.0))
        addNodeCause(check.problems, "has a zero or negative scale (a flat or mirrored transform)",
                     "have a zero or negative scale (a flat or mirrored transform)", name);
    if (isAnimatedName(node.mName.C_Str())) {
        if (!ownMeshes)
            check.warnings.add("Level warning: node %s is named to move (…_Anim) but holds no mesh of its own: "
                               "nothing moves",
                               "Level warning: %n nodes are named to move (…_Anim) but hold no mesh of their own: "
                               "%s; nothing moves",
                               name);
        else if (!hasKeyFrames(check.scene, node.mName.C_Str()))
            check.warnings.add("Level warning: node %s is named to move (…_Anim) but has no key frames: it stays "
                               "in place",
                               "Level warning: %n nodes are named to move (…_Anim) but have no key frames: %s; they "
                               "stay in place",
                               name);
    }
    return holdsMeshes;
}

void collectNamed(const aiNode& node, const char* name, std::vector<const aiNode*>& found)
{
    if (std::strcmp(node.mName.C_Str(), name) == 0)
        found.push_back(&node);
    for (unsigned c = 0; c < node.mNumChildren; ++c)
        collectNamed(*node.mChildren[c], name, found);
}

unsigned drawnMeshCount(const aiScene& scene, const aiNode& node)
{
    unsigned count = 0;
    for (unsigned m = 0; m < node.mNumMeshes; ++m)
        count += node.mMeshes[m] < scene.mNumMeshes && isDrawn(*scene.mMeshes[node.mMeshes[m]]);
    return count;
}

void checkLightsAndCameras(Check& check)
{
    const aiScene& scene = check.scene;
    for (unsigned i = 0; i < scene.mNumLights; ++i) {
        const aiLight& l = *scene.mLights[i];
        if (!finite(l.mPosition) || !finite(l.mDirection) || !finite(l.mColorAmbient) || !finite(l.mColorDiffuse) ||
            !finite(l.mColorSpecular) ||
            !finite({l.mAttenuationConstant, l.mAttenuationLinear, l.mAttenuationQuadratic}))
            check.problems.add("Level error: the light " + quoted(l.mName.C_Str()) +
                               " has a number that is not finite");
        else if (givesNoLight(fileLight(l)))
            check.warnings.add("Level warning: the light %s gives no light (see \"Lights\" in the level guide)",
                               "Level warning: %n lights give no light (see \"Lights\" in the level guide): %s",
                               l.mName.C_Str());
    }
    for (unsigned i = 0; i < scene.mNumCameras; ++i) {
        const aiCamera& c = *scene.mCameras[i];
        if (!finite(c.mPosition) || !finite(c.mUp) || !finite(c.mLookAt) ||
            !finite({c.mHorizontalFOV, c.mClipPlaneNear, c.mClipPlaneFar, c.mAspect}))
            check.problems.add("Level error: the camera " + quoted(c.mName.C_Str()) +
                               " has a number that is not finite");
    }
}

aiMatrix4x4 globalTransform(const aiNode* node)
{
    aiMatrix4x4 m;
    for (; node; node = node->mParent)
        m = node->mTransformation * m;
    return m;
}

// Whether some drawn triangle outside the player's node lies below `start`.
bool groundBelow(const aiScene& scene, const aiNode& node, const aiNode* player, const aiVector3D& start)
{
    if (&node != player) {
        const aiMatrix4x4 global = globalTransform(&node);
        for (unsigned m = 0; m < node.mNumMeshes; ++m) {
            const aiMesh* mesh = scene.mMeshes[node.mMeshes[m]];
            if (!isDrawn(*mesh))
                continue;
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                const unsigned* corner = mesh->mFaces[f].mIndices;
                const aiVector3D a = global * mesh->mVertices[corner[0]], b = global * mesh->mVertices[corner[1]],
                                 c = global * mesh->mVertices[corner[2]];
                // The start's place in the triangle seen from above.
                const double area = double(b.x - a.x) * (c.z - a.z) - double(c.x - a.x) * (b.z - a.z);
                if (area == 0.0)
                    continue;
                const double u = (double(start.x - a.x) * (c.z - a.z) - double(c.x - a.x) * (start.z - a.z)) / area;
                const double v = (double(b.x - a.x) * (start.z - a.z) - double(start.x - a.x) * (b.z - a.z)) / area;
                if (u >= 0.0 && v >= 0.0 && u + v <= 1.0 && a.y + u * (b.y - a.y) + v * (c.y - a.y) < start.y)
                    return true;
            }
        }
    }
    for (unsigned c = 0; c < node.mNumChildren; ++c)
        if (groundBelow(scene, *node.mChildren[c], player, start))
            return true;
    return false;
}

} // namespace

std::string textureFileName(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name == "." || name == ".." ? std::string() : name;
}

bool isDrawn(const aiMesh& mesh) { return mesh.mPrimitiveTypes == aiPrimitiveType_TRIANGLE; }

bool hasKeyFrames(const aiScene& scene, const std::string& nodeName)
{
    if (!scene.HasAnimations())
        return false;
    const aiAnimation& animation = *scene.mAnimations[0];
    for (unsigned i = 0; i < animation.mNumChannels; ++i)
        if (nodeName == animation.mChannels[i]->mNodeName.C_Str())
            return true;
    return false;
}

FileLight fileLight(const aiLight& light)
{
    const aiColor3D& ambient = light.mColorAmbient;
    if (!ambient.IsBlack())
        return {glm::vec3(ambient.r, ambient.g, ambient.b) * tuning::fileLightColourScale, light.mAttenuationLinear};
    const aiColor3D& colour = light.mColorDiffuse;
    const float brightest = std::max({colour.r, colour.g, colour.b});
    if (!(brightest > 0.0f))
        return {glm::vec3(0.0f), light.mAttenuationLinear};
    const glm::vec3 hue = glm::vec3(colour.r, colour.g, colour.b) / brightest;
    if (light.mAttenuationLinear > 0.0f)
        return {hue, light.mAttenuationLinear};
    if (light.mAttenuationQuadratic > 0.0f)
        return {hue, brightest * tuning::powerPerWatt};
    return {hue, brightest * tuning::steadyLightPower};
}

bool givesNoLight(const FileLight& light)
{
    return std::max({light.colour.r, light.colour.g, light.colour.b}) * light.power < 0.01f;
}

LevelFindings checkLevel(const aiScene& scene, int extraLights, const NodeNames& shownNames)
{
    const aiNode* root = scene.mRootNode;
    if (!root)
        return {{"Level error: the file holds no scene"}, {}};
    Check check{scene, shownNames, {}, {}, {}};
    Findings& problems = check.problems;

    const aiNode* player = root->FindNode("player");
    std::vector<const aiNode*> players;
    collectNamed(*root, "player", players);
    const unsigned playerMeshes = player ? drawnMeshCount(scene, *player) : 0;
    if (playerMeshes == 0)
        problems.add("Level error: no node named \"player\" with a mesh");
    else if (players.size() > 1)
        problems.add("Level error: a second node named \"player\"");
    else if (playerMeshes > 1)
        problems.add("Level error: the node \"player\" has " + std::to_string(playerMeshes) +
                     " meshes; the player is one");

    // Every node's name once: a level of many lights is not searched once a light.
    std::unordered_set<std::string> nodeNames;
    const std::function<void(const aiNode&)> collect = [&](const aiNode& node) {
        nodeNames.insert(node.mName.C_Str());
        for (unsigned i = 0; i < node.mNumChildren; ++i)
            collect(*node.mChildren[i]);
    };
    collect(*root);
    const auto hasNode = [&nodeNames](const aiString& name) { return nodeNames.count(name.C_Str()) > 0; };
    if (scene.mNumCameras == 0 || !scene.mCameras)
        problems.add("Level error: no camera");
    else if (!hasNode(scene.mCameras[0]->mName))
        problems.add("Level error: no node for the camera " + quoted(scene.mCameras[0]->mName.C_Str()));
    if (!nodeNames.count("camera1_aim") || !nodeNames.count("camera1_up"))
        problems.add("Level error: the nodes \"camera1_aim\" and \"camera1_up\" are missing");

    const unsigned lightCount = scene.mNumLights + static_cast<unsigned>(extraLights);
    if (lightCount > static_cast<unsigned>(Level::maxLights)) {
        problems.add("Level error: " + std::to_string(scene.mNumLights) + " lights; at most " +
                     std::to_string(Level::maxLights - extraLights) + " fit beside the game's own " +
                     std::to_string(extraLights));
    }
    for (unsigned i = 0; i < scene.mNumLights; ++i) {
        if (!hasNode(scene.mLights[i]->mName))
            problems.add("Level error: no node for the light " + quoted(scene.mLights[i]->mName.C_Str()));
    }
    checkLightsAndCameras(check);
    checkNodes(check, *root, aiMatrix4x4());
    LevelFindings found{problems.lines(), check.warnings.lines()};
    if (found.problems.empty() && !groundBelow(scene, *root, player, globalTransform(player) * aiVector3D()))
        found.warnings.push_back("Level warning: nothing to stand on below the player's start: it falls");
    return found;
}
