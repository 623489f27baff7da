#include "import/LevelCheck.h"

#include "scene/Level.h"

#include <assimp/scene.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The value of attribute `name` in a tag's text, or an empty string.
std::string attribute(const std::string& tag, const char* name)
{
    const std::string key = std::string(" ") + name + "=\"";
    const auto start = tag.find(key);
    if (start == std::string::npos)
        return {};
    const auto from = start + key.size();
    const auto end = tag.find('"', from);
    return end == std::string::npos ? tag.substr(from) : tag.substr(from, end - from);
}

// Reads up to and including `end` (three characters at most); false at the
// end of the file.
bool skipPast(std::streambuf& in, const char* end)
{
    const size_t length = std::strlen(end);
    std::string window;
    for (int c = in.sbumpc(); c != EOF; c = in.sbumpc()) {
        window += static_cast<char>(c);
        if (window.size() > length)
            window.erase(0, 1);
        if (window == end)
            return true;
    }
    return false;
}

// The rest of a tag after its '<', without the closing '>'; only the first
// 512 characters are kept, enough for the name and the attributes read here.
std::string readTag(std::streambuf& in)
{
    std::string tag;
    char quote = 0;
    for (int c = in.sbumpc(); c != EOF; c = in.sbumpc()) {
        if (quote ? c == quote : (c == '"' || c == '\''))
            quote = quote ? 0 : static_cast<char>(c);
        else if (!quote && c == '>')
            break;
        if (tag.size() < 512)
            tag += static_cast<char>(c);
    }
    return tag;
}

bool isElement(const std::string& tag, const char* name)
{
    const size_t length = std::strlen(name);
    return tag.compare(0, length, name) == 0 &&
           (tag.size() == length || std::strchr(" \t\r\n/", tag[length]) != nullptr);
}

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

std::string scanLevelFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::streambuf& in = *file.rdbuf();
    int depth = 0;
    // Assimp stops the process on an accessor with more params than its stride.
    // So it does on a triangle or polygon list with no index list or a second one.
    long stride = 0, params = 0, lists = 0;
    std::string accessor, primitive;
    // Index lists hold plain numbers: Assimp takes minutes over "-1e30" as an index.
    bool inIndices = false;
    unsigned long long index = 0;
    for (int c = in.sbumpc(); c != EOF; c = in.sbumpc()) {
        if (c != '<') {
            if (!inIndices)
                continue;
            if (std::isspace(c)) {
                index = 0;
            } else if (!std::isdigit(c) || (index = index * 10 + unsigned(c - '0')) > levelLimits::arrayCount) {
                return "Level error: the index list of a <" + primitive + "> element holds \"" + static_cast<char>(c) +
                       "\", not an index below " + std::to_string(levelLimits::arrayCount);
            }
            continue;
        }
        inIndices = false;
        index = 0;
        if (in.sgetc() == '!') {
            // A comment, a CDATA section or a declaration: nothing in it counts.
            in.sbumpc();
            const std::string start = {static_cast<char>(in.sbumpc()), static_cast<char>(in.sbumpc())};
            if (start == "--" ? !skipPast(in, "-->") : start == "[C" ? !skipPast(in, "]]>") : !skipPast(in, ">"))
                break;
            continue;
        }
        const std::string tag = readTag(in);
        if (isElement(tag, "accessor")) {
            accessor = attribute(tag, "source");
            const std::string strideText = attribute(tag, "stride");
            stride = strideText.empty() ? 1 : std::atol(strideText.c_str());
            params = 0;
        } else if (isElement(tag, "param") && !accessor.empty() && ++params > stride) {
            return "Level error: the accessor of \"" + accessor + "\" has more params than its stride";
        } else if (isElement(tag, "/accessor")) {
            accessor.clear();
        } else if (isElement(tag, "triangles") || isElement(tag, "polylist") || isElement(tag, "lines")) {
            primitive = tag.substr(0, tag.find_first_of(" \t\r\n/"));
            lists = 0;
        } else if (isElement(tag, "p") && !primitive.empty() && ++lists > 1) {
            return "Level error: a <" + primitive + "> element with more than one index list <p>";
        } else if ((isElement(tag, "p") || isElement(tag, "vcount")) && !primitive.empty()) {
            inIndices = tag.back() != '/';
        } else if (!primitive.empty() && isElement(tag, ("/" + primitive).c_str())) {
            if (lists == 0)
                return "Level error: a <" + primitive + "> element without an index list <p>";
            primitive.clear();
        }
        if (isElement(tag, "/node")) {
            --depth;
            continue;
        }
        if (isElement(tag, "node") && tag.back() != '/' && ++depth > levelLimits::nodeDepth) {
            return "Level error: node \"" + attribute(tag, "id") + "\" lies deeper than " +
                   std::to_string(levelLimits::nodeDepth) + " nested nodes";
        }
        const std::string count = attribute(tag, "count");
        // Assimp reads past its data when an array or an accessor lacks its count.
        for (const char* counted : {"float_array", "int_array", "Name_array", "IDREF_array", "bool_array", "accessor",
                                    "triangles", "polylist", "lines"}) {
            if (count.empty() && isElement(tag, counted))
                return "Level error: a <" + std::string(counted) + "> element without its count";
        }
        if (!count.empty() && (count.size() > 12 || count.find_first_not_of("0123456789") != std::string::npos ||
                               std::stoull(count) > levelLimits::arrayCount)) {
            return "Level error: element \"" + attribute(tag, "id") + "\" counts " + count + " values; at most " +
                   std::to_string(levelLimits::arrayCount) + " fit the memory budget";
        }
    }
    return {};
}

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
