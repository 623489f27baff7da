#include "render/Texture.h"

#include "core/Platform.h"
#include "render/ImageFile.h"

namespace {

// JPEG and other 24-bit colour images go up as they are; everything else
// (PNG of any depth, palette, grey, 16-bit, high-depth) becomes 32-bit BGRA
// first, so the upload never reads past the pixel data and never needs
// GL_LUMINANCE, which a core context refuses.
unsigned uploadBitsFor(FREE_IMAGE_FORMAT format, FIBITMAP* bitmap)
{
    const bool plain24 = FreeImage_GetImageType(bitmap) == FIT_BITMAP && FreeImage_GetBPP(bitmap) == 24;
    return format != FIF_PNG && plain24 ? 24u : 32u;
}

} // namespace

GLenum pixelFormatFor(unsigned bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 32:
        return GL_BGRA;
    case 24:
        return GL_BGR;
    default:
        return 0;
    }
}

Texture::Texture(const std::string& path) : path(path)
{
    id = gl::Texture::create();
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, id);
    if (!load(path))
        fatalError("Fehler beim Laden von Texturen", "Texture: cannot load " + path);
}

bool Texture::load(const std::string& path)
{
    this->path = path;

    // Null when the type is unknown or unreadable, or the file cannot be loaded.
    const FREE_IMAGE_FORMAT format = detectImageFormat(path);
    Bitmap bitmap = loadBitmap(path, format);
    if (!bitmap)
        return false;

    if (!FreeImage_HasPixels(bitmap.get()) || FreeImage_GetWidth(bitmap.get()) == 0 ||
        FreeImage_GetHeight(bitmap.get()) == 0)
        fatalError("Auslesen fehlerhaft", "Texture: " + path + " has no pixels");

    const unsigned bits = uploadBitsFor(format, bitmap.get());
    bitmap = withBitsPerPixel(std::move(bitmap), bits);
    const BYTE* pixels = bitmap ? FreeImage_GetBits(bitmap.get()) : nullptr;
    if (!pixels)
        fatalError("Auslesen fehlerhaft", "Texture: " + path + " cannot be converted to " + std::to_string(bits) +
                                              " bits per pixel");

    const GLsizei width = static_cast<GLsizei>(FreeImage_GetWidth(bitmap.get()));
    const GLsizei height = static_cast<GLsizei>(FreeImage_GetHeight(bitmap.get()));
    // FreeImage rows are bottom-up and padded to 4 bytes, as GL unpacks them
    // by default: the data goes up untouched.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, pixelFormatFor(bits), GL_UNSIGNED_BYTE, pixels);
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return true;
}
