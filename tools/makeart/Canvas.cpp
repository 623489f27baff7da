#include "Art.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>

namespace makeart {

Rgb hex(std::uint32_t rgb)
{
    return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f};
}

Rgb mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float smoothstep(float e0, float e1, float x)
{
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

float mixf(float a, float b, float t) { return a + (b - a) * t; }

Canvas::Canvas(int width, int height, Rgb fill, float alpha)
    : width_(width), height_(height), rgb_(static_cast<std::size_t>(width) * height, fill),
      alpha_(static_cast<std::size_t>(width) * height, alpha)
{
}

void Canvas::blend(int x, int y, Rgb colour, float coverage)
{
    if (!inside(x, y) || coverage <= 0.0f)
        return;
    coverage = std::min(coverage, 1.0f);
    std::size_t i = index(x, y);
    rgb_[i] = mix(rgb_[i], colour, coverage);
    alpha_[i] = coverage + alpha_[i] * (1.0f - coverage);
}

void Canvas::add(int x, int y, Rgb light)
{
    if (!inside(x, y))
        return;
    std::size_t i = index(x, y);
    rgb_[i] = rgb_[i] + light;
}

namespace {

// Overlap of the pixel [p, p+1) with [lo, hi).
float spanCoverage(int p, float lo, float hi)
{
    float a = std::max(static_cast<float>(p), lo);
    float b = std::min(static_cast<float>(p + 1), hi);
    return b > a ? b - a : 0.0f;
}

float roundedRectDistance(float px, float py, float x0, float y0, float x1, float y1, float radius)
{
    float cx = (x0 + x1) * 0.5f;
    float cy = (y0 + y1) * 0.5f;
    float hx = (x1 - x0) * 0.5f - radius;
    float hy = (y1 - y0) * 0.5f - radius;
    float qx = std::fabs(px - cx) - hx;
    float qy = std::fabs(py - cy) - hy;
    float ox = std::max(qx, 0.0f);
    float oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

} // namespace

void fillRect(Canvas& c, float x0, float y0, float x1, float y1, Rgb colour, float alpha)
{
    int ix0 = std::max(0, static_cast<int>(std::floor(x0)));
    int iy0 = std::max(0, static_cast<int>(std::floor(y0)));
    int ix1 = std::min(c.width() - 1, static_cast<int>(std::ceil(x1)));
    int iy1 = std::min(c.height() - 1, static_cast<int>(std::ceil(y1)));
    for (int y = iy0; y <= iy1; ++y) {
        float cy = spanCoverage(y, y0, y1);
        if (cy <= 0.0f)
            continue;
        for (int x = ix0; x <= ix1; ++x)
            c.blend(x, y, colour, alpha * cy * spanCoverage(x, x0, x1));
    }
}

void fillPolygon(Canvas& c, const std::vector<Vec2>& points, Rgb colour, float alpha)
{
    if (points.size() < 3)
        return;
    float minX = points[0].x, maxX = points[0].x, minY = points[0].y, maxY = points[0].y;
    for (const Vec2& p : points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    int ix0 = std::max(0, static_cast<int>(std::floor(minX)));
    int iy0 = std::max(0, static_cast<int>(std::floor(minY)));
    int ix1 = std::min(c.width() - 1, static_cast<int>(std::ceil(maxX)));
    int iy1 = std::min(c.height() - 1, static_cast<int>(std::ceil(maxY)));
    constexpr int kSub = 4;
    std::vector<int> hits(static_cast<std::size_t>(std::max(0, ix1 - ix0 + 1)));
    for (int y = iy0; y <= iy1; ++y) {
        std::fill(hits.begin(), hits.end(), 0);
        for (int sy = 0; sy < kSub; ++sy) {
            float py = y + (sy + 0.5f) / kSub;
            // Non-zero winding: collect signed crossings along this sub-row.
            std::vector<std::pair<float, int>> xs;
            for (std::size_t i = 0; i < points.size(); ++i) {
                Vec2 a = points[i];
                Vec2 b = points[(i + 1) % points.size()];
                if ((a.y <= py) == (b.y <= py))
                    continue;
                float t = (py - a.y) / (b.y - a.y);
                xs.push_back({a.x + t * (b.x - a.x), b.y > a.y ? 1 : -1});
            }
            std::sort(xs.begin(), xs.end());
            for (int x = ix0; x <= ix1; ++x) {
                for (int sx = 0; sx < kSub; ++sx) {
                    float px = x + (sx + 0.5f) / kSub;
                    int winding = 0;
                    for (const auto& e : xs) {
                        if (e.first > px)
                            break;
                        winding += e.second;
                    }
                    if (winding != 0)
                        ++hits[static_cast<std::size_t>(x - ix0)];
                }
            }
        }
        for (int x = ix0; x <= ix1; ++x) {
            int n = hits[static_cast<std::size_t>(x - ix0)];
            if (n > 0)
                c.blend(x, y, colour, alpha * n / static_cast<float>(kSub * kSub));
        }
    }
}

float segmentDistance(Vec2 p, Vec2 a, Vec2 b, Vec2* nearest)
{
    Vec2 ab = b - a;
    Vec2 ap = p - a;
    float len2 = ab.x * ab.x + ab.y * ab.y;
    float t = len2 > 0.0f ? clamp01((ap.x * ab.x + ap.y * ab.y) / len2) : 0.0f;
    Vec2 q = a + ab * t;
    if (nearest)
        *nearest = q;
    Vec2 d = p - q;
    return std::sqrt(d.x * d.x + d.y * d.y);
}

void strokeLine(Canvas& c, Vec2 a, Vec2 b, float halfWidth, Rgb colour, float alpha)
{
    int ix0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - halfWidth - 1)));
    int iy0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - halfWidth - 1)));
    int ix1 = std::min(c.width() - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + halfWidth + 1)));
    int iy1 = std::min(c.height() - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + halfWidth + 1)));
    for (int y = iy0; y <= iy1; ++y)
        for (int x = ix0; x <= ix1; ++x) {
            float d = segmentDistance({x + 0.5f, y + 0.5f}, a, b);
            c.blend(x, y, colour, alpha * clamp01(halfWidth - d + 0.5f));
        }
}

void fillRoundedRect(Canvas& c, float x0, float y0, float x1, float y1, float radius, Rgb colour, float alpha)
{
    for (int y = std::max(0, static_cast<int>(y0) - 1); y <= std::min(c.height() - 1, static_cast<int>(y1) + 1); ++y)
        for (int x = std::max(0, static_cast<int>(x0) - 1); x <= std::min(c.width() - 1, static_cast<int>(x1) + 1);
             ++x) {
            float d = roundedRectDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1, radius);
            c.blend(x, y, colour, alpha * clamp01(0.5f - d));
        }
}

void strokeRoundedRect(Canvas& c, float x0, float y0, float x1, float y1, float radius, float halfWidth, Rgb colour,
                       float alpha)
{
    int m = static_cast<int>(halfWidth) + 2;
    for (int y = std::max(0, static_cast<int>(y0) - m); y <= std::min(c.height() - 1, static_cast<int>(y1) + m); ++y)
        for (int x = std::max(0, static_cast<int>(x0) - m); x <= std::min(c.width() - 1, static_cast<int>(x1) + m);
             ++x) {
            float d = std::fabs(roundedRectDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1, radius));
            c.blend(x, y, colour, alpha * clamp01(halfWidth - d + 0.5f));
        }
}

void addGlow(Canvas& c, Vec2 centre, float radius, Rgb colour, float falloff)
{
    int ix0 = std::max(0, static_cast<int>(centre.x - radius));
    int iy0 = std::max(0, static_cast<int>(centre.y - radius));
    int ix1 = std::min(c.width() - 1, static_cast<int>(centre.x + radius));
    int iy1 = std::min(c.height() - 1, static_cast<int>(centre.y + radius));
    for (int y = iy0; y <= iy1; ++y)
        for (int x = ix0; x <= ix1; ++x) {
            float dx = x + 0.5f - centre.x;
            float dy = y + 0.5f - centre.y;
            float t = 1.0f - std::sqrt(dx * dx + dy * dy) / radius;
            if (t > 0.0f)
                c.add(x, y, colour * std::pow(t, falloff));
        }
}

// --- noise -----------------------------------------------------------------

std::uint32_t hash2(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float hashUnit(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    return static_cast<float>(hash2(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

namespace {

int wrap(int v, int period)
{
    if (period <= 0)
        return v;
    int m = v % period;
    return m < 0 ? m + period : m;
}

float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

} // namespace

float valueNoise(float x, float y, std::uint32_t seed, int period) { return valueNoise(x, y, seed, period, period); }

float valueNoise(float x, float y, std::uint32_t seed, int periodX, int periodY)
{
    float fx = std::floor(x);
    float fy = std::floor(y);
    int x0 = static_cast<int>(fx);
    int y0 = static_cast<int>(fy);
    float tx = fade(x - fx);
    float ty = fade(y - fy);
    int xa = wrap(x0, periodX), xb = wrap(x0 + 1, periodX);
    int ya = wrap(y0, periodY), yb = wrap(y0 + 1, periodY);
    float v00 = hashUnit(xa, ya, seed);
    float v10 = hashUnit(xb, ya, seed);
    float v01 = hashUnit(xa, yb, seed);
    float v11 = hashUnit(xb, yb, seed);
    return mixf(mixf(v00, v10, tx), mixf(v01, v11, tx), ty);
}

float fbm(float x, float y, std::uint32_t seed, int octaves, int period, float gain)
{
    return fbm(x, y, seed, octaves, period, period, gain);
}

float fbm(float x, float y, std::uint32_t seed, int octaves, int periodX, int periodY, float gain)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * valueNoise(x, y, seed + 1013u * static_cast<std::uint32_t>(o), periodX, periodY);
        norm += amplitude;
        amplitude *= gain;
        x *= 2.0f;
        y *= 2.0f;
        periodX *= 2;
        periodY *= 2;
    }
    return sum / norm;
}

CellSample cellular(float x, float y, std::uint32_t seed, int period, float jitter)
{
    int cx = static_cast<int>(std::floor(x));
    int cy = static_cast<int>(std::floor(y));
    CellSample s;
    s.f1 = s.f2 = 1e9f;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            int gx = cx + dx;
            int gy = cy + dy;
            int wx = wrap(gx, period);
            int wy = wrap(gy, period);
            float px = gx + 0.5f + (hashUnit(wx, wy, seed) - 0.5f) * jitter;
            float py = gy + 0.5f + (hashUnit(wx, wy, seed + 7u) - 0.5f) * jitter;
            float ox = x - px;
            float oy = y - py;
            float d = std::sqrt(ox * ox + oy * oy);
            if (d < s.f1) {
                s.f2 = s.f1;
                s.f1 = d;
                s.id = hash2(wx, wy, seed + 13u);
                s.offset = {ox, oy};
            } else if (d < s.f2) {
                s.f2 = d;
            }
        }
    return s;
}

// --- output ----------------------------------------------------------------

bool writePng(const Canvas& c, const std::string& path, int bitsPerPixel, bool topRowFirst)
{
    if (bitsPerPixel != 24 && bitsPerPixel != 32)
        return false;
    FIBITMAP* bitmap = FreeImage_Allocate(c.width(), c.height(), bitsPerPixel, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                          FI_RGBA_BLUE_MASK);
    if (!bitmap)
        return false;
    const int bytes = bitsPerPixel / 8;
    auto toByte = [](float v) { return static_cast<BYTE>(std::floor(clamp01(v) * 255.0f + 0.5f)); };
    for (int scan = 0; scan < c.height(); ++scan) {
        int row = topRowFirst ? c.height() - 1 - scan : scan;
        BYTE* line = FreeImage_GetScanLine(bitmap, scan);
        for (int x = 0; x < c.width(); ++x) {
            Rgb p = c.rgb(x, row);
            BYTE* px = line + x * bytes;
            px[FI_RGBA_RED] = toByte(p.r);
            px[FI_RGBA_GREEN] = toByte(p.g);
            px[FI_RGBA_BLUE] = toByte(p.b);
            if (bytes == 4)
                px[FI_RGBA_ALPHA] = toByte(c.alpha(x, row));
        }
    }
    if (bytes == 4) {
        // FreeImage writes a 32-bit bitmap whose alpha is all 255 as a 24-bit
        // PNG, but the game's loader takes every PNG as 4 bytes a pixel. One
        // corner pixel a hair short of opaque keeps the alpha channel.
        BYTE* corner = FreeImage_GetScanLine(bitmap, 0);
        if (corner[FI_RGBA_ALPHA] == 255 && FreeImage_GetColorType(bitmap) == FIC_RGB)
            corner[FI_RGBA_ALPHA] = 254;
    }
    bool ok = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_DEFAULT) != 0;
    FreeImage_Unload(bitmap);
    return ok;
}

} // namespace makeart
