#include "render/ImageFile.h"

namespace {

bool isPlainColour(FIBITMAP* bitmap)
{
    const FREE_IMAGE_COLOR_TYPE colour = FreeImage_GetColorType(bitmap);
    return colour == FIC_RGB || colour == FIC_RGBALPHA;
}

FIBITMAP* convertBitmap(FIBITMAP* bitmap, unsigned bitsPerPixel)
{
    return bitsPerPixel == 32 ? FreeImage_ConvertTo32Bits(bitmap) : FreeImage_ConvertTo24Bits(bitmap);
}

// Brings images of the non-standard types down to an ordinary 8-bit-per-channel
// bitmap that the 24/32-bit converters accept. 16-bit colour they take directly.
Bitmap toStandardBitmap(Bitmap bitmap)
{
    switch (FreeImage_GetImageType(bitmap.get())) {
    case FIT_BITMAP:
    case FIT_RGB16:
    case FIT_RGBA16:
        return bitmap;
    case FIT_UINT16:
        // Keeps the high byte of each sample, unlike ConvertToStandardType,
        // which would stretch the image's own range to 0..255.
        return Bitmap(FreeImage_ConvertTo8Bits(bitmap.get()));
    case FIT_RGBF:
    case FIT_RGBAF:
        return Bitmap(FreeImage_ToneMapping(bitmap.get(), FITMO_DRAGO03));
    default:
        return Bitmap(FreeImage_ConvertToStandardType(bitmap.get(), TRUE));
    }
}

} // namespace

FREE_IMAGE_FORMAT detectImageFormat(const std::string& path)
{
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    if (format == FIF_UNKNOWN)
        format = FreeImage_GetFIFFromFilename(path.c_str());
    return format;
}

Bitmap loadBitmap(const std::string& path, FREE_IMAGE_FORMAT format)
{
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format))
        return nullptr;
    return Bitmap(FreeImage_Load(format, path.c_str(), 0));
}

Bitmap withBitsPerPixel(Bitmap bitmap, unsigned bitsPerPixel)
{
    if (!bitmap || (bitsPerPixel != 24 && bitsPerPixel != 32) || !FreeImage_HasPixels(bitmap.get()))
        return nullptr;
    if (FreeImage_GetImageType(bitmap.get()) == FIT_BITMAP && FreeImage_GetBPP(bitmap.get()) == bitsPerPixel &&
        isPlainColour(bitmap.get()))
        return bitmap;

    Bitmap standard = toStandardBitmap(std::move(bitmap));
    if (!standard)
        return nullptr;
    return Bitmap(convertBitmap(standard.get(), bitsPerPixel));
}
