#include "render/Picture.h"

#include "core/RegularFile.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

// A picture file larger than this is no texture of a level.
constexpr std::size_t fileLimit = 256u << 20;

// Memory FreeImage reads from; it does not own the bytes.
struct MemoryDeleter {
    void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};
using Memory = std::unique_ptr<FIMEMORY, MemoryDeleter>;

bool endsWith(const std::string& text, std::string_view end)
{
    if (text.size() < end.size())
        return false;
    for (std::size_t i = 0; i < end.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) != end[i])
            return false;
    return true;
}

// The format as the file's first bytes tell it; TGA has no signature, so the
// name tells it. Only the formats levels use reach a decoder: FreeImage's
// readers of the rarer ones crash or hang on crafted files.
FREE_IMAGE_FORMAT formatOf(const std::string& bytes, const std::string& path)
{
    const auto starts = [&](std::string_view magic) {
        return std::string_view(bytes).substr(0, magic.size()) == magic;
    };
    if (starts("\x89PNG\r\n\x1a\n"))
        return FIF_PNG;
    if (starts("\xff\xd8\xff"))
        return FIF_JPEG;
    if (starts("BM"))
        return FIF_BMP;
    if (endsWith(path, ".tga") && bytes.size() >= 18)
        return FIF_TARGA;
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

DecodedPicture fault(PictureFault why, unsigned width = 0, unsigned height = 0)
{
    DecodedPicture picture;
    picture.fault = why;
    picture.width = width;
    picture.height = height;
    return picture;
}

} // namespace

DecodedPicture readPicture(const std::string& path, unsigned limit)
{
    FileBytes file = readRegularFile(path, fileLimit);
    if (file.fault != FileFault::None)
        return fault(PictureFault::Unreadable);
    const FREE_IMAGE_FORMAT format = formatOf(file.bytes, path);
    if (format == FIF_UNKNOWN)
        return fault(PictureFault::UnknownFormat);
    const Memory memory(
        FreeImage_OpenMemory(reinterpret_cast<BYTE*>(file.bytes.data()), static_cast<DWORD>(file.bytes.size())));
    if (FreeImage_FIFSupportsNoPixels(format)) {
        const Bitmap header(FreeImage_LoadFromMemory(format, memory.get(), FIF_LOAD_NOPIXELS));
        if (header && (FreeImage_GetWidth(header.get()) > limit || FreeImage_GetHeight(header.get()) > limit))
            return fault(PictureFault::TooLarge, FreeImage_GetWidth(header.get()), FreeImage_GetHeight(header.get()));
        FreeImage_SeekMemory(memory.get(), 0, SEEK_SET);
    }
    Bitmap bitmap(FreeImage_LoadFromMemory(format, memory.get(), 0));
    if (!bitmap)
        return fault(PictureFault::Unreadable);
    const unsigned width = FreeImage_GetWidth(bitmap.get());
    const unsigned height = FreeImage_GetHeight(bitmap.get());
    if (width > limit || height > limit)
        return fault(PictureFault::TooLarge, width, height);
    if (!FreeImage_HasPixels(bitmap.get()) || width == 0 || height == 0)
        return fault(PictureFault::NoPixels);

    const unsigned bits = FreeImage_GetBPP(bitmap.get()) == 32 ? 32u : 24u;
    bitmap = withBitsPerPixel(std::move(bitmap), bits);
    if (!bitmap || !FreeImage_GetBits(bitmap.get()))
        return fault(PictureFault::NoPixels);
    DecodedPicture picture;
    picture.width = width;
    picture.height = height;
    picture.bitmap = std::move(bitmap);
    return picture;
}

gl::Texture uploadPicture(const DecodedPicture& picture, const PictureSampling& sampling)
{
    FIBITMAP* bitmap = picture.bitmap.get();
    const GLenum layout = FreeImage_GetBPP(bitmap) == 32 ? GL_BGRA : GL_BGR;
    gl::Texture texture = gl::Texture::create();
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, sampling.internalFormat, static_cast<GLsizei>(picture.width),
                 static_cast<GLsizei>(picture.height), 0, layout, GL_UNSIGNED_BYTE, FreeImage_GetBits(bitmap));
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, sampling.minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

unsigned maxTextureSize()
{
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return static_cast<unsigned>(size > 0 ? size : 1);
}

Result<gl::Texture> loadPicture(const std::string& path, const PictureSampling& sampling)
{
    const DecodedPicture picture = readPicture(path, maxTextureSize());
    switch (picture.fault) {
    case PictureFault::None:
        return uploadPicture(picture, sampling);
    case PictureFault::UnknownFormat:
    case PictureFault::Unreadable:
        return Failure{"Fehler beim Laden von Texturen", "Texture: cannot load " + path};
    case PictureFault::NoPixels:
        return Failure{"Auslesen fehlerhaft", "Texture: " + path + " has no usable pixels"};
    case PictureFault::TooLarge:
        return Failure{"Auslesen fehlerhaft", "Texture: " + path + " is " + std::to_string(picture.width) + "x" +
                                                  std::to_string(picture.height) + " pixels, more than " +
                                                  std::to_string(maxTextureSize()) + " a side"};
    }
    return Failure{"Fehler beim Laden von Texturen", "Texture: cannot load " + path};
}
