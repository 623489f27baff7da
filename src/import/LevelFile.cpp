#include "import/LevelFile.h"

#include "core/RegularFile.h"
#include "import/LevelCheck.h"
#include "import/LevelScan.h"

#include <assimp/config.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>
#include <sys/stat.h>

namespace {

// aiProcessPreset_TargetRealtime_Quality, spelled out.
constexpr unsigned importFlags = aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices | aiProcess_Triangulate |
                                 aiProcess_GenSmoothNormals | aiProcess_SplitLargeMeshes | aiProcess_LimitBoneWeights |
                                 aiProcess_ImproveCacheLocality | aiProcess_RemoveRedundantMaterials |
                                 aiProcess_SortByPType | aiProcess_FindDegenerates | aiProcess_FindInvalidData |
                                 aiProcess_GenUVCoords;
static_assert(importFlags == 0x79ACB, "the level is read with the realtime-quality preset");

using Kind = LevelProblem::Kind;

// The up axis and unit the file's <asset> states: "Z_UP and 0.01 m a unit".
std::string statedAxes(std::string_view text)
{
    std::string axis = "Y_UP", metres = "1";
    if (const auto at = text.find("<up_axis>"); at != std::string_view::npos) {
        const std::string_view rest = text.substr(at + 9, 16);
        axis = std::string(rest.substr(0, rest.find('<')));
        axis.erase(0, axis.find_first_not_of(" \t\r\n"));
        axis.erase(axis.find_last_not_of(" \t\r\n") + 1);
    }
    if (const auto at = text.find("<unit"); at != std::string_view::npos) {
        const std::string_view tag = text.substr(at, text.find('>', at) - at);
        if (const auto meter = tag.find("meter=\""); meter != std::string_view::npos)
            metres = std::string(tag.substr(meter + 7, tag.find('"', meter + 7) - meter - 7));
    }
    return axis + " and " + metres + " m a unit";
}

// What the root's matrix does to the level: "turned to Y up", "scaled to
// metres" or both.
std::string rootChange(const aiMatrix4x4& root)
{
    aiVector3D scaling, position;
    aiQuaternion rotation;
    root.Decompose(scaling, rotation, position);
    const bool scaled = (scaling - aiVector3D(1.0f)).Length() > 1e-4f;
    const bool turned = std::abs(std::abs(rotation.w) - 1.0f) > 1e-6f;
    if (turned && scaled)
        return "turned and scaled to Y up in metres";
    return turned ? "turned to Y up" : "scaled to metres";
}

bool namedByImport(const aiString& name) { return std::strncmp(name.C_Str(), "$ColladaAutoName$_", 18) == 0; }

bool namesImportNames(const LevelFindings& findings)
{
    for (const std::vector<std::string>* lines : {&findings.problems, &findings.warnings})
        for (const std::string& line : *lines)
            if (line.find("\"$ColladaAutoName$_") != std::string::npos)
                return true;
    return false;
}

std::string hintOf(std::string_view text)
{
    const std::string_view asset = text.substr(0, text.find("</asset>"));
    const auto open = asset.find("<subject>"), close = asset.find("</subject>");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return {};
    std::string hint;
    for (const char c : unescaped(asset.substr(open + 9, close - open - 9)))
        if (c >= ' ' && c < 127 && hint.size() < 80)
            hint += c;
    return hint;
}

// `game` and `editor` are one node in two imports of the same file.
void pairNames(const aiNode& game, const aiNode& editor, NodeNames& names)
{
    if (namedByImport(game.mName) && editor.mName.length > 0 && !namedByImport(editor.mName))
        names[game.mName.C_Str()] = editor.mName.C_Str();
    for (unsigned c = 0; c < std::min(game.mNumChildren, editor.mNumChildren); ++c)
        pairNames(*game.mChildren[c], *editor.mChildren[c], names);
}

// The game knows a node by its id; a node without one (SketchUp writes only
// names) gets a made-up name from the import. For messages, those take the
// node's name as the editor shows it, from a second read of the file by names.
NodeNames editorNames(const std::string& bytes, const aiNode& root)
{
    NodeNames names;
    Assimp::Importer byNames;
    byNames.SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_USE_COLLADA_NAMES, true);
    if (const aiScene* scene = byNames.ReadFileFromMemory(bytes.data(), bytes.size(), 0, "dae"))
        if (scene->mRootNode)
            pairNames(root, *scene->mRootNode, names);
    return names;
}

std::optional<LevelProblem> fileProblem(const std::string& path, FileFault fault)
{
    switch (fault) {
    case FileFault::None:
        return std::nullopt;
    case FileFault::Unopened:
        return LevelProblem{Kind::Unopened, "Level: cannot open " + path};
    case FileFault::TooLarge:
        return LevelProblem{Kind::Format, "Level error: the file is larger than " +
                                              std::to_string(levelLimits::fileBytes >> 20) +
                                              " MB, past the memory budget"};
    case FileFault::NotRegular:
    case FileFault::Unread:
        break;
    }
    return LevelProblem{Kind::Unopened, "Level: cannot open " + path + ": " + describe(fault)};
}

} // namespace

std::optional<LevelProblem> openProblem(const std::string& path)
{
    return fileProblem(path, RegularFile(path).fault());
}

LevelFile::LevelFile(const std::string& path, int extraLights) : filePath(path)
{
    // Assimp reads the very bytes the scan saw, as Collada whatever the
    // file's name: by name it would pick its reader from the extension.
    const FileBytes file = readRegularFile(path, levelLimits::fileBytes);
    if (std::optional<LevelProblem> problem = fileProblem(path, file.fault)) {
        found.push_back(*problem);
        return;
    }
    levelHint = hintOf(file.bytes);
    if (std::string problem = scanLevelText(file.bytes); !problem.empty()) {
        found.push_back({Kind::Format, problem});
        return;
    }
    // A texture coordinate set of one value (a flat colour's) is kept.
    importer.SetPropertyBool(AI_CONFIG_PP_FID_IGNORE_TEXTURECOORDS, true);
    imported = importer.ReadFileFromMemory(file.bytes.data(), file.bytes.size(), importFlags, "dae");
    if (!imported) {
        found.push_back({Kind::Unread, "Level: " + path + ": " + importer.GetErrorString()});
        return;
    }
    LevelFindings checked = checkLevel(*imported, extraLights);
    if (namesImportNames(checked))
        checked = checkLevel(*imported, extraLights, editorNames(file.bytes, *imported->mRootNode));
    for (std::string& problem : checked.problems)
        found.push_back({Kind::Format, std::move(problem)});
    warned = std::move(checked.warnings);
    if (imported->mRootNode && !imported->mRootNode->mTransformation.IsIdentity())
        warned.push_back("Level warning: the file states " + statedAxes(file.bytes) + ", so the whole level is " +
                         rootChange(imported->mRootNode->mTransformation));
    if (imported->mTextures && imported->mNumTextures > 0)
        found.push_back({Kind::Format, "Level error: the file embeds textures; the game reads them from files"});
}

std::vector<std::string> texturePathsOf(const aiScene& scene)
{
    std::vector<std::string> paths;
    std::set<std::string> seen;
    for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_NORMALS}) {
        for (unsigned m = 0; m < scene.mNumMaterials; ++m) {
            aiString path;
            for (unsigned i = 0; aiGetMaterialTexture(scene.mMaterials[m], type, i, &path) == AI_SUCCESS; ++i)
                if (seen.insert(path.C_Str()).second)
                    paths.push_back(path.C_Str());
        }
    }
    return paths;
}

std::vector<std::string> texturePlaces(const std::string& levelFile, const std::string& path)
{
    const std::string name = textureFileName(path);
    if (name.empty())
        return {};
    std::string folder = std::filesystem::path(levelFile).parent_path().string();
    if (!folder.empty())
        folder += '/';
    std::string written = path;
    std::replace(written.begin(), written.end(), '\\', '/');
    const std::filesystem::path inside = std::filesystem::path(written).lexically_normal();
    // "/…", "C:/…" and "../…" lead out of the level's folder: only the name counts there.
    const bool leadsOut =
        written.front() == '/' || (written.size() > 1 && written[1] == ':') || *inside.begin() == "..";
    std::vector<std::string> places;
    for (std::string place : {folder + (leadsOut ? name : inside.string()), folder + "textures/" + name,
                              std::string(gameTextureFolder) + name})
        if (std::find(places.begin(), places.end(), place) == places.end())
            places.push_back(std::move(place));
    return places;
}

std::string findTexture(const std::vector<std::string>& places)
{
    // Whatever is there is taken, a FIFO too: the picture reader refuses it
    // without waiting on it.
    struct stat status {};
    for (const std::string& place : places)
        if (stat(place.c_str(), &status) == 0)
            return place;
    return {};
}

bool staysInside(const std::string& place, const std::string& levelFile)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path resolved = fs::canonical(place, error);
    if (error)
        return false;
    const auto within = [&resolved](const fs::path& folder) {
        std::error_code noFolder;
        const fs::path root = fs::canonical(folder.empty() ? fs::path(".") : folder, noFolder);
        if (noFolder)
            return false;
        const auto [end, rest] = std::mismatch(root.begin(), root.end(), resolved.begin(), resolved.end());
        return end == root.end() && rest != resolved.end();
    };
    return within(fs::path(levelFile).parent_path()) || within(gameTextureFolder);
}

std::vector<LevelProblem>
LevelFile::readPictures(unsigned sizeLimit,
                        const std::function<void(const std::string& path, const DecodedPicture& picture)>& use,
                        std::size_t byteBudget) const
{
    std::vector<LevelProblem> problems;
    std::size_t decoded = 0;
    if (!imported)
        return problems;
    for (const std::string& path : texturePathsOf(*imported)) {
        const std::vector<std::string> places = texturePlaces(filePath, path);
        if (places.empty()) {
            problems.push_back({Kind::Format, "Level error: the texture path \"" + path + "\" names no file"});
            continue;
        }
        const std::string file = findTexture(places);
        if (file.empty()) {
            std::string text = "Level: cannot find the texture";
            for (const std::string& place : places)
                text += (&place == &places.front() ? " " : " or ") + place;
            problems.push_back({Kind::Picture, text});
            continue;
        }
        if (!staysInside(file, filePath)) {
            problems.push_back({Kind::Picture, "Level: the texture " + file +
                                                   " leads outside the level's folder and the game's textures"});
            continue;
        }
        const DecodedPicture picture = readPicture(file, sizeLimit);
        switch (picture.fault) {
        case PictureFault::None:
            decoded += std::size_t(picture.width) * picture.height * 4;
            if (decoded > byteBudget) {
                const std::string budget = byteBudget >= (1u << 20) ? std::to_string(byteBudget >> 20) + " MB"
                                                                    : std::to_string(byteBudget) + " bytes";
                problems.push_back({Kind::Format, "Level error: the textures take more than " + budget +
                                                      " decoded, past the memory budget"});
                return problems;
            }
            if (use)
                use(path, picture);
            break;
        case PictureFault::UnknownFormat:
            problems.push_back({Kind::Picture, "Level: the texture " + file + " is no PNG, JPEG, TGA or BMP picture"});
            break;
        case PictureFault::TooLarge:
            problems.push_back({Kind::Format, "Level error: the texture \"" + path + "\" is " +
                                                  std::to_string(picture.width) + "x" + std::to_string(picture.height) +
                                                  " pixels; at most " + std::to_string(sizeLimit) + "x" +
                                                  std::to_string(sizeLimit) + " fit"});
            break;
        case PictureFault::Unreadable:
        case PictureFault::NoPixels:
            // A texture that cannot be read would draw as black: the level is refused.
            problems.push_back({Kind::Picture, "Level: cannot read the texture " + file});
            break;
        }
    }
    return problems;
}

LevelFindings checkLevelFile(const std::string& path, int extraLights)
{
    const LevelFile file(path, extraLights);
    LevelFindings found{{}, file.warnings()};
    for (const LevelProblem& problem : file.problems())
        found.problems.push_back(problem.text);
    for (const LevelProblem& problem : file.readPictures(levelLimits::textureSize, {}))
        found.problems.push_back(problem.text);
    return found;
}
