// makeart: writes the game's menu pictures, font atlas and level textures.
//
//   makeart [TARGET]            TARGET defaults to ./Textures
//   makeart --specimen FILE     a sheet of every glyph of the font, for review
//   makeart --icons DIR         the desktop icons, DIR/quarrystack-N.png (N = 48, 128, 256)
//
// Writes TARGET/menu/*.png (the window's icon among them), TARGET/new/*.png and
// TARGET/sky/dusk.png. The output depends on
// nothing but this program: the same bytes on every run.

#include "Art.h"

#include <FreeImage.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--specimen") {
        FreeImage_Initialise(FALSE);
        bool ok = makeart::writeSpecimen(argv[2]);
        FreeImage_DeInitialise();
        return ok ? 0 : 1;
    }
    if (argc == 3 && std::string(argv[1]) == "--icons") {
        std::error_code error;
        std::filesystem::create_directories(argv[2], error);
        FreeImage_Initialise(FALSE);
        bool ok = !error;
        for (int size : {48, 128, 256})
            ok = ok && makeart::writeIcon(std::string(argv[2]) + "/quarrystack-" + std::to_string(size) + ".png", size);
        FreeImage_DeInitialise();
        return ok ? 0 : 1;
    }
    if (argc > 2) {
        std::fprintf(stderr, "usage: makeart [TARGET_DIR] | makeart --specimen FILE | makeart --icons DIR\n");
        return 2;
    }
    const std::filesystem::path target = argc == 2 ? std::filesystem::path(argv[1]) : "Textures";
    const std::filesystem::path menu = target / "menu";
    const std::filesystem::path level = target / "new";
    std::error_code error;
    std::filesystem::create_directories(menu, error);
    if (!error)
        std::filesystem::create_directories(level, error);
    if (!error)
        std::filesystem::create_directories(target / "sky", error);
    if (error) {
        std::fprintf(stderr, "makeart: cannot create %s: %s\n", target.string().c_str(), error.message().c_str());
        return 1;
    }

    FreeImage_Initialise(FALSE);
    bool ok = makeart::writeMenuPictures(menu.string());
    ok = ok && makeart::writeFontAtlas((menu / "fontArialMirrored.png").string());
    ok = ok && makeart::writeLevelTextures(level.string());
    ok = ok && makeart::writeSkyTexture((target / "sky/dusk.png").string());
    ok = ok && makeart::writeIcon((menu / "icon.png").string(), 48); // the window's own
    FreeImage_DeInitialise();
    if (!ok) {
        std::fprintf(stderr, "makeart: writing the pictures into %s failed\n", target.string().c_str());
        return 1;
    }
    return 0;
}
