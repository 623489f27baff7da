#pragma once

#include "core/Result.h"
#include "render/GlObjects.h"

#include <cstddef>
#include <memory>
#include <string>

// Pictures from files as textures: one way in for the menu pictures, the
// font atlas, the sky and the level's textures. The desktop decodes them with
// FreeImage (PictureFreeImage.cpp); the browser build takes the pixels the
// browser decoded as the page loaded (PictureBrowser.cpp).

#ifdef __EMSCRIPTEN__
// 32-bit RGBA, rows bottom-up.
struct BitmapDeleter {
    void operator()(unsigned char* pixels) const;
};
using Bitmap = std::unique_ptr<unsigned char, BitmapDeleter>;
#else
#include <FreeImage.h>
struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;
#endif

// Why a picture file gave no pixels to upload.
enum class PictureFault {
    None,
    UnknownFormat, // not a PNG, JPEG or BMP by its first bytes, nor a TGA by its name
    Unreadable,    // not a regular file we can read, or the library cannot decode it
    NoPixels,      // decoded, but empty or not convertible to 24 or 32 bits
    TooLarge,      // more pixels a side than the caller's limit
};

// A picture ready for upload, rows bottom-up and padded to 4 bytes, as GL
// unpacks them by default. From FreeImage: 32-bit BGRA when the file has 32
// bits, else 24-bit BGR (palette, grey, 16-bit and high-depth pictures are
// converted). From the browser: 32-bit RGBA.
struct DecodedPicture {
    Bitmap bitmap; // null on a fault
    PictureFault fault = PictureFault::None;
    unsigned width = 0; // as decoded, or as the header claims for one too large
    unsigned height = 0;
};

// The formats a picture may have: PNG, JPEG and BMP told by their first bytes,
// TGA (which has no signature) by the name ending ".tga". Only these reach a
// decoder: FreeImage's readers of the rarer ones crash or hang on crafted files.
enum class PictureFormat { Unknown, Png, Jpeg, Bmp, Tga };

// A picture file read whole for a decoder, with its format. The fault is
// Unreadable when it is no regular file we can read (or larger than any
// texture's file), UnknownFormat when its format is none of those above.
struct PictureFile {
    std::string bytes;
    PictureFormat format = PictureFormat::Unknown;
    PictureFault fault = PictureFault::None;
};
PictureFile readPictureFile(const std::string& path);

// Decodes the picture in the regular file at `path`, of a format above (the
// browser decodes no TGA). Where the format gives the size from the header
// without decoding, a picture past `limit` pixels a side is refused before it takes memory.
DecodedPicture readPicture(const std::string& path, unsigned limit);

// The picture's pixels and their GL layout (GL_BGR, GL_BGRA or GL_RGBA).
struct PictureRows {
    const void* pixels = nullptr;
    GLenum layout = GL_RGBA;
};
PictureRows rowsOf(const DecodedPicture& picture);

// A fault of its own, with the size when there is one.
DecodedPicture faultyPicture(PictureFault why, unsigned width = 0, unsigned height = 0);

// How an uploaded picture is stored and sampled.
struct PictureSampling {
    GLint internalFormat = GL_RGBA; // GL_RGB drops the alpha channel
    GLint minFilter = GL_LINEAR_MIPMAP_LINEAR;
};

// A new texture holding the picture (which has pixels) with a full mipmap
// chain, magnified linearly and repeated at its edges. Leaves no texture bound
// on the active unit.
gl::Texture uploadPicture(const DecodedPicture& picture, const PictureSampling& sampling = {});

// The largest texture side the current context takes.
unsigned maxTextureSize();

// A picture the game ships (menu pictures, font atlas, sky), read and
// uploaded. The failures are "Fehler beim Laden von Texturen" when the file
// cannot be decoded, "Auslesen fehlerhaft" when it holds no usable pixels or
// more than the context takes; the detail names the file.
Result<gl::Texture> loadPicture(const std::string& path, const PictureSampling& sampling = {});
