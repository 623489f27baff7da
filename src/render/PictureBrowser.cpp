#include "render/Picture.h"

#include <emscripten.h>

#include <cstdlib>
#include <cstring>
#include <vector>

// Pictures in the browser: the page's loader hands every picture packed with
// the game to the browser's own decoder before the game starts, and the game
// takes the decoded pixels (RGBA, rows from the top) by the file's path.

void BitmapDeleter::operator()(unsigned char* pixels) const { std::free(pixels); }

DecodedPicture readPicture(const std::string& path, unsigned limit)
{
    const PictureFile file = readPictureFile(path);
    if (file.fault != PictureFault::None)
        return faultyPicture(file.fault);
    if (file.format == PictureFormat::Tga) // browsers decode no TGA
        return faultyPicture(PictureFault::UnknownFormat);
    int width = 0, height = 0;
    Bitmap pixels(reinterpret_cast<unsigned char*>(emscripten_get_preloaded_image_data(path.c_str(), &width, &height)));
    if (!pixels)
        return faultyPicture(PictureFault::Unreadable);
    if (width <= 0 || height <= 0)
        return faultyPicture(PictureFault::NoPixels);
    if (unsigned(width) > limit || unsigned(height) > limit)
        return faultyPicture(PictureFault::TooLarge, unsigned(width), unsigned(height));

    // GL takes the bottom row first.
    const std::size_t rowBytes = std::size_t(width) * 4;
    std::vector<unsigned char> row(rowBytes);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        unsigned char* a = pixels.get() + rowBytes * std::size_t(top);
        unsigned char* b = pixels.get() + rowBytes * std::size_t(bottom);
        std::memcpy(row.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, row.data(), rowBytes);
    }
    DecodedPicture picture;
    picture.width = unsigned(width);
    picture.height = unsigned(height);
    picture.bitmap = std::move(pixels);
    return picture;
}

PictureRows rowsOf(const DecodedPicture& picture) { return {picture.bitmap.get(), GL_RGBA}; }
