#pragma once

#include "support/TempDir.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// Writes `bytes` as `name` in `dir`; returns the path.
inline std::string writeFile(const TempDir& dir, const std::string& name, const std::string& bytes)
{
    const std::filesystem::path path = dir.path() / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

// Saves `bitmap` (and unloads it) in `format` as `name` in `dir`; returns the path.
inline std::string saveBitmap(const TempDir& dir, const std::string& name, FIBITMAP* bitmap,
                              FREE_IMAGE_FORMAT format, int flags = 0)
{
    const std::filesystem::path path = dir.path() / name;
    std::filesystem::create_directories(path.parent_path());
    if (!FreeImage_Save(format, bitmap, path.string().c_str(), flags))
        ADD_FAILURE() << "FreeImage could not write " << name;
    FreeImage_Unload(bitmap);
    return path.string();
}

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
