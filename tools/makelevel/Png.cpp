#include "Png.h"

#include <array>
#include <stdexcept>

namespace png {

namespace {

uint32_t crc32(const std::string& bytes, size_t begin)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = begin; i < bytes.size(); ++i) {
        c = table[(c ^ static_cast<uint8_t>(bytes[i])) & 0xFFu] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}

void putBig32(std::string& out, uint32_t value)
{
    out += static_cast<char>((value >> 24) & 0xFFu);
    out += static_cast<char>((value >> 16) & 0xFFu);
    out += static_cast<char>((value >> 8) & 0xFFu);
    out += static_cast<char>(value & 0xFFu);
}

void chunk(std::string& out, const char* type, const std::string& data)
{
    putBig32(out, static_cast<uint32_t>(data.size()));
    size_t crcStart = out.size();
    out += type;
    out += data;
    putBig32(out, crc32(out, crcStart));
}

} // namespace

std::string encodeRgb(int width, int height, const std::vector<uint8_t>& rgb)
{
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3) {
        throw std::runtime_error("png: pixel data does not match the size");
    }
    // Scanlines with filter type 0 in front of each row.
    std::string raw;
    size_t row = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        raw.append(reinterpret_cast<const char*>(&rgb[static_cast<size_t>(y) * row]), row);
    }

    std::string zlib;
    zlib += static_cast<char>(0x78);
    zlib += static_cast<char>(0x01);
    size_t offset = 0;
    do {
        size_t length = raw.size() - offset < 65535 ? raw.size() - offset : 65535;
        bool last = offset + length == raw.size();
        zlib += static_cast<char>(last ? 1 : 0);
        zlib += static_cast<char>(length & 0xFFu);
        zlib += static_cast<char>((length >> 8) & 0xFFu);
        zlib += static_cast<char>(~length & 0xFFu);
        zlib += static_cast<char>((~length >> 8) & 0xFFu);
        zlib.append(raw, offset, length);
        offset += length;
    } while (offset < raw.size());
    uint32_t a = 1;
    uint32_t b = 0;
    for (char c : raw) {
        a = (a + static_cast<uint8_t>(c)) % 65521u;
        b = (b + a) % 65521u;
    }
    putBig32(zlib, (b << 16) | a);

    std::string header;
    putBig32(header, static_cast<uint32_t>(width));
    putBig32(header, static_cast<uint32_t>(height));
    header += static_cast<char>(8); // bit depth
    header += static_cast<char>(2); // colour type RGB
    header += std::string(3, '\0'); // deflate, adaptive filtering, no interlace

    std::string out("\x89PNG\r\n\x1a\n", 8);
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", zlib);
    chunk(out, "IEND", std::string());
    return out;
}

} // namespace png
