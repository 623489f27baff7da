#include "support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

TempDir::TempDir(const std::string& prefix)
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("TempDir: cannot create " + pattern);
    path_ = buffer.data();
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

GameData::GameData(const fs::path& sourceRoot) : dir_("quarrystack-data")
{
    for (const char* folder : folders) {
        const fs::path from = sourceRoot / folder;
        if (!fs::is_directory(from))
            continue;
        fs::copy(from, dir_.path() / folder, fs::copy_options::recursive);
    }
}

void GameData::remove(const std::string& relative) const
{
    if (!fs::remove(file(relative)))
        throw std::runtime_error("GameData: no file " + relative + " to remove");
}

void GameData::truncate(const std::string& relative, std::uintmax_t size) const
{
    if (!fs::exists(file(relative)))
        throw std::runtime_error("GameData: no file " + relative + " to truncate");
    fs::resize_file(file(relative), size);
}

void GameData::write(const std::string& relative, const std::string& contents) const
{
    const fs::path target = file(relative);
    fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out)
        throw std::runtime_error("GameData: cannot write " + relative);
}
