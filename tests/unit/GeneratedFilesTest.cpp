// The pictures under Textures/ and the levels under Data/ and tests/data/levels/
// are written by tools/makeart and tools/makelevel and committed. Each tool is
// run again here: the committed files must be its output byte for byte, no
// more and no fewer (run scripts/make-art.sh or scripts/make-level.sh and
// commit the result). Then the properties the game relies on in the pictures.

#include "support/TempDir.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = QUARRYSTACK_SOURCE_DIR;

std::string readBytes(const fs::path& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

std::set<std::string> filesBelow(const fs::path& root, const fs::path& sub)
{
    std::set<std::string> files;
    if (fs::is_directory(root / sub))
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / sub))
            if (entry.is_regular_file())
                files.insert(fs::relative(entry.path(), root).generic_string());
    return files;
}

TEST(GeneratedFiles, ToolsRewriteTheCommittedFilesByteForByte)
{
    const struct {
        const char* tool;
        const char* arguments; // {} is the output root
        std::vector<const char*> folders;
    } rows[] = {
        {"makeart", "'{}/Textures'", {"Textures"}},
        {"makelevel", "--root '{}' > /dev/null", {"Data", "tests/data/levels"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tool);
        const TempDir out(row.tool);
        std::string command = "'" + (fs::path(QUARRYSTACK_BINARY_DIR) / "tools" / row.tool).string() + "' " + row.arguments;
        for (size_t at; (at = command.find("{}")) != std::string::npos;)
            command.replace(at, 2, out.path().string());
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        for (const char* folder : row.folders) {
            const std::set<std::string> generated = filesBelow(out.path(), folder);
            EXPECT_FALSE(generated.empty()) << folder;
            EXPECT_EQ(generated, filesBelow(kSource, folder)) << "generated and committed files differ";
            for (const std::string& file : generated)
                EXPECT_TRUE(readBytes(out.path() / file) == readBytes(kSource / file)) << file << " differs";
        }
    }
}

// A decoded picture; row 0 is the bottom row, the one the game uploads first.
struct Picture {
    explicit Picture(const std::string& relative)
        : bitmap(FreeImage_Load(FIF_PNG, (kSource / "Textures" / relative).c_str(), PNG_DEFAULT))
    {
    }
    ~Picture() { FreeImage_Unload(bitmap); }
    unsigned size(bool height) const { return height ? FreeImage_GetHeight(bitmap) : FreeImage_GetWidth(bitmap); }
    int at(unsigned x, unsigned row, int channel) const
    {
        return FreeImage_GetScanLine(bitmap, static_cast<int>(row))[x * FreeImage_GetBPP(bitmap) / 8 + channel];
    }
    FIBITMAP* bitmap;
};

TEST(GeneratedFiles, MenuPicturesAreUprightAtTheirAspect)
{
    for (const char* name : {"welcome16_9", "welcome4_3", "win16_9", "win4_3", "gameOver16_9", "gameOver4_3"}) {
        SCOPED_TRACE(name);
        const Picture p(std::string("menu/") + name + ".png");
        ASSERT_NE(p.bitmap, nullptr);
        EXPECT_EQ(FreeImage_GetBPP(p.bitmap), 32u);
        const bool wide = std::string(name).find("16_9") != std::string::npos;
        EXPECT_EQ(p.size(false) * (wide ? 9 : 3), p.size(true) * (wide ? 16 : 4));
        if (name[0] == 'g')
            continue; // the flooded pit has no sky
        // Sky above, rock below: upside down shows as blue at the bottom.
        long top = 0, bottom = 0;
        for (unsigned x = 0; x < p.size(false); ++x) {
            top += p.at(x, p.size(true) - 1, FI_RGBA_BLUE) - p.at(x, p.size(true) - 1, FI_RGBA_RED);
            bottom += p.at(x, 0, FI_RGBA_BLUE) - p.at(x, 0, FI_RGBA_RED);
        }
        EXPECT_GT(top, 0);
        EXPECT_LT(bottom, 0);
    }
}

// Cell c of the 16 x 16 atlas holds character c; the text renderer has no
// glyph for anything outside 33..126 and draws those cells as they are.
TEST(GeneratedFiles, FontAtlasHoldsThePrintableCharactersUpright)
{
    const Picture p("menu/fontArialMirrored.png");
    ASSERT_NE(p.bitmap, nullptr);
    ASSERT_EQ(p.size(false), p.size(true));
    const unsigned cell = p.size(false) / 16;
    auto ink = [&](int code, unsigned fromTop, unsigned rows) {
        long sum = 0;
        for (unsigned cy = fromTop; cy < fromTop + rows; ++cy)
            for (unsigned cx = 0; cx < cell; ++cx)
                sum += p.at(code % 16 * cell + cx, p.size(true) - 1 - (code / 16 * cell + cy), FI_RGBA_ALPHA);
        return sum;
    };
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(ink(code, 0, cell) > 255 * 6, code > 32 && code < 127) << "cell " << code;
    EXPECT_EQ(ink('_', 0, cell / 2), 0) << "'_' sits low in its cell";
    EXPECT_EQ(ink('^', cell / 2, cell / 2), 0) << "'^' sits high in its cell";
}

// Tiles that mipmap: square, a power of two. Normal maps of unit length
// facing out of the surface, with +Z dominant.
TEST(GeneratedFiles, LevelTexturesAreSquarePowersOfTwoWithUnitNormals)
{
    for (const char* material : {"rock", "gravel", "block", "metal", "wood", "goal", "hazard", "player"})
        for (const char* kind : {"_diffuse.png", "_normal.png"}) {
            SCOPED_TRACE(std::string(material) + kind);
            const Picture p(std::string("new/") + material + kind);
            ASSERT_NE(p.bitmap, nullptr);
            const unsigned n = p.size(false);
            EXPECT_TRUE(n == p.size(true) && n > 1 && (n & (n - 1)) == 0);
            if (kind[1] == 'd')
                continue;
            int bad = 0;
            double sumZ = 0.0;
            for (unsigned y = 0; y < n; ++y)
                for (unsigned x = 0; x < n; ++x) {
                    double v[3];
                    for (int c : {0, 1, 2})
                        v[c] = p.at(x, y, c == 0 ? FI_RGBA_RED : c == 1 ? FI_RGBA_GREEN : FI_RGBA_BLUE) / 127.5 - 1.0;
                    bad += std::fabs(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) - 1.0) > 0.03 || v[2] <= 0.0;
                    sumZ += v[2];
                }
            EXPECT_EQ(bad, 0);
            EXPECT_GT(sumZ / (n * n), 0.85);
            EXPECT_LT(sumZ / (n * n), 0.9999) << "a flat placeholder";
        }
}

} // namespace
