// Pictures from files: the texture loader at every depth the level and menu
// pictures may come in, and the menu's full-screen pictures and keys.

#include "Fixture.h"

#include "render/Texture.h"
#include "support/TempDir.h"

#include <FreeImage.h>

#include <functional>

namespace {

// Quarters that show a flip or a channel swap: bottom-left red, bottom-right
// green, top-left blue, top-right white; or four greys.
Rgba quarter(unsigned x, unsigned y, unsigned width, unsigned height, bool grey)
{
    const int q = (x >= width / 2 ? 1 : 0) + (y >= height / 2 ? 2 : 0);
    const Rgba colours[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
    const auto g = uint8_t(60 * q + 50);
    return grey ? Rgba{g, g, g, 255} : colours[q];
}
// A 24-bit picture of the quarters, or an 8-bit one with the four colours in its palette.
FIBITMAP* picture(unsigned width, unsigned height, bool grey = false, bool palette = false)
{
    FIBITMAP* bitmap = FreeImage_Allocate(int(width), int(height), palette ? 8 : 24);
    for (unsigned i = 0; palette && i < 4; ++i) {
        const Rgba c = quarter(i % 2 * width, i / 2 * height, width, height, false);
        FreeImage_GetPalette(bitmap)[i] = {c[2], c[1], c[0], 0};
    }
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x) {
            const Rgba c = quarter(x, y, width, height, grey);
            BYTE* p = FreeImage_GetScanLine(bitmap, int(y)) + (palette ? x : 3 * x);
            if (palette)
                *p = BYTE((x >= width / 2 ? 1 : 0) + (y >= height / 2 ? 2 : 0));
            else
                p[FI_RGBA_RED] = c[0], p[FI_RGBA_GREEN] = c[1], p[FI_RGBA_BLUE] = c[2];
        }
    return bitmap;
}

class PictureTest : public GlTest {
protected:
    std::string save(const std::string& name, FIBITMAP* bitmap, FREE_IMAGE_FORMAT format = FIF_PNG)
    {
        const std::string path = (files.path() / name).string();
        EXPECT_TRUE(FreeImage_Save(format, bitmap, path.c_str(), format == FIF_JPEG ? JPEG_QUALITYSUPERB : 0));
        FreeImage_Unload(bitmap);
        return path;
    }
    TempDir files{"picture-test"};
};

// Every depth comes out as the same colours, row 0 at the bottom: PNGs of
// every depth and 8-bit pictures are converted to 32 bits before the upload
// (a core context refuses luminance, a palette uploaded raw shows its
// indices); 24-bit JPEG and BMP go up as BGR, odd widths included.
TEST_F(PictureTest, TexturesOfEveryDepthHoldTheRightColours)
{
    const auto same = [](FIBITMAP* b) { return b; };
    const auto convert = [](FIBITMAP* (*to)(FIBITMAP*)) {
        return [to](FIBITMAP* b) { FIBITMAP* c = to(b); FreeImage_Unload(b); return c; };
    };
    const struct {
        const char* file;
        unsigned width, height;
        bool grey, palette;
        std::function<FIBITMAP*(FIBITMAP*)> make;
        unsigned bpp;
        int tolerance;
    } rows[] = {
        {"24.png", 8, 6, false, false, same, 24, 0},
        {"odd.png", 5, 6, false, false, same, 24, 0},
        {"32.png", 8, 6, false, false, convert(FreeImage_ConvertTo32Bits), 32, 0},
        {"grey8.png", 8, 6, true, false, convert(FreeImage_ConvertToGreyscale), 8, 1},
        {"palette8.png", 8, 6, false, true, same, 8, 0},
        {"grey16.png", 8, 6, true, false, convert(FreeImage_ConvertToUINT16), 16, 1},
        {"48.png", 8, 6, false, false, convert(FreeImage_ConvertToRGB16), 48, 0},
        {"64.png", 8, 6, false, false, convert(FreeImage_ConvertToRGBA16), 64, 0},
        {"24.jpg", 32, 32, false, false, same, 24, 6},
        {"odd.bmp", 5, 6, false, false, same, 24, 0},
        {"palette8.bmp", 8, 6, false, true, same, 8, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        FIBITMAP* bitmap = row.make(picture(row.width, row.height, row.grey, row.palette));
        ASSERT_EQ(FreeImage_GetBPP(bitmap), row.bpp);
        const std::string file = std::string(row.file);
        const Texture texture(save(file, bitmap, FreeImage_GetFIFFromFilename(file.c_str())));
        const Texels image = readBack(texture.id);
        ASSERT_EQ(image.width, int(row.width));
        for (unsigned y = 0; y < row.height; ++y)
            for (unsigned x = 0; x < row.width; ++x)
                for (int c = 0; c < 4; ++c)
                    ASSERT_NEAR(image.at(int(x), int(y))[c], quarter(x, y, row.width, row.height, row.grey)[c],
                                row.tolerance) << x << ", " << y << " channel " << c;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Minified menu pictures and the font atlas need the whole mipmap chain.
TEST_F(PictureTest, TexturesAreMipmapped)
{
    const Texture texture(save("mip.png", picture(8, 4, true)));
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
    const Texels last = readBack(texture.id, 3); // 8×4, 4×2, 2×1, 1×1
    ASSERT_EQ(last.width * last.height, 1);
    EXPECT_NEAR(last.at(0, 0)[0], (50 + 110 + 170 + 230) / 4, 2);
}

// Each draw shows its picture over the whole screen, 16:9 or 4:3, on unit 0
// whatever unit is active and wherever the sampler was pointed before; Enter
// reads through the input layer.
TEST_F(PictureTest, MenuDrawsEachPictureOverTheWholeScreen)
{
    std::vector<std::unique_ptr<Texture>> pictures;
    for (int i = 0; i < 6; ++i) {
        FIBITMAP* bitmap = FreeImage_Allocate(4, 4, 24);
        const RGBQUAD grey{BYTE(40 * i + 20), BYTE(40 * i + 20), BYTE(40 * i + 20), 0};
        FreeImage_FillBackground(bitmap, &grey);
        pictures.push_back(std::make_unique<Texture>(save("menu" + std::to_string(i) + ".png", bitmap)));
    }
    const auto program = gameProgram("menu");
    MenuScreen menu(pictures[0].get(), pictures[1].get(), pictures[2].get(), pictures[3].get(), pictures[4].get(),
                    pictures[5].get(), program.get(), window);
    const struct {
        void (MenuScreen::*draw)();
        bool fourByThree;
    } rows[] = {{&MenuScreen::drawWelcome, false}, {&MenuScreen::drawGameOver, false}, {&MenuScreen::drawWin, false},
                {&MenuScreen::drawWelcome, true},  {&MenuScreen::drawGameOver, true},  {&MenuScreen::drawWin, true}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const auto colour = uint8_t(40 * i + 20);
        glUseProgram(program->program);
        glUniform1i(glGetUniformLocation(program->program, "tex"), 4);
        glUseProgram(0);
        glActiveTexture(GL_TEXTURE4);
        glBindTexture(GL_TEXTURE_2D, pictures[size_t(5 - i)]->id);
        glActiveTexture(GL_TEXTURE5);
        menu.fourByThree = rows[i].fourByThree;
        clearScreen();
        glEnable(GL_CULL_FACE);
        (menu.*rows[i].draw)();
        const Texels screen = readBack();
        for (const auto& [x, y] : {std::pair{0, 0}, {639, 0}, {0, 359}, {639, 359}, {320, 180}})
            EXPECT_EQ(screen.at(x, y), (Rgba{colour, colour, colour, 255})) << x << ", " << y;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    // While playing, the menu keys are not even read.
    FakeInput keys;
    input::setBackend(&keys);
    keys.pressed = {GLFW_KEY_ENTER};
    menu.checkMenuKeys();
    EXPECT_FALSE(menu.showing);
    keys.reads = 0;
    menu.checkMenuKeys();
    EXPECT_EQ(keys.reads, 0);
    input::setBackend(nullptr);
}

} // namespace
