#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it when
// the object goes.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "quarrystack");
    ~TempDir();

    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A private copy of the game's run-time data (Shader/, Textures/, Data/ of the
// source tree) to run the game in, so a test may delete, truncate or replace
// any file without touching the repository. Folders missing from the source
// tree are left out.
class GameData {
public:
    explicit GameData(const std::filesystem::path& sourceRoot = QUARRYSTACK_SOURCE_DIR);

    // The game's working directory.
    const std::filesystem::path& root() const { return dir_.path(); }
    // `relative` inside the copy, e.g. file("Shader/menu.frag").
    std::filesystem::path file(const std::string& relative) const { return dir_.path() / relative; }

    // Small conveniences for breaking the data on purpose.
    void remove(const std::string& relative) const;
    void truncate(const std::string& relative, std::uintmax_t size = 0) const;
    void write(const std::string& relative, const std::string& contents) const;

    static constexpr const char* folders[] = {"Shader", "Textures", "Data"};

private:
    TempDir dir_;
};
