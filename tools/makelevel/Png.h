#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A PNG encoder for the fixture textures: 8-bit RGB, no filtering, deflate
// "stored" blocks. It does without zlib on purpose: the bytes depend only on
// the pixels, so the committed pictures regenerate identically everywhere.
namespace png {

// `rgb` holds width × height × 3 bytes, rows from the top.
std::string encodeRgb(int width, int height, const std::vector<uint8_t>& rgb);

} // namespace png
