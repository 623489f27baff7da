#include "Art.h"

#include <cmath>
#include <string>

namespace makeart {

namespace {

// The welcome picture's dusk, so that the sky over the level and the menu
// pictures belong together.
const Rgb kZenith = hex(0x1d2b44);
const Rgb kMiddle = hex(0x5d6a82);
const Rgb kHorizon = hex(0xe9a964);
const Rgb kCloud = hex(0xf3d2b0);

Rgb duskGradient(float t) // 0 at the horizon, 1 overhead
{
    return t < 0.35f ? mix(kHorizon, kMiddle, smoothstep(0.0f, 0.35f, t)) : mix(kMiddle, kZenith, (t - 0.35f) / 0.65f);
}

} // namespace

// Texture space: a column per direction around the horizon (u wraps, so
// the noise lattice wraps with it), a row per height, v = the sine of the
// elevation (row 0, the bottom scanline, is the horizon).
bool writeSkyTexture(const std::string& path)
{
    constexpr int kWidth = 512, kHeight = 128, kCells = 12;
    Canvas c(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        const float t = (y + 0.5f) / kHeight;
        for (int x = 0; x < kWidth; ++x) {
            const float u = (x + 0.5f) / kWidth;
            // Long thin clouds, stretched along the horizon and thinning out overhead.
            const float n = fbm(u * kCells, t * 6.0f, 11u, 4, kCells, 0, 0.5f);
            const float cloud = smoothstep(0.55f, 0.75f, n) * 0.6f * (1.0f - smoothstep(0.15f, 0.6f, t));
            c.rgb(x, y) = mix(duskGradient(t), mix(kCloud, kMiddle, t), cloud);
        }
    }
    return writePng(c, path, 24, false);
}

// The menu and desktop icon: the beacon glowing on a quarry terrace under
// the dusk sky, on a rounded square.
bool writeIcon(const std::string& path, int size)
{
    const float s = size / 256.0f;
    Canvas c(size, size, {}, 0.0f);
    fillRoundedRect(c, 8 * s, 8 * s, 248 * s, 248 * s, 40 * s, {}, 1.0f);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            c.rgb(x, y) = duskGradient(clamp01(1.0f - (y + 0.5f) / (size * 0.62f)));
    const Rgb rock = hex(0x4a3f38), ledge = hex(0x6b5a4a);
    // The rock's rounded bottom first; the ledge covers its top corners.
    fillRoundedRect(c, 8 * s, 170 * s, 248 * s, 248 * s, 40 * s, rock, 1.0f);
    fillPolygon(c,
                {{8 * s, 170 * s},
                 {92 * s, 170 * s},
                 {92 * s, 140 * s},
                 {248 * s, 140 * s},
                 {248 * s, 208 * s},
                 {8 * s, 208 * s}},
                ledge);
    addGlow(c, {170 * s, 112 * s}, 70 * s, hex(0x3fe08c) * 0.6f, 2.0f);
    fillPolygon(c, {{158 * s, 140 * s}, {158 * s, 92 * s}, {170 * s, 62 * s}, {182 * s, 92 * s}, {182 * s, 140 * s}},
                hex(0x7dffb5));
    fillPolygon(c, {{170 * s, 62 * s}, {182 * s, 92 * s}, {182 * s, 140 * s}, {170 * s, 140 * s}}, hex(0x36c97a));
    return writePng(c, path, 32, true);
}

} // namespace makeart
