// libFuzzer target for the way a level file comes in: LevelFile's scan of the
// text, the import with the game's Assimp flags and the level check on what it
// returns; and, for the same bytes, the way a texture comes in (readPicture). Built only with QUARRYSTACK_FUZZ=ON;
// scripts/fuzz.sh runs it. It stops before createLevel, which needs GL (llvmpipe under Xvfb, thousands of times slower
// per input): the check exists so that createLevel only sees scenes it accepted, and the GL test LevelCorpus runs the
// whole loader.

#include "import/LevelFile.h"
#include "render/Picture.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

// Assimp reads levels by file name and picks its importer by the extension;
// one temporary file per process, so parallel jobs never share one.
const std::string levelFile =
    (std::filesystem::temp_directory_path() / ("quarrystack-fuzz-" + std::to_string(getpid()) + ".dae")).string();

const int gameLights = 2; // the lights the game adds to every level

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    // The loader's lines for every rejected input would drown the fuzzer's own.
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    std::atexit([] { std::remove(levelFile.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::ofstream(levelFile, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const LevelFile file(levelFile, gameLights);
    readPicture(levelFile, levelLimits::textureSize);
    return 0;
}
