#include "render/Picture.h"

#include "core/RegularFile.h"

#include <cctype>
#include <string>
#include <string_view>
#include <utility>

namespace {

// A picture file larger than this is no texture of a level.
constexpr std::size_t fileLimit = 256u << 20;

bool endsWith(const std::string& text, std::string_view end)
{
    if (text.size() < end.size())
        return false;
    for (std::size_t i = 0; i < end.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) != end[i])
            return false;
    return true;
}

PictureFormat formatOf(const std::string& bytes, const std::string& path)
{
    const auto starts = [&](std::string_view magic) {
        return std::string_view(bytes).substr(0, magic.size()) == magic;
    };
    if (starts("\x89PNG\r\n\x1a\n"))
        return PictureFormat::Png;
    if (starts("\xff\xd8\xff"))
        return PictureFormat::Jpeg;
    if (starts("BM"))
        return PictureFormat::Bmp;
    if (endsWith(path, ".tga") && bytes.size() >= 18)
        return PictureFormat::Tga;
    return PictureFormat::Unknown;
}

} // namespace

PictureFile readPictureFile(const std::string& path)
{
    PictureFile picture;
    FileBytes file = readRegularFile(path, fileLimit);
    if (file.fault != FileFault::None) {
        picture.fault = PictureFault::Unreadable;
        return picture;
    }
    picture.format = formatOf(file.bytes, path);
    if (picture.format == PictureFormat::Unknown)
        picture.fault = PictureFault::UnknownFormat;
    picture.bytes = std::move(file.bytes);
    return picture;
}

DecodedPicture faultyPicture(PictureFault why, unsigned width, unsigned height)
{
    DecodedPicture picture;
    picture.fault = why;
    picture.width = width;
    picture.height = height;
    return picture;
}

gl::Texture uploadPicture(const DecodedPicture& picture, const PictureSampling& sampling)
{
    const PictureRows rows = rowsOf(picture);
    // WebGL takes no RGB store of RGBA rows; the level's textures read only
    // their colour anyway.
    const GLint internalFormat = gl::web ? GL_RGBA : sampling.internalFormat;
    gl::Texture texture = gl::Texture::create();
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, static_cast<GLsizei>(picture.width),
                 static_cast<GLsizei>(picture.height), 0, rows.layout, GL_UNSIGNED_BYTE, rows.pixels);
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
