#include "render/Texture.h"

#include "support/GlContext.h"
#include "TestImages.h"

#include <unistd.h>

#include <functional>
#include <vector>

namespace {

struct TexImage {
    int width = 0;
    int height = 0;
    std::vector<Rgba> texels; // row 0 at the bottom

    Rgba at(int x, int y) const { return texels[static_cast<size_t>(y * width + x)]; }
};

TexImage readBack(GLuint texture, int level = 0)
{
    TexImage image;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &image.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &image.height);
    image.texels.resize(static_cast<size_t>(image.width * image.height));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, image.texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return image;
}

::testing::AssertionResult colourNear(const Rgba& actual, const Rgba& expected, int tolerance = 0)
{
    for (int i = 0; i < 4; ++i)
        if (std::abs(int(actual[i]) - int(expected[i])) > tolerance)
            return ::testing::AssertionFailure()
                   << "got (" << int(actual[0]) << ", " << int(actual[1]) << ", " << int(actual[2]) << ", "
                   << int(actual[3]) << "), expected (" << int(expected[0]) << ", " << int(expected[1]) << ", "
                   << int(expected[2]) << ", " << int(expected[3]) << ")";
    return ::testing::AssertionSuccess();
}

const Rgba red{255, 0, 0, 255};
const Rgba green{0, 255, 0, 255};
const Rgba blue{0, 0, 255, 255};
const Rgba white{255, 255, 255, 255};

// A 2-wide quarter pattern: bottom-left red, bottom-right green, top-left
// blue, top-right white, so a flip or a channel swap shows.
Rgba quarterColour(unsigned x, unsigned y, unsigned width, unsigned height)
{
    const bool right = x >= width / 2;
    const bool top = y >= height / 2;
    return top ? (right ? white : blue) : (right ? green : red);
}

class TextureTest : public GlTest {
protected:
    TempDir files{"texture-test"};
};

} // namespace

TEST_F(TextureTest, LeavesUnitThreeActiveWithTheMipmappedTextureBound)
{
    const std::string file = saveBitmap(files, "mip.png", solidBitmap(8, 4, 32, green), FIF_PNG);
    glActiveTexture(GL_TEXTURE0);
    Texture texture(file);
    GLint active = 0, bound = 0, minFilter = 0, magFilter = 0, wrap = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(active, GL_TEXTURE3);
    EXPECT_NE(texture.id.id(), 0u);
    EXPECT_EQ(static_cast<GLuint>(bound), texture.id.id());
    EXPECT_EQ(texture.path, file);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    EXPECT_EQ(wrap, GL_REPEAT);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    const TexImage last = readBack(texture.id, 3); // 8×4 → 4×2 → 2×1 → 1×1
    EXPECT_EQ(last.width, 1);
    EXPECT_EQ(last.height, 1);
    EXPECT_TRUE(colourNear(last.at(0, 0), green));
}

constexpr unsigned W = 8, H = 6;

uint16_t wide(uint8_t v) { return static_cast<uint16_t>(v * 257); }

// One image file the loader must take and the colour it must give at (x, y).
struct ImageCase {
    const char* name;
    std::function<std::string(const TempDir&)> write;
    std::function<Rgba(unsigned x, unsigned y)> expected;
    int tolerance;
    // What FreeImage itself reports for the written file, to be sure the case is what it says.
    FREE_IMAGE_TYPE imageType;
    unsigned fileBpp;
    FREE_IMAGE_COLOR_TYPE colourType;
};

std::vector<ImageCase> imageCases()
{
    const auto quarters = [](unsigned x, unsigned y) { return quarterColour(x, y, W, H); };
    const auto oddQuarters = [](unsigned x, unsigned y) { return quarterColour(x, y, 5, H); };
    const auto fadingQuarters = [](unsigned x, unsigned y) {
        Rgba c = quarterColour(x, y, W, H);
        c[3] = uint8_t(40 * x);
        return c;
    };
    const auto ramp = [](unsigned x, unsigned) {
        const auto v = static_cast<uint8_t>(x * 30);
        return Rgba{v, v, v, 255};
    };
    const std::vector<Rgba> palette{{0, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 0, 0, 255}};
    const auto paletteIndex = [](unsigned x, unsigned y) { return x < W / 2 ? (y < H / 2 ? 1u : 2u) : 3u; };
    const auto paletteColour = [palette, paletteIndex](unsigned x, unsigned y) { return palette[paletteIndex(x, y)]; };
    const auto redBlue = [](unsigned x, unsigned) { return x < 16 ? red : blue; };

    const auto rgb16 = [](unsigned width, unsigned height, bool alpha, auto colourAt) {
        FIBITMAP* bitmap = FreeImage_AllocateT(alpha ? FIT_RGBA16 : FIT_RGB16, int(width), int(height));
        for (unsigned y = 0; y < height; ++y)
            for (unsigned x = 0; x < width; ++x) {
                const Rgba c = colourAt(x, y);
                if (alpha) {
                    auto* p = reinterpret_cast<FIRGBA16*>(FreeImage_GetScanLine(bitmap, int(y))) + x;
                    *p = {wide(c[0]), wide(c[1]), wide(c[2]), wide(c[3])};
                } else {
                    auto* p = reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(bitmap, int(y))) + x;
                    *p = {wide(c[0]), wide(c[1]), wide(c[2])};
                }
            }
        return bitmap;
    };

    return {
        {"png32", [=](const TempDir& d) { return saveBitmap(d, "q32.png", colourBitmap(W, H, 32, fadingQuarters), FIF_PNG); },
         fadingQuarters, 0, FIT_BITMAP, 32, FIC_RGBALPHA},
        {"png24", [=](const TempDir& d) { return saveBitmap(d, "q24.png", colourBitmap(W, H, 24, quarters), FIF_PNG); },
         quarters, 0, FIT_BITMAP, 24, FIC_RGB},
        {"png24OddWidth", [=](const TempDir& d) { return saveBitmap(d, "odd.png", colourBitmap(5, H, 24, oddQuarters), FIF_PNG); },
         oddQuarters, 0, FIT_BITMAP, 24, FIC_RGB},
        {"png8Grey", [=](const TempDir& d) { return saveBitmap(d, "grey8.png", paletteBitmap(W, H, greyPalette(), [](unsigned x, unsigned) { return x * 30; }), FIF_PNG); },
         ramp, 0, FIT_BITMAP, 8, FIC_MINISBLACK},
        {"png8Palette", [=](const TempDir& d) { return saveBitmap(d, "pal8.png", paletteBitmap(W, H, palette, paletteIndex), FIF_PNG); },
         paletteColour, 0, FIT_BITMAP, 8, FIC_PALETTE},
        {"png16Grey",
         [](const TempDir& d) {
             FIBITMAP* bitmap = FreeImage_AllocateT(FIT_UINT16, int(W), int(H));
             for (unsigned y = 0; y < H; ++y)
                 for (unsigned x = 0; x < W; ++x)
                     reinterpret_cast<uint16_t*>(FreeImage_GetScanLine(bitmap, int(y)))[x] = wide(uint8_t(x * 30));
             return saveBitmap(d, "grey16.png", bitmap, FIF_PNG);
         },
         ramp, 0, FIT_UINT16, 16, FIC_MINISBLACK},
        {"png48", [=](const TempDir& d) { return saveBitmap(d, "q48.png", rgb16(W, H, false, quarters), FIF_PNG); },
         quarters, 0, FIT_RGB16, 48, FIC_RGB},
        {"png64", [=](const TempDir& d) { return saveBitmap(d, "q64.png", rgb16(W, H, true, fadingQuarters), FIF_PNG); },
         fadingQuarters, 0, FIT_RGBA16, 64, FIC_RGBALPHA},
        // Each 16 × 16 block is one colour, so the JPEG keeps it almost exactly:
        // a red left half reads back red only if the BGR data went up as GL_BGR.
        {"jpeg24", [=](const TempDir& d) { return saveBitmap(d, "rb.jpg", colourBitmap(32, 16, 24, redBlue), FIF_JPEG, JPEG_QUALITYSUPERB); },
         redBlue, 6, FIT_BITMAP, 24, FIC_RGB},
        // The contents say PNG whatever the name says.
        {"pngNamedJpg",
         [=](const TempDir& d) {
             const std::string png = saveBitmap(d, "disguised.png", colourBitmap(W, H, 24, quarters), FIF_PNG);
             const std::string jpg = (d.path() / "disguised.jpg").string();
             std::filesystem::rename(png, jpg);
             return jpg;
         },
         quarters, 0, FIT_BITMAP, 24, FIC_RGB},
        {"bmp24OddWidth", [=](const TempDir& d) { return saveBitmap(d, "odd.bmp", colourBitmap(5, H, 24, oddQuarters), FIF_BMP); },
         oddQuarters, 0, FIT_BITMAP, 24, FIC_RGB},
        {"bmp8Palette", [=](const TempDir& d) { return saveBitmap(d, "pal8.bmp", paletteBitmap(W, H, palette, paletteIndex), FIF_BMP); },
         paletteColour, 0, FIT_BITMAP, 8, FIC_PALETTE},
        {"bmp32", [=](const TempDir& d) { return saveBitmap(d, "q32.bmp", colourBitmap(W, H, 32, quarters), FIF_BMP); },
         quarters, 0, FIT_BITMAP, 32, FIC_RGB},
        // A wireless bitmap has no signature FreeImage can sniff: the extension decides.
        {"wbmpByExtension",
         [](const TempDir& d) {
             FIBITMAP* bitmap = FreeImage_Allocate(int(W), int(H), 1);
             RGBQUAD* entries = FreeImage_GetPalette(bitmap);
             entries[1].rgbRed = entries[1].rgbGreen = entries[1].rgbBlue = 255;
             FreeImage_GetScanLine(bitmap, 0)[0] = 0xF0; // bottom row: four white, four black
             return saveBitmap(d, "mono.wbmp", bitmap, FIF_WBMP);
         },
         [](unsigned x, unsigned y) { return y == 0 && x < 4 ? white : Rgba{0, 0, 0, 255}; }, 0, FIT_BITMAP, 1,
         FIC_MINISBLACK},
    };
}

TEST_F(TextureTest, LoadsEveryDepthWithTheRightColours)
{
    for (const ImageCase& c : imageCases()) {
        SCOPED_TRACE(c.name);
        const std::string file = c.write(files);

        const FREE_IMAGE_FORMAT sniffed = FreeImage_GetFileType(file.c_str(), 0);
        FIBITMAP* check = FreeImage_Load(sniffed != FIF_UNKNOWN ? sniffed : FreeImage_GetFIFFromFilename(file.c_str()),
                                         file.c_str(), 0);
        ASSERT_NE(check, nullptr);
        EXPECT_EQ(FreeImage_GetImageType(check), c.imageType);
        EXPECT_EQ(FreeImage_GetBPP(check), c.fileBpp);
        EXPECT_EQ(FreeImage_GetColorType(check), c.colourType);
        const unsigned width = FreeImage_GetWidth(check), height = FreeImage_GetHeight(check);
        FreeImage_Unload(check);

        glGetError();
        Texture texture(file);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        const TexImage image = readBack(texture.id);
        ASSERT_EQ(image.width, int(width));
        ASSERT_EQ(image.height, int(height));
        for (unsigned y = 0; y < height; ++y)
            for (unsigned x = 0; x < width; ++x)
                EXPECT_TRUE(colourNear(image.at(int(x), int(y)), c.expected(x, y), c.tolerance))
                    << "at (" << x << ", " << y << ")";
    }
}

// The fatal path writes its message on standard output and ends with -1 (255
// as the parent sees it). The message is sent to standard error here so that
// the death-test matcher sees it.
class TextureDeathTest : public TextureTest {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        TextureTest::SetUp();
    }
};

TEST_F(TextureDeathTest, UnreadableFilesEndTheProcess)
{
    const std::string garbage = writeFile(files, "garbage.png", "this is not a picture at all");
    const std::string unknown = writeFile(files, "garbage.xyz", "neither is this");
    const std::string empty = writeFile(files, "empty.png", "");
    const std::string missing = (files.path() / "missing.png").string();
    // The contents of a wireless bitmap under a PNG name: the PNG reader refuses it.
    const std::string wrongName = writeFile(files, "mono.png", std::string("\0\0\x08\x06", 4) + std::string(6, '\0'));

    for (const std::string& file : {garbage, unknown, empty, missing, wrongName}) {
        SCOPED_TRACE(file);
        EXPECT_EXIT(
            {
                dup2(2, 1);
                Texture texture(file);
            },
            ::testing::ExitedWithCode(255), "(^|\n)Fehler beim Laden von Texturen\n");
    }
}
