#include "Art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace makeart {

namespace {

// The house font: a rounded geometric face drawn as stroke centre lines.
// Each stroke is a list of tokens separated by blanks; strokes are separated
// by ';'. Tokens:
//   x,y                       a point
//   @cx,cy,rx,ry,from,to      an elliptical arc (degrees, counter-clockwise
//                             when to > from), appended point by point
//   z                         back to the stroke's first point
// A stroke of one point is a dot. Units: cap height 10, x-height 7,
// baseline 0, descenders to -3.
struct GlyphSource {
    char ch;
    const char* strokes;
};

const GlyphSource kGlyphSources[] = {
    {'!', "0,10 0,3.2; 0,0"},
    {'"', "0,10 0,7; 2.2,10 2.2,7"},
    {'#', "1.6,0 2.6,10; 4.4,0 5.4,10; 0,3.4 6.4,3.4; 0.6,6.6 7,6.6"},
    {'$', "@3,7.5,2.9,2.5,25,270 @3,2.5,3,2.5,90,-155; 3,11 3,-1"},
    {'%', "0,0 7,10; @1.4,8.5,1.4,1.5,0,360; @5.6,1.5,1.4,1.5,0,360"},
    {'&', "6.4,0 1.3,5.9 @2.8,8.2,1.5,1.8,215,-35 0.9,3.5 @3,2.3,2.2,2.3,160,300 6.6,4"},
    {'\'', "0,10 0,7"},
    {'(', "@3.4,4,3,7,122,238"},
    {')', "@-0.4,4,3,7,58,-58"},
    {'*', "2.5,10 2.5,5.4; 0.4,8.9 4.6,6.5; 0.4,6.5 4.6,8.9"},
    {'+', "0,4.2 6,4.2; 3,1.2 3,7.2"},
    {',', "0.6,0.4 -0.4,-2.2"},
    {'-', "0,4.2 4,4.2"},
    {'.', "0,0"},
    {'/', "0,-1 5,11"},
    {'0', "@2.8,7.2,2.8,2.8,0,180 @2.8,2.8,2.8,2.8,180,360 z; 4.2,7.6 1.4,2.4"},
    {'1', "0.4,8 2.6,10 2.6,0"},
    {'2', "@3,7,2.9,3,165,-30 0,0 6,0"},
    {'3', "@2.9,7.6,2.7,2.4,155,-90 @2.9,2.6,3.1,2.6,90,-155"},
    {'4', "4.6,0 4.6,10 0,3 6.4,3"},
    {'5', "5.6,10 0.6,10 0.3,5.6 @3,3.2,3.1,3.2,118,-150"},
    {'6', "@3,3.1,3,3.1,180,540; 0,3.1 0,6.8 @3,6.8,3,3.2,180,35"},
    {'7', "0,10 6,10 2,0"},
    {'8', "@3,7.6,2.6,2.4,-90,270; @3,2.6,3,2.6,90,450"},
    {'9', "@3,6.9,3,3.1,0,360; 6,6.9 6,3.2 @3,3.2,3,3.2,0,-145"},
    {':', "0,0; 0,6"},
    {';', "0,6; 0.6,0.4 -0.4,-2.2"},
    {'<', "6,8 0,4.2 6,0.4"},
    {'=', "0,2.7 6,2.7; 0,5.7 6,5.7"},
    {'>', "0,8 6,4.2 0,0.4"},
    {'?', "@2.8,7.4,2.8,2.6,160,-90 2.8,3; 2.8,0"},
    {'@', "@4.4,4.6,1.9,2.1,0,360; 6.3,6.6 6.3,3.2 @7.4,3.2,1.1,1.1,180,360 @4.5,4.5,4,5.2,5,290"},
    {'A', "0,0 3.4,10 6.8,0; 1.2,3.4 5.6,3.4"},
    {'B', "0,0 0,10 3.3,10 @3.3,7.5,2.5,2.5,90,-90 0,5; 3.6,5 @3.6,2.5,2.6,2.5,90,-90 0,0"},
    {'C', "@3.2,6.8,3.2,3.2,32,180 @3.2,3.2,3.2,3.2,180,328"},
    {'D', "0,0 0,10 3,10 @3,7,3,3,90,0 @3,3,3,3,0,-90 z"},
    {'E', "5.8,10 0,10 0,0 5.8,0; 0,5 4.6,5"},
    {'F', "5.8,10 0,10 0,0; 0,5 4.6,5"},
    {'G', "@3.2,6.8,3.2,3.2,32,180 @3.2,3.2,3.2,3.2,180,360 6.4,4.8 3.8,4.8"},
    {'H', "0,0 0,10; 6,0 6,10; 0,5 6,5"},
    {'I', "0,0 0,10"},
    {'J', "4.6,10 4.6,2.8 @2.3,2.8,2.3,2.8,360,180"},
    {'K', "0,0 0,10; 5.8,10 0,3.6; 1.9,5.5 6,0"},
    {'L', "0,10 0,0 5.4,0"},
    {'M', "0,0 0,10 3.8,2.6 7.6,10 7.6,0"},
    {'N', "0,0 0,10 6.2,0 6.2,10"},
    {'O', "@3.3,6.7,3.3,3.3,0,180 @3.3,3.3,3.3,3.3,180,360 z"},
    {'P', "0,0 0,10 3.2,10 @3.2,7.4,2.8,2.6,90,-90 0,4.8"},
    {'Q', "@3.3,6.7,3.3,3.3,0,180 @3.3,3.3,3.3,3.3,180,360 z; 4.2,2.1 6.8,-0.6"},
    {'R', "0,0 0,10 3.2,10 @3.2,7.4,2.8,2.6,90,-90 0,4.8; 3,4.8 6,0"},
    {'S', "@3,7.5,2.9,2.5,25,270 @3,2.5,3,2.5,90,-155"},
    {'T', "0,10 6.4,10; 3.2,10 3.2,0"},
    {'U', "0,10 0,3.2 @3.1,3.2,3.1,3.2,180,360 6.2,10"},
    {'V', "0,10 3.3,0 6.6,10"},
    {'W', "0,10 2.3,0 4.6,8.4 6.9,0 9.2,10"},
    {'X', "0,0 6.2,10; 0,10 6.2,0"},
    {'Y', "0,10 3.2,5 6.4,10; 3.2,5 3.2,0"},
    {'Z', "0.2,10 6,10 0,0 6.2,0"},
    {'[', "2.6,11 0,11 0,-2 2.6,-2"},
    {'\\', "0,11 5,-1"},
    {']', "0,11 2.6,11 2.6,-2 0,-2"},
    {'^', "0,6 2.6,10 5.2,6"},
    {'_', "0,-2.2 6.4,-2.2"},
    {'`', "0,10.4 1.6,8.4"},
    {'a', "@3,3.5,3,3.5,0,360; 6,7 6,0"},
    {'b', "0,10 0,0; @3,3.5,3,3.5,0,360"},
    {'c', "@3,3.5,3,3.5,42,318"},
    {'d', "6,10 6,0; @3,3.5,3,3.5,0,360"},
    {'e', "0.1,3.5 6,3.5 @3,3.5,3,3.5,0,320"},
    {'f', "4.6,9.6 @3.2,8,1.7,2,55,180 1.5,0; 0,7 4,7"},
    {'g', "@3,3.5,3,3.5,0,360; 6,7 6,-0.6 @3,-0.6,3,2.4,0,-160"},
    {'h', "0,10 0,0; 0,4 @3,4,3,3,180,0 6,0"},
    {'i', "0,7 0,0; 0,9.6"},
    {'j', "2,7 2,-1 @0.2,-1,1.8,2,0,-120; 2,9.6"},
    {'k', "0,10 0,0; 5.2,7 0,2.4; 1.7,4 5.6,0"},
    {'l', "0,10 0,0"},
    {'m', "0,7 0,0; 0,4.4 @2.3,4.4,2.3,2.6,180,0 4.6,0; 4.6,4.4 @6.9,4.4,2.3,2.6,180,0 9.2,0"},
    {'n', "0,7 0,0; 0,4 @3,4,3,3,180,0 6,0"},
    {'o', "@3.1,3.5,3.1,3.5,0,360"},
    {'p', "0,7 0,-3; @3,3.5,3,3.5,0,360"},
    {'q', "6,7 6,-3; @3,3.5,3,3.5,0,360"},
    {'r', "0,7 0,0; 0,3.4 @3.6,3.4,3.6,3.6,180,78"},
    {'s', "@2.8,5.25,2.6,1.75,25,270 @2.8,1.75,2.8,1.75,90,-155"},
    {'t', "1.7,9.6 1.7,1.9 @3.8,1.9,2.1,1.9,180,280; 0,7 4.2,7"},
    {'u', "0,7 0,3 @3,3,3,3,180,360; 6,7 6,0"},
    {'v', "0,7 3,0 6,7"},
    {'w', "0,7 2.2,0 4.4,5.6 6.6,0 8.8,7"},
    {'x', "0,0 5.8,7; 0,7 5.8,0"},
    {'y', "0,7 3.1,0; 6.2,7 1.8,-3"},
    {'z', "0.2,7 5.8,7 0,0 6,0"},
    {'{', "3,11 @3,9.6,1.4,1.4,90,180 1.6,6 @0.2,6,1.4,1.4,0,-90 @0.2,3,1.4,1.4,90,0 1.6,-0.6 @3,-0.6,1.4,1.4,180,270"},
    {'|', "0,11 0,-2"},
    {'}',
     "0.2,11 @0.2,9.6,1.4,1.4,90,0 1.6,6 @3,6,1.4,1.4,180,270 @3,3,1.4,1.4,90,180 1.6,-0.6 @0.2,-0.6,1.4,1.4,0,-90"},
    {'~', "0,4.2 @1.6,4.2,1.6,1.1,180,0 @4.8,4.2,1.6,1.1,180,360"},
};

std::vector<float> parseNumbers(const std::string& token)
{
    std::vector<float> values;
    std::string item;
    std::stringstream ss(token);
    while (std::getline(ss, item, ','))
        values.push_back(std::strtof(item.c_str(), nullptr));
    return values;
}

Glyph parseGlyph(const char* source)
{
    Glyph glyph;
    std::string all(source);
    std::stringstream strokes(all);
    std::string strokeText;
    while (std::getline(strokes, strokeText, ';')) {
        std::vector<Vec2> points;
        std::stringstream tokens(strokeText);
        std::string token;
        while (tokens >> token) {
            if (token == "z") {
                if (!points.empty())
                    points.push_back(points.front());
            } else if (token[0] == '@') {
                std::vector<float> v = parseNumbers(token.substr(1));
                if (v.size() != 6)
                    continue;
                const float kDegree = 3.14159265358979f / 180.0f;
                int steps = std::max(2, static_cast<int>(std::ceil(std::fabs(v[5] - v[4]) / 6.0f)));
                for (int i = 0; i <= steps; ++i) {
                    float a = (v[4] + (v[5] - v[4]) * i / steps) * kDegree;
                    points.push_back({v[0] + v[2] * std::cos(a), v[1] + v[3] * std::sin(a)});
                }
            } else {
                std::vector<float> v = parseNumbers(token);
                if (v.size() == 2)
                    points.push_back({v[0], v[1]});
            }
        }
        if (!points.empty())
            glyph.strokes.push_back(points);
    }
    bool first = true;
    for (const auto& stroke : glyph.strokes)
        for (const Vec2& p : stroke) {
            glyph.left = first ? p.x : std::min(glyph.left, p.x);
            glyph.right = first ? p.x : std::max(glyph.right, p.x);
            first = false;
        }
    return glyph;
}

struct GlyphTable {
    std::array<Glyph, 128> glyphs;
    std::array<bool, 128> present{};
    GlyphTable()
    {
        for (const GlyphSource& s : kGlyphSources) {
            auto i = static_cast<unsigned char>(s.ch);
            glyphs[i] = parseGlyph(s.strokes);
            present[i] = true;
        }
    }
};

const GlyphTable& table()
{
    static const GlyphTable t;
    return t;
}

struct PlacedSegment {
    Vec2 a;
    Vec2 b;
};

// Lays a line out in pixels: origin at the pen start on the baseline, y down.
std::vector<PlacedSegment> layout(const std::string& text, const TextStyle& style, float originX, float baseline,
                                  float* width)
{
    const float scale = style.capHeight / kFontCapHeight;
    std::vector<PlacedSegment> segments;
    float pen = 0.0f;
    bool any = false;
    for (char ch : text) {
        const Glyph* g = findGlyph(ch);
        if (!g) {
            pen += kFontSpaceWidth;
            continue;
        }
        if (any)
            pen += style.tracking;
        for (const auto& stroke : g->strokes) {
            auto place = [&](Vec2 p) { return Vec2{originX + (pen + p.x - g->left) * scale, baseline - p.y * scale}; };
            if (stroke.size() == 1)
                segments.push_back({place(stroke[0]), place(stroke[0])});
            for (std::size_t i = 1; i < stroke.size(); ++i)
                segments.push_back({place(stroke[i - 1]), place(stroke[i])});
        }
        pen += g->right - g->left;
        any = true;
    }
    if (width)
        *width = pen * scale;
    return segments;
}

} // namespace

const Glyph* findGlyph(char c)
{
    auto i = static_cast<unsigned char>(c);
    if (i >= 128 || !table().present[i])
        return nullptr;
    return &table().glyphs[i];
}

bool glyphExtents(char c, float* left, float* right)
{
    const Glyph* g = findGlyph(c);
    if (!g)
        return false;
    *left = g->left;
    *right = g->right;
    return true;
}

float measureText(const std::string& text, const TextStyle& style)
{
    float width = 0.0f;
    layout(text, style, 0.0f, 0.0f, &width);
    // The ink reaches half a stroke beyond the centre lines on both sides.
    return width + 2.0f * style.weight * style.capHeight / kFontCapHeight;
}

float drawText(Canvas& c, const std::string& text, float x, float baseline, const TextStyle& style)
{
    const float scale = style.capHeight / kFontCapHeight;
    const float radius = style.weight * scale;
    const float total = measureText(text, style);
    float left = x;
    if (style.align == TextStyle::Align::Centre)
        left = x - total * 0.5f;
    else if (style.align == TextStyle::Align::Right)
        left = x - total;
    float unused = 0.0f;
    std::vector<PlacedSegment> segments = layout(text, style, left + radius, baseline, &unused);
    if (segments.empty())
        return total;

    // Distance to the nearest stroke centre line, and the direction away from
    // it, over the area the effects can reach.
    const float reach = radius + style.outline + style.shadowBlur + 2.0f;
    float minX = 1e9f, minY = 1e9f, maxX = -1e9f, maxY = -1e9f;
    for (const auto& s : segments) {
        minX = std::min({minX, s.a.x, s.b.x});
        maxX = std::max({maxX, s.a.x, s.b.x});
        minY = std::min({minY, s.a.y, s.b.y});
        maxY = std::max({maxY, s.a.y, s.b.y});
    }
    const float shadowX = std::fabs(style.shadowOffset.x), shadowY = std::fabs(style.shadowOffset.y);
    const int x0 = static_cast<int>(std::floor(minX - reach - shadowX)) - 1;
    const int y0 = static_cast<int>(std::floor(minY - reach - shadowY)) - 1;
    const int x1 = static_cast<int>(std::ceil(maxX + reach + shadowX)) + 1;
    const int y1 = static_cast<int>(std::ceil(maxY + reach + shadowY)) + 1;
    const int w = x1 - x0 + 1, h = y1 - y0 + 1;
    std::vector<float> dist(static_cast<std::size_t>(w) * h, 1e6f);
    std::vector<Vec2> away(static_cast<std::size_t>(w) * h);
    for (const auto& s : segments) {
        int sx0 = std::max(x0, static_cast<int>(std::floor(std::min(s.a.x, s.b.x) - reach)));
        int sx1 = std::min(x1, static_cast<int>(std::ceil(std::max(s.a.x, s.b.x) + reach)));
        int sy0 = std::max(y0, static_cast<int>(std::floor(std::min(s.a.y, s.b.y) - reach)));
        int sy1 = std::min(y1, static_cast<int>(std::ceil(std::max(s.a.y, s.b.y) + reach)));
        for (int py = sy0; py <= sy1; ++py)
            for (int px = sx0; px <= sx1; ++px) {
                Vec2 p{px + 0.5f, py + 0.5f};
                Vec2 q;
                float d = segmentDistance(p, s.a, s.b, &q);
                std::size_t i = static_cast<std::size_t>(py - y0) * w + (px - x0);
                if (d < dist[i]) {
                    dist[i] = d;
                    away[i] = d > 1e-4f ? (p - q) * (1.0f / d) : Vec2{0.0f, 0.0f};
                }
            }
    }
    auto distAt = [&](float fx, float fy) {
        // Bilinear lookup for the offset shadow.
        fx -= x0 + 0.5f;
        fy -= y0 + 0.5f;
        int ix = static_cast<int>(std::floor(fx));
        int iy = static_cast<int>(std::floor(fy));
        float tx = fx - ix, ty = fy - iy;
        auto at = [&](int xx, int yy) {
            if (xx < 0 || yy < 0 || xx >= w || yy >= h)
                return 1e6f;
            return dist[static_cast<std::size_t>(yy) * w + xx];
        };
        return mixf(mixf(at(ix, iy), at(ix + 1, iy), tx), mixf(at(ix, iy + 1), at(ix + 1, iy + 1), tx), ty);
    };

    const Vec2 light{-0.55f, -0.835f};
    const float capTop = baseline - style.capHeight;
    for (int py = y0; py <= y1; ++py)
        for (int px = x0; px <= x1; ++px) {
            if (!c.inside(px, py))
                continue;
            std::size_t i = static_cast<std::size_t>(py - y0) * w + (px - x0);
            float d = dist[i];
            if (style.shadowAlpha > 0.0f) {
                float ds = distAt(px + 0.5f - style.shadowOffset.x, py + 0.5f - style.shadowOffset.y);
                float edge = radius + style.outline;
                float a = style.shadowBlur > 0.0f
                              ? 1.0f - smoothstep(edge - style.shadowBlur, edge + style.shadowBlur, ds)
                              : clamp01(edge - ds + 0.5f);
                c.blend(px, py, {0.0f, 0.0f, 0.0f}, a * style.shadowAlpha);
            }
            if (style.outline > 0.0f)
                c.blend(px, py, style.outlineColour, clamp01(radius + style.outline - d + 0.5f));
            float cover = clamp01(radius - d + 0.5f);
            if (cover <= 0.0f)
                continue;
            float t = clamp01((py + 0.5f - capTop) / style.capHeight);
            Rgb fill = mix(style.fillTop, style.fillBottom, t);
            if (style.bevel > 0.0f) {
                float depthInside = radius - d;
                float onChamfer = clamp01(style.bevel - depthInside + 0.5f);
                float facing = away[i].x * light.x + away[i].y * light.y;
                fill = fill * (1.0f + 0.42f * onChamfer * facing);
            }
            if (style.grain > 0.0f) {
                float n =
                    valueNoise(px * 0.22f, py * 0.22f, 4242u) * 0.6f + valueNoise(px * 0.05f, py * 0.05f, 4243u) * 0.4f;
                fill = fill * (1.0f + style.grain * (n - 0.5f));
            }
            c.blend(px, py, fill, cover);
        }
    return total;
}

void drawGlyphCoverage(Canvas& c, char ch, float originX, float baseline, float capHeight, float weight)
{
    TextStyle style;
    style.capHeight = capHeight;
    style.weight = weight;
    const float radius = weight * capHeight / kFontCapHeight;
    float unused = 0.0f;
    std::string text(1, ch);
    std::vector<PlacedSegment> segments = layout(text, style, originX, baseline, &unused);
    if (segments.empty())
        return;
    float minX = 1e9f, minY = 1e9f, maxX = -1e9f, maxY = -1e9f;
    for (const auto& s : segments) {
        minX = std::min({minX, s.a.x, s.b.x});
        maxX = std::max({maxX, s.a.x, s.b.x});
        minY = std::min({minY, s.a.y, s.b.y});
        maxY = std::max({maxY, s.a.y, s.b.y});
    }
    const int x0 = std::max(0, static_cast<int>(std::floor(minX - radius)) - 1);
    const int y0 = std::max(0, static_cast<int>(std::floor(minY - radius)) - 1);
    const int x1 = std::min(c.width() - 1, static_cast<int>(std::ceil(maxX + radius)) + 1);
    const int y1 = std::min(c.height() - 1, static_cast<int>(std::ceil(maxY + radius)) + 1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float d = 1e6f;
            for (const auto& s : segments)
                d = std::min(d, segmentDistance({x + 0.5f, y + 0.5f}, s.a, s.b));
            float cover = clamp01(radius - d + 0.5f);
            if (cover > 0.0f)
                c.alpha(x, y) = std::max(c.alpha(x, y), cover);
        }
}

} // namespace makeart
