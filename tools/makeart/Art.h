#pragma once

// Shared pieces of the picture generator: colours, a float canvas, shapes,
// hash-based noise, the stroke font and PNG output. Everything here is
// deterministic: noise comes from integer hashes of fixed seeds, never from
// the clock or a library random engine.

#include <cstdint>
#include <string>
#include <vector>

namespace makeart {

struct Vec2 {
    float x = 0.0f;
    float y = 0.0f;
};

inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, float s) { return {a.x * s, a.y * s}; }

struct Rgb {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Rgb operator*(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

// 0xRRGGBB as written in a paint program.
Rgb hex(std::uint32_t rgb);
Rgb mix(Rgb a, Rgb b, float t);
float clamp01(float v);
float smoothstep(float e0, float e1, float x);
float mixf(float a, float b, float t);

// A picture in linear float channels, row 0 at the top as the picture is seen.
class Canvas {
public:
    Canvas(int width, int height, Rgb fill = {}, float alpha = 1.0f);

    int width() const { return width_; }
    int height() const { return height_; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    Rgb& rgb(int x, int y) { return rgb_[index(x, y)]; }
    Rgb rgb(int x, int y) const { return rgb_[index(x, y)]; }
    float& alpha(int x, int y) { return alpha_[index(x, y)]; }
    float alpha(int x, int y) const { return alpha_[index(x, y)]; }

    // Source-over compositing of one pixel; out-of-range pixels are ignored.
    void blend(int x, int y, Rgb colour, float coverage);
    void add(int x, int y, Rgb light);

private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }
    int width_;
    int height_;
    std::vector<Rgb> rgb_;
    std::vector<float> alpha_;
};

// Shapes, anti-aliased, in canvas pixel coordinates (pixel centres at +0.5).
void fillRect(Canvas& c, float x0, float y0, float x1, float y1, Rgb colour, float alpha = 1.0f);
void fillPolygon(Canvas& c, const std::vector<Vec2>& points, Rgb colour, float alpha = 1.0f);
void strokeLine(Canvas& c, Vec2 a, Vec2 b, float halfWidth, Rgb colour, float alpha = 1.0f);
void fillRoundedRect(Canvas& c, float x0, float y0, float x1, float y1, float radius, Rgb colour, float alpha);
void strokeRoundedRect(Canvas& c, float x0, float y0, float x1, float y1, float radius, float halfWidth, Rgb colour,
                       float alpha);
// Additive light falling off as (1 - d/radius)^falloff.
void addGlow(Canvas& c, Vec2 centre, float radius, Rgb colour, float falloff);
float segmentDistance(Vec2 p, Vec2 a, Vec2 b, Vec2* nearest = nullptr);

// Noise. `hash2` mixes lattice coordinates with a seed; the noise functions
// return values in [0, 1]. A period above 0 makes the lattice wrap, so a
// texture sampled over exactly `period` cells tiles.
std::uint32_t hash2(std::int32_t x, std::int32_t y, std::uint32_t seed);
float hashUnit(std::int32_t x, std::int32_t y, std::uint32_t seed);
float valueNoise(float x, float y, std::uint32_t seed, int period = 0);
float valueNoise(float x, float y, std::uint32_t seed, int periodX, int periodY);
float fbm(float x, float y, std::uint32_t seed, int octaves, int period = 0, float gain = 0.5f);
float fbm(float x, float y, std::uint32_t seed, int octaves, int periodX, int periodY, float gain);

struct CellSample {
    float f1 = 0.0f;      // distance to the nearest feature point, in cells
    float f2 = 0.0f;      // distance to the second nearest
    std::uint32_t id = 0; // hash of the nearest cell, stable under wrapping
    Vec2 offset;          // from the nearest feature point to the sample, in cells
};
// Cellular (Worley) noise with one jittered point per cell.
CellSample cellular(float x, float y, std::uint32_t seed, int period, float jitter = 0.8f);

// The stroke font: glyphs are centre lines of strokes in font units (cap
// height 10, x-height 7, descenders to -3, y up), drawn with round ends.
struct Glyph {
    std::vector<std::vector<Vec2>> strokes;
    float left = 0.0f;
    float right = 0.0f;
};
const Glyph* findGlyph(char c);
constexpr float kFontCapHeight = 10.0f;
constexpr float kFontSpaceWidth = 3.6f;

struct TextStyle {
    enum class Align { Left, Centre, Right };
    float capHeight = 20.0f; // pixels
    float weight = 0.85f;    // stroke half-width in font units
    float tracking = 2.9f;   // gap between glyph extents in font units
    Rgb fillTop = {1, 1, 1};
    Rgb fillBottom = {1, 1, 1};
    float outline = 0.0f; // pixels beyond the stroke
    Rgb outlineColour = {};
    Vec2 shadowOffset;       // pixels
    float shadowBlur = 0.0f; // pixels
    float shadowAlpha = 0.0f;
    float bevel = 0.0f; // chamfer width in pixels, 0 for flat letters
    float grain = 0.0f; // stone speckle on the fill
    Align align = Align::Left;
};

float measureText(const std::string& text, const TextStyle& style);
// Draws one line with its baseline at `baseline`; x is the left edge, the
// centre or the right edge as the style's alignment says. Returns the width.
float drawText(Canvas& c, const std::string& text, float x, float baseline, const TextStyle& style);
// Plain coverage of one glyph (no effects) for the font atlas.
void drawGlyphCoverage(Canvas& c, char ch, float originX, float baseline, float capHeight, float weight);
// Ink extents of a glyph in font units (without the stroke width).
bool glyphExtents(char c, float* left, float* right);

// PNG output through FreeImage. `topRowFirst` means the canvas row 0 is the
// top of the picture as shown: it then lands in the last scanline, since
// FreeImage's scanline 0 is the bottom row, which the game uploads as the
// bottom of a GL texture. Textures generated directly in texture space
// (row = scanline = v) pass false.
bool writePng(const Canvas& c, const std::string& path, int bitsPerPixel, bool topRowFirst);

// Generators.
bool writeMenuPictures(const std::string& menuDir);
bool writeFontAtlas(const std::string& path);
bool writeLevelTextures(const std::string& newDir);
// The dusk sky over the levels: u around the horizon, v the sine of the elevation.
bool writeSkyTexture(const std::string& path);
// The desktop icon, `size` pixels square, with alpha.
bool writeIcon(const std::string& path, int size);
// Every glyph of the font at several sizes, for looking the font over.
bool writeSpecimen(const std::string& path);

} // namespace makeart
