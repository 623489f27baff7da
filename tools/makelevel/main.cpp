// makelevel: writes the game's levels (Data/LevelFinal.dae, Data/LevelShaft.dae and
// the chain after them, see ChainLevels.h) and the importer's test levels under tests/data/levels/. The output depends
// on nothing but this program, so the committed files can be regenerated and compared.
//
//   makelevel [--root DIR]   write every file below DIR (default: .)
//   makelevel --route        print the route through the level
//   makelevel --list         print the paths it writes

#include "ChainLevels.h"
#include "Fixtures.h"
#include "QuarryLevel.h"
#include "ShaftLevel.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

std::vector<OutputFile> allFiles()
{
    std::vector<OutputFile> files;
    files.push_back({"Data/LevelFinal.dae", collada::write(buildQuarryLevel())});
    files.push_back({"Data/LevelShaft.dae", collada::write(buildShaftLevel())});
    files.push_back({"Data/LevelBridge.dae", collada::write(buildBridgeLevel())});
    files.push_back({"Data/LevelCauseway.dae", collada::write(buildCausewayLevel())});
    files.push_back({"Data/LevelStairs.dae", collada::write(buildStairsLevel())});
    files.push_back({"Data/LevelCarry.dae", collada::write(buildCarryLevel())});
    for (OutputFile& file : buildFixtures()) {
        files.push_back(std::move(file));
    }
    return files;
}

int usage()
{
    std::cerr << "usage: makelevel [--root DIR] | --route | --list\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::filesystem::path root = ".";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--route") == 0) {
            std::cout << quarryRoute() << '\n'
                      << shaftRoute() << '\n'
                      << bridgeRoute() << '\n'
                      << causewayRoute() << '\n'
                      << stairsRoute() << '\n'
                      << carryRoute();
            return 0;
        }
        if (std::strcmp(argv[i], "--list") == 0) {
            for (const OutputFile& file : allFiles()) {
                std::cout << file.path << '\n';
            }
            return 0;
        }
        if (std::strcmp(argv[i], "--root") == 0 && i + 1 < argc) {
            root = argv[++i];
            continue;
        }
        return usage();
    }

    try {
        std::vector<OutputFile> files = allFiles();
        for (const OutputFile& file : files) {
            std::filesystem::path path = root / file.path;
            std::filesystem::create_directories(path.parent_path());
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
            out.close();
            if (!out) {
                std::cerr << "makelevel: cannot write " << path.string() << '\n';
                return 1;
            }
        }
        std::cout << "makelevel: wrote " << files.size() << " files below " << root.string() << '\n';
    } catch (const std::exception& error) {
        std::cerr << "makelevel: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
