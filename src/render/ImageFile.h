#pragma once

#include <FreeImage.h>

#include <memory>
#include <string>

// FreeImage bitmaps with an owner, and the format detection shared by the
// menu pictures and the level textures.
struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

// The file's format by its contents, else by its extension; FIF_UNKNOWN when
// neither tells.
FREE_IMAGE_FORMAT detectImageFormat(const std::string& path);

// Loads `path` with `format` (flags 0); null when the library cannot read it.
Bitmap loadBitmap(const std::string& path, FREE_IMAGE_FORMAT format);

// A copy with exactly `bitsPerPixel` (24 or 32) in BGR(A) byte order, or the
// bitmap itself when it already has that depth and is a plain RGB(A) bitmap.
// Palette, grey, 16-bit and high-depth images are converted. Null when the
// library cannot convert it.
Bitmap withBitsPerPixel(Bitmap bitmap, unsigned bitsPerPixel);
