#pragma once

#include "render/GlObjects.h"

#include <string>

// One 2D texture with a full mipmap chain, loaded from an image file.
class Texture {
public:
    // Binds the new texture on unit 3 (left active) and loads `path`; a file
    // that cannot be loaded ends the process.
    explicit Texture(const std::string& path);

    // Uploads the image into the bound texture; false when the file's type is
    // unknown or unreadable or the file cannot be loaded.
    bool load(const std::string& path);

    gl::Texture id;
    std::string path;
};

// The upload format of a bitmap that the loader has brought to `bitsPerPixel`:
// GL_BGRA for 32, GL_BGR for 24, 0 otherwise. The loader never uploads other
// depths: PNG files and every depth but 24 (grey and palette images included)
// are converted to 32 bits first.
GLenum pixelFormatFor(unsigned bitsPerPixel);
