// The texture loader at every depth a menu picture or the font atlas may come in.

#include "Fixture.h"

#include "render/Picture.h"
#include "support/TempDir.h"

#include <FreeImage.h>

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
FIBITMAP* picture(unsigned width, unsigned height, bool grey, bool palette)
{
    FIBITMAP* bitmap = FreeImage_Allocate(int(width), int(height), palette ? 8 : 24);
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x) {
            const Rgba c = quarter(x, y, width, height, grey);
            RGBQUAD colour{c[2], c[1], c[0], 0};
            BYTE index = BYTE((x >= width / 2 ? 1 : 0) + (y >= height / 2 ? 2 : 0));
            if (palette)
                FreeImage_GetPalette(bitmap)[index] = colour;
            palette ? FreeImage_SetPixelIndex(bitmap, x, y, &index) : FreeImage_SetPixelColor(bitmap, x, y, &colour);
        }
    return bitmap;
}

using TextureTest = GlTest;

// Every depth comes out as the same colours, row 0 at the bottom: PNGs of
// every depth and 8-bit pictures are converted to 32 bits before the upload
// (a core context refuses luminance, a palette uploaded raw shows its
// indices); 24-bit JPEG and BMP go up as BGR, odd widths included.
TEST_F(TextureTest, TexturesOfEveryDepthHoldTheRightColours)
{
    const TempDir files("texture-test");
    const struct {
        const char* file;
        unsigned width, height;
        bool grey, palette;
        FIBITMAP* (*convert)(FIBITMAP*); // from 24 bits, unless null
        unsigned bpp;
        int tolerance;
    } rows[] = {
        {"odd.png", 5, 6, false, false, nullptr, 24, 0},
        {"32.png", 8, 6, false, false, FreeImage_ConvertTo32Bits, 32, 0},
        {"grey8.png", 8, 6, true, false, FreeImage_ConvertToGreyscale, 8, 1},
        {"palette8.png", 8, 6, false, true, nullptr, 8, 0},
        {"grey16.png", 8, 6, true, false, FreeImage_ConvertToUINT16, 16, 1},
        {"48.png", 8, 6, false, false, FreeImage_ConvertToRGB16, 48, 0},
        {"64.png", 8, 6, false, false, FreeImage_ConvertToRGBA16, 64, 0},
        {"24.jpg", 32, 32, false, false, nullptr, 24, 6},
        {"odd.bmp", 5, 6, false, false, nullptr, 24, 0},
        {"palette8.bmp", 8, 6, false, true, nullptr, 8, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        FIBITMAP* bitmap = picture(row.width, row.height, row.grey, row.palette);
        if (FIBITMAP* source = bitmap; row.convert)
            bitmap = row.convert(source), FreeImage_Unload(source);
        ASSERT_EQ(FreeImage_GetBPP(bitmap), row.bpp);
        const std::string file = (files.path() / row.file).string();
        const FREE_IMAGE_FORMAT format = FreeImage_GetFIFFromFilename(row.file);
        ASSERT_TRUE(FreeImage_Save(format, bitmap, file.c_str(), format == FIF_JPEG ? JPEG_QUALITYSUPERB : 0));
        FreeImage_Unload(bitmap);
        const gl::Texture texture = valueOrThrow(loadPicture(file));
        const Texels image = readBack(texture);
        ASSERT_EQ(image.width, int(row.width));
        for (unsigned y = 0; y < row.height; ++y)
            for (unsigned x = 0; x < row.width; ++x)
                for (int c = 0; c < 4; ++c)
                    ASSERT_NEAR(image.at(int(x), int(y))[c], quarter(x, y, row.width, row.height, row.grey)[c],
                                row.tolerance)
                        << x << ", " << y << " channel " << c;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
