#pragma once

#include "import/LevelCheck.h"
#include "render/Picture.h"

#include <assimp/Importer.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct aiScene;

// Why a level file cannot be played. The kind decides where the game puts its
// message; the text is the message the level checker prints.
struct LevelProblem {
    enum class Kind {
        Unopened, // "Level: cannot open PATH"
        Unread,   // the importer refused the file: "Level: PATH: REASON"
        Format,   // the level breaks the level format: "Level error: ..."
        Picture,  // a texture's picture is missing or unreadable: "Level: cannot ..."
    };
    Kind kind;
    std::string text;
};

// A level file read as the game reads it: opened, scanned as text for what
// would crash or exhaust the importer (scanLevelText), imported with the
// game's flags and checked against what the game needs (checkLevel).
class LevelFile {
public:
    // `extraLights`: the lights the game adds to every level.
    LevelFile(const std::string& path, int extraLights);

    LevelFile(const LevelFile&) = delete;
    LevelFile& operator=(const LevelFile&) = delete;

    // Empty when the level can be built. Otherwise the problem that stopped
    // the reading, or every problem the check found in the imported scene.
    const std::vector<LevelProblem>& problems() const { return found; }
    // What the check warns of in a level that can be played (LevelFindings).
    const std::vector<std::string>& warnings() const { return warned; }
    // The level's one-line hint for the player: the <subject> of the file's
    // <asset>, entities read, anything but printable ASCII left out, at most
    // 80 characters; empty when there is none.
    const std::string& hint() const { return levelHint; }
    // The imported scene, also when the check found problems; null when the
    // file could not be imported. It lives as long as this object.
    const aiScene* scene() const { return imported; }
    const std::string& path() const { return filePath; }

    // Reads the picture of every texture path the materials name (colour
    // textures, then normal maps, each path once), each from the first of its
    // texturePlaces that holds a file and at most `sizeLimit` pixels a side,
    // and hands it to `use` with the path as the file writes it. Returns a
    // problem for each picture that cannot be had: a Format problem when the
    // level is at fault (a path that names no file, a picture too large),
    // else a Picture problem naming the file or the places looked in. Stops
    // with a Format problem once the pictures decoded so far take more than
    // `byteBudget` (at four bytes a pixel).
    std::vector<LevelProblem>
    readPictures(unsigned sizeLimit,
                 const std::function<void(const std::string& path, const DecodedPicture& picture)>& use,
                 std::size_t byteBudget = levelLimits::textureBytes) const;

private:
    std::string filePath;
    Assimp::Importer importer;
    const aiScene* imported = nullptr;
    std::vector<LevelProblem> found;
    std::vector<std::string> warned;
    std::string levelHint;
};

// The problem of a level file that cannot be opened for reading; none when it can.
std::optional<LevelProblem> openProblem(const std::string& path);

// Every texture path of the scene's materials, colour textures then normal
// maps, each once.
std::vector<std::string> texturePathsOf(const aiScene& scene);

// The game's own level textures, where every level may take its pictures from.
constexpr const char* gameTextureFolder = "Textures/new/";

// The files a texture path of the level file may name, in the order they are
// tried: the path as the file writes it, from the level's folder (only its
// file name there when it is absolute or leads out of the folder), then the
// file name in a "textures/" folder beside the level, then in the game's
// textures. None when the path names no file.
std::vector<std::string> texturePlaces(const std::string& levelFile, const std::string& path);

// The first of `places` where there is a file; empty when there is none.
std::string findTexture(const std::vector<std::string>& places);
// True when `place`, its links followed, lies inside the level's folder or
// the game's textures: a link in a level's textures/ folder may not lead a
// level to read files elsewhere.
bool staysInside(const std::string& place, const std::string& levelFile);

// What the level checker prints, found without a window: every problem for
// which the game would refuse the level file at start (the file unreadable,
// or else whatever the check of the scene finds, then each texture that
// cannot be read from its texturePlaces) and the warnings.
LevelFindings checkLevelFile(const std::string& path, int extraLights);
