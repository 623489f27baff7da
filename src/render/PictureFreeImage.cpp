#include "render/Picture.h"

#include <cstdio>

// Pictures decoded by FreeImage, for the desktop.

namespace {

// Memory FreeImage reads from; it does not own the bytes.
struct MemoryDeleter {
    void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};
using Memory = std::unique_ptr<FIMEMORY, MemoryDeleter>;

FREE_IMAGE_FORMAT freeImageFormat(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Png:
        return FIF_PNG;
    case PictureFormat::Jpeg:
        return FIF_JPEG;
    case PictureFormat::Bmp:
        return FIF_BMP;
    case PictureFormat::Tga:
        return FIF_TARGA;
    case PictureFormat::Unknown:
        break;
    }
    return FIF_UNKNOWN;
}

bool isPlainColour(FIBITMAP* bitmap)
{
    const FREE_IMAGE_COLOR_TYPE colour = FreeImage_GetColorType(bitmap);
    return colour == FIC_RGB || colour == FIC_RGBALPHA;
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
    default:
        return Bitmap(FreeImage_ConvertToStandardType(bitmap.get(), TRUE));
    }
}

// The bitmap itself when it already is plain colour at that depth, else a
// converted copy; null when the library cannot convert it.
Bitmap withBitsPerPixel(Bitmap bitmap, unsigned bitsPerPixel)
{
    if (FreeImage_GetImageType(bitmap.get()) == FIT_BITMAP && FreeImage_GetBPP(bitmap.get()) == bitsPerPixel &&
        isPlainColour(bitmap.get()))
        return bitmap;
    Bitmap standard = toStandardBitmap(std::move(bitmap));
    if (!standard)
        return nullptr;
    return Bitmap(bitsPerPixel == 32 ? FreeImage_ConvertTo32Bits(standard.get())
                                     : FreeImage_ConvertTo24Bits(standard.get()));
}

} // namespace

DecodedPicture readPicture(const std::string& path, unsigned limit)
{
    PictureFile file = readPictureFile(path);
    if (file.fault != PictureFault::None)
        return faultyPicture(file.fault);
    const FREE_IMAGE_FORMAT format = freeImageFormat(file.format);
    const Memory memory(
        FreeImage_OpenMemory(reinterpret_cast<BYTE*>(file.bytes.data()), static_cast<DWORD>(file.bytes.size())));
    if (FreeImage_FIFSupportsNoPixels(format)) {
        const Bitmap header(FreeImage_LoadFromMemory(format, memory.get(), FIF_LOAD_NOPIXELS));
        if (header && (FreeImage_GetWidth(header.get()) > limit || FreeImage_GetHeight(header.get()) > limit))
            return faultyPicture(PictureFault::TooLarge, FreeImage_GetWidth(header.get()),
                                 FreeImage_GetHeight(header.get()));
        FreeImage_SeekMemory(memory.get(), 0, SEEK_SET);
    }
    Bitmap bitmap(FreeImage_LoadFromMemory(format, memory.get(), 0));
    if (!bitmap)
        return faultyPicture(PictureFault::Unreadable);
    const unsigned width = FreeImage_GetWidth(bitmap.get());
    const unsigned height = FreeImage_GetHeight(bitmap.get());
    if (width > limit || height > limit)
        return faultyPicture(PictureFault::TooLarge, width, height);
    if (!FreeImage_HasPixels(bitmap.get()) || width == 0 || height == 0)
        return faultyPicture(PictureFault::NoPixels);

    const unsigned bits = FreeImage_GetBPP(bitmap.get()) == 32 ? 32u : 24u;
    bitmap = withBitsPerPixel(std::move(bitmap), bits);
    if (!bitmap || !FreeImage_GetBits(bitmap.get()))
        return faultyPicture(PictureFault::NoPixels);
    DecodedPicture picture;
    picture.width = width;
    picture.height = height;
    picture.bitmap = std::move(bitmap);
    return picture;
}

PictureRows rowsOf(const DecodedPicture& picture)
{
    FIBITMAP* bitmap = picture.bitmap.get();
    return {FreeImage_GetBits(bitmap), GLenum(FreeImage_GetBPP(bitmap) == 32 ? GL_BGRA : GL_BGR)};
}
