// The pictures under Textures/ and dist/icons/, the sounds under Sounds/ and the
// levels under Data/ and tests/data/levels/ are tools/makeart's, tools/makesound's
// and tools/makelevel's output, committed byte for byte (scripts/make-art.sh,
// scripts/make-sound.sh, scripts/make-level.sh), and what the game needs of them.

#include "audio/SoundSystem.h"
#include "support/TempDir.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = QUARRYSTACK_SOURCE_DIR;

// Each tool writes into a fresh folder; `diff -r` then names any file that
// differs, is missing or is left over.
TEST(GeneratedFiles, ToolsRewriteTheCommittedFilesByteForByte)
{
    const struct {
        const char *tool, *before, *after; // the arguments around the output root
        std::vector<const char*> folders;
    } rows[] = {
        {"makeart", "", "/Textures", {"Textures"}},
        {"makeart", "--icons ", "/dist/icons", {"dist/icons"}},
        {"makesound", "", "/Sounds", {"Sounds"}},
        {"makelevel", "--root ", " > /dev/null", {"Data", "tests/data/levels"}},
    };
    for (const auto& row : rows) {
        const TempDir out(row.tool);
        const std::string command = std::string(QUARRYSTACK_BINARY_DIR) + "/tools/" + row.tool + " " + row.before +
                                    out.path().string() + row.after;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        for (const char* folder : row.folders) {
            const std::string diff = "diff -rq " + (out.path() / folder).string() + " " + (kSource / folder).string();
            EXPECT_EQ(std::system(diff.c_str()), 0)
                << diff << "\nrun scripts/make-art.sh, make-sound.sh or make-level.sh";
        }
    }
}

TEST(GeneratedFiles, MenuPicturesAreUprightAtTheirAspect)
{
    for (const char* name :
         {"welcome16_9", "win16_9", "gameOver16_9", "pause16_9", "welcome4_3", "win4_3", "gameOver4_3", "pause4_3"}) {
        const std::string file = (kSource / "Textures/menu" / name).string() + ".png";
        FIBITMAP* p = FreeImage_Load(FIF_PNG, file.c_str(), PNG_DEFAULT);
        const unsigned width = FreeImage_GetWidth(p), height = FreeImage_GetHeight(p);
        const bool wide = name[std::string(name).size() - 1] == '9';
        EXPECT_EQ(width * (wide ? 9 : 3), height * (wide ? 16 : 4)) << name;
        long top = 0, bottom = 0; // sky above and rock below, except over the flooded pit; row 0 at the bottom
        for (unsigned x = 0; x < width; ++x) {
            RGBQUAD c{};
            top += (FreeImage_GetPixelColor(p, x, height - 1, &c), c.rgbBlue - c.rgbRed);
            bottom += (FreeImage_GetPixelColor(p, x, 0, &c), c.rgbBlue - c.rgbRed);
        }
        FreeImage_Unload(p);
        EXPECT_TRUE(name[0] == 'g' || (top > 0 && bottom < 0)) << name << " is upside down";
    }
}

// A sound played once ends at silence, or stopping it clicks.
TEST(GeneratedFiles, SoundsPlayedOnceEndAtSilence)
{
    for (const char* name : {"footstep", "jump", "landing", "splash", "chime", "click"}) {
        audio::Samples sound;
        ASSERT_EQ(audio::readSamples((kSource / "Sounds" / (std::string(name) + ".wav")).string(), sound), "");
        EXPECT_EQ(sound.data.back(), 0) << name;
    }
}

} // namespace
