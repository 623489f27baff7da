#pragma once

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

// Small image files written at test time, in a private temporary folder that
// goes away with the object.
class TempImageDir {
public:
    TempImageDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quarrystack-images-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        dir_ = pattern;
    }
    ~TempImageDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    TempImageDir(const TempImageDir&) = delete;
    TempImageDir& operator=(const TempImageDir&) = delete;

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& root() const { return dir_; }

    std::string writeBytes(const std::string& name, const std::string& bytes) const
    {
        std::filesystem::create_directories((dir_ / name).parent_path());
        std::ofstream out(path(name), std::ios::binary);
        out << bytes;
        return path(name);
    }

    // Saves `bitmap` (and unloads it) in `format` under `name`.
    std::string save(const std::string& name, FIBITMAP* bitmap, FREE_IMAGE_FORMAT format, int flags = 0) const
    {
        std::filesystem::create_directories((dir_ / name).parent_path());
        const bool saved = FreeImage_Save(format, bitmap, path(name).c_str(), flags);
        FreeImage_Unload(bitmap);
        if (!saved)
            ADD_FAILURE() << "FreeImage could not write " << name;
        return path(name);
    }

private:
    std::filesystem::path dir_;
};

using Rgba = std::array<uint8_t, 4>;

// A 24- or 32-bit bitmap whose pixel (x, y) (y = 0 at the bottom) is colourAt(x, y).
template <typename ColourAt>
FIBITMAP* colourBitmap(unsigned width, unsigned height, unsigned bpp, ColourAt colourAt)
{
    FIBITMAP* bitmap = FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), static_cast<int>(bpp));
    for (unsigned y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x) {
            const Rgba c = colourAt(x, y);
            BYTE* p = line + x * (bpp / 8);
            p[FI_RGBA_RED] = c[0];
            p[FI_RGBA_GREEN] = c[1];
            p[FI_RGBA_BLUE] = c[2];
            if (bpp == 32)
                p[FI_RGBA_ALPHA] = c[3];
        }
    }
    return bitmap;
}

inline FIBITMAP* solidBitmap(unsigned width, unsigned height, unsigned bpp, Rgba colour)
{
    return colourBitmap(width, height, bpp, [colour](unsigned, unsigned) { return colour; });
}

// An 8-bit bitmap with the given palette (up to 256 entries); pixel (x, y) holds indexAt(x, y).
template <typename IndexAt>
FIBITMAP* paletteBitmap(unsigned width, unsigned height, const std::vector<Rgba>& palette, IndexAt indexAt)
{
    FIBITMAP* bitmap = FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 8);
    RGBQUAD* entries = FreeImage_GetPalette(bitmap);
    for (unsigned i = 0; i < 256; ++i) {
        const Rgba c = i < palette.size() ? palette[i] : Rgba{0, 0, 0, 255};
        entries[i].rgbRed = c[0];
        entries[i].rgbGreen = c[1];
        entries[i].rgbBlue = c[2];
        entries[i].rgbReserved = 0;
    }
    for (unsigned y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x)
            line[x] = static_cast<BYTE>(indexAt(x, y));
    }
    return bitmap;
}

inline std::vector<Rgba> greyPalette()
{
    std::vector<Rgba> palette;
    for (unsigned i = 0; i < 256; ++i)
        palette.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 255});
    return palette;
}
