#include "Art.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace makeart {

namespace {

enum class Screen { Welcome, GameOver, Win, Pause, Settings };

struct Mood {
    Rgb skyTop, skyMid, skyHorizon, cloud, hills;
    float cloudAmount;
    float rockLight; // overall exposure of the quarry walls
    Rgb rockTint;    // colour cast of the light
    bool water;      // the pit floor is flooded
};

Mood moodFor(Screen screen)
{
    switch (screen) {
    case Screen::GameOver:
        return {hex(0x0d0a14), hex(0x2a1622), hex(0x7a3124), hex(0x4a2a30), hex(0x2a1c22),
                0.55f,         0.62f,         hex(0xffc2a8), true};
    case Screen::Win:
        return {hex(0x2d5c94), hex(0x7fa6c8), hex(0xffd890), hex(0xfff0d8), hex(0x7a8296),
                0.45f,         1.08f,         hex(0xfff0d0), false};
    case Screen::Welcome:
    default:
        return {hex(0x1d2b44), hex(0x5d6a82), hex(0xe9a964), hex(0xf3d2b0), hex(0x5a5f70),
                0.6f,          0.95f,         hex(0xffe6c8), false};
    }
}

// Sandstone, granite, limestone and shale: the strata of the quarry walls.
const Rgb kStrata[] = {hex(0xc9a877), hex(0xb08656), hex(0x8d857a), hex(0xa8714c),
                       hex(0xd9c49c), hex(0x7f6b59), hex(0xbf9a6a), hex(0x9b9184)};

// The quarry as seen from its rim: terraces cut into the far wall, each an
// arc of an ellipse around the pit, over a floor of gravel or flood water.
class Quarry {
public:
    Quarry(int width, int height, const Mood& mood) : w_(width), h_(height), mood_(mood)
    {
        s_ = h_ / 720.0f;
        cx_ = w_ * 0.5f;
        rimY_ = 0.36f * h_;
        floorY_ = 0.82f * h_;
        waterY_ = mood_.water ? 0.63f * h_ : 1e9f;
        for (int k = 0; k <= kTerraces; ++k) {
            float f = static_cast<float>(k) / kTerraces;
            top_[k] = mixf(rimY_, floorY_, f);
            a_[k] = w_ * mixf(1.05f, 0.62f, f);
            b_[k] = h_ * mixf(0.30f, 0.40f, f);
        }
        columns_.resize(static_cast<std::size_t>(w_));
        for (int x = 0; x < w_; ++x) {
            Column& col = columns_[static_cast<std::size_t>(x)];
            float fx = x + 0.5f;
            float u = fx / h_; // noise follows the height, so both aspect ratios get the same grain
            for (int k = 0; k <= kTerraces; ++k) {
                float dx = (fx - cx_) / a_[k];
                float y = dx * dx < 1.0f ? top_[k] + b_[k] * (1.0f - std::sqrt(1.0f - dx * dx)) : 1e9f;
                // Broken edges: the lips of the benches are not sawn straight.
                y += (fbm(u * 9.0f, k * 3.1f, 900u + k, 3) - 0.5f) * 6.0f * s_;
                if (k > 0)
                    y = std::max(y, col.boundary[k - 1] + 4.0f * s_);
                col.boundary[k] = y;
            }
            col.hills = rimY_ - h_ * (0.035f + 0.075f * fbm(u * 1.6f, 0.5f, 77u, 4));
            col.bushes = rimY_ - s_ * (1.0f + 14.0f * std::max(0.0f, fbm(u * 26.0f, 1.5f, 78u, 3) - 0.45f));
        }
    }

    // Region index at a point: 0 sky, 1 hills, 2 bushes, 10+k terrace k, 20 floor, 30 water.
    int region(int x, float y) const
    {
        if (y >= waterY_)
            return 30;
        const Column& col = columns_[static_cast<std::size_t>(x)];
        if (y < col.hills)
            return 0;
        if (y < col.bushes)
            return 1;
        if (y < col.boundary[0])
            return 2;
        for (int k = 0; k < kTerraces; ++k)
            if (y < col.boundary[k + 1])
                return 10 + k;
        return 20;
    }

    Rgb sample(int x, float y, int region) const
    {
        const Column& col = columns_[static_cast<std::size_t>(x)];
        const float fx = x + 0.5f;
        const float u = fx / h_, v = y / h_;
        if (region == 0)
            return sky(u, v, y / col.hills);
        if (region == 1) {
            float haze = clamp01((y - col.hills) / (rimY_ - col.hills + 1.0f));
            Rgb c = mix(mood_.hills, mix(mood_.hills, mood_.skyHorizon, 0.35f), haze);
            return c * (0.95f + 0.1f * fbm(u * 30.0f, v * 30.0f, 31u, 2));
        }
        if (region == 2)
            return hex(0x2f3822) * (mood_.rockLight * (0.75f + 0.5f * fbm(u * 60.0f, v * 60.0f, 32u, 2)));
        if (region == 20)
            return floor(u, v, y, col);
        if (region == 30)
            return water(x, u, v, y);
        return terrace(region - 10, fx, y, u, v, col);
    }

    float waterY() const { return waterY_; }

private:
    static constexpr int kTerraces = 5;
    struct Column {
        float boundary[kTerraces + 1];
        float hills;
        float bushes;
    };

    Rgb sky(float u, float v, float t) const
    {
        Rgb c = t < 0.6f ? mix(mood_.skyTop, mood_.skyMid, t / 0.6f)
                         : mix(mood_.skyMid, mood_.skyHorizon, (t - 0.6f) / 0.4f);
        // Long thin clouds, stretched along the horizon.
        float n = fbm(u * 2.2f, v * 9.0f, 11u, 4);
        float cloud = smoothstep(0.52f, 0.72f, n) * mood_.cloudAmount * (0.4f + 0.6f * t);
        return mix(c, mood_.cloud, cloud);
    }

    Rgb terrace(int k, float fx, float y, float u, float v, const Column& col) const
    {
        const float top = col.boundary[k];
        const float bottom = col.boundary[k + 1];
        const float t = (y - top) / (bottom - top);
        const float side = clamp01(0.5f + 0.5f * (fx - cx_) / a_[k]) * 2.0f - 1.0f;
        const float bench = k == 0 ? 0.1f : 0.2f;
        Rgb c;
        if (t < bench) {
            float tb = t / bench;
            if (k == 0) {
                // Topsoil under the grass at the rim.
                c = mix(hex(0x3b4428), hex(0x6b5638), tb) * (0.8f + 0.4f * fbm(u * 70.0f, v * 40.0f, 40u, 2));
            } else {
                // A bench: a shelf of pale dust and gravel, in the shade of
                // the face above at its back, catching the light at its lip.
                float n = fbm(u * 60.0f, v * 24.0f, 41u, 2);
                c = hex(0xcdbfa4) * (0.88f + 0.24f * n);
                c = c * mixf(0.62f, 1.08f, smoothstep(0.0f, 0.55f, tb));
            }
        } else {
            float tf = (t - bench) / (1.0f - bench);
            float depth = (k + tf) / kTerraces;
            float strata = depth * 13.0f + (fbm(u * 3.0f, v * 8.0f, 50u, 3) - 0.5f) * 1.6f;
            int band = static_cast<int>(std::floor(strata));
            float frac = strata - band;
            c = kStrata[hash2(band, 7, 51u) % 8];
            c = c * (0.9f + 0.2f * fbm(u * 8.0f, v * 24.0f, 52u + band, 2));
            // Thin dark partings between the beds.
            c = c * (1.0f - 0.2f * (1.0f - smoothstep(0.0f, 0.07f, frac)));
            // Drill traces from the top of the face, some long, some short.
            float pitch = 11.0f * s_;
            float lane = (fx + k * 37.0f * s_) / pitch;
            int laneIndex = static_cast<int>(std::floor(lane));
            float reach = hashUnit(laneIndex, k, 54u);
            if (reach < 0.5f && tf < 0.25f + reach) {
                float m = std::fabs(lane - laneIndex - 0.5f);
                c = c * (1.0f - 0.07f * (1.0f - smoothstep(0.05f, 0.13f, m)));
            }
            // Lit from the sky above, darker down in the corner by the bench.
            c = c * mixf(1.16f, 0.74f, tf) * (1.0f - 0.28f * smoothstep(0.78f, 1.0f, tf));
            // The sawn edge at the top catches the light.
            c = c * (1.0f + 0.22f * (1.0f - smoothstep(0.0f, 0.05f, tf)));
            c = c * (0.97f + 0.06f * valueNoise(u * 160.0f, v * 160.0f, 53u));
        }
        // Sun from the left: the right-hand walls face it. Far walls sit in haze.
        c = c * (1.0f + 0.16f * side);
        float haze = 0.22f * (1.0f - static_cast<float>(k) / kTerraces);
        c = mix(c, mood_.skyHorizon * 0.8f, haze);
        return c * mood_.rockTint * mood_.rockLight;
    }

    Rgb floor(float u, float v, float y, const Column& col) const
    {
        float t = clamp01((y - col.boundary[kTerraces]) / (h_ - floorY_ + 1.0f));
        Rgb c = mix(hex(0xb3a284), hex(0x8a7b64), t) * (0.88f + 0.24f * fbm(u * 50.0f, v * 50.0f, 61u, 3));
        return c * mood_.rockTint * mood_.rockLight;
    }

    // Murky flood water mirroring the walls, broken up by ripples.
    Rgb water(int x, float u, float v, float y) const
    {
        float below = y - waterY_;
        float t = clamp01(below / (h_ - waterY_));
        float wobble = (fbm(u * 4.0f, v * 60.0f, 62u, 3) - 0.5f) * 18.0f * s_ * (0.3f + t);
        int mx = std::min(w_ - 1, std::max(0, static_cast<int>(x + wobble)));
        float my = waterY_ - 1.0f - below * 1.1f;
        Rgb mirrored = my > 0.0f ? sample(mx, my, region(mx, my)) : mood_.skyTop;
        Rgb deep = mix(hex(0x26352c), hex(0x0a110e), t);
        Rgb c = mix(mirrored * 0.55f, deep, 0.45f + 0.4f * t);
        float ripple = std::sin(v * 700.0f + 10.0f * fbm(u * 8.0f, v * 30.0f, 60u, 2));
        c = mix(c, mood_.skyHorizon * 0.7f, smoothstep(0.8f, 1.0f, ripple) * (1.0f - t) * 0.35f);
        // A pale line where the water laps at the wall.
        return mix(c, mood_.skyHorizon * 0.9f, 0.5f * (1.0f - smoothstep(0.0f, 2.5f * s_, below)));
    }

    int w_, h_;
    Mood mood_;
    float s_, cx_, rimY_, floorY_, waterY_;
    float top_[kTerraces + 1], a_[kTerraces + 1], b_[kTerraces + 1];
    std::vector<Column> columns_;
};

void paintQuarry(Canvas& c, const Quarry& q)
{
    constexpr int kSub = 4;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            int regions[kSub];
            bool same = true;
            for (int i = 0; i < kSub; ++i) {
                regions[i] = q.region(x, y + (i + 0.5f) / kSub);
                same = same && regions[i] == regions[0];
            }
            if (same) {
                c.rgb(x, y) = q.sample(x, y + 0.5f, regions[0]);
                continue;
            }
            Rgb sum;
            for (int i = 0; i < kSub; ++i)
                sum = sum + q.sample(x, y + (i + 0.5f) / kSub, regions[i]);
            c.rgb(x, y) = sum * (1.0f / kSub);
        }
}

// Rings spreading on the water where something went in.
void drawSplash(Canvas& c, Vec2 centre, float radius, float s)
{
    for (int ring = 0; ring < 4; ++ring) {
        float rx = radius * (0.25f + 0.25f * ring);
        float ry = rx * 0.16f;
        float alpha = 0.55f * (1.0f - 0.2f * ring);
        int x0 = std::max(0, static_cast<int>(centre.x - rx - 4)),
            x1 = std::min(c.width() - 1, static_cast<int>(centre.x + rx + 4));
        int y0 = std::max(0, static_cast<int>(centre.y - ry - 4)),
            y1 = std::min(c.height() - 1, static_cast<int>(centre.y + ry + 4));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                float dx = (x + 0.5f - centre.x) / rx, dy = (y + 0.5f - centre.y) / ry;
                float r = std::sqrt(dx * dx + dy * dy);
                // Distance to the ellipse, roughly, in pixels along the short axis.
                float d = std::fabs(r - 1.0f) * ry;
                c.blend(x, y, hex(0xc8d0c0), alpha * clamp01(0.9f * s - d + 0.5f));
            }
    }
}

// A cut block in oblique view: front face, top and right side.
void drawBlock(Canvas& c, float x, float y, float w, float h, float depth, Rgb stone, float light)
{
    const float dx = depth * 0.55f, dy = -depth * 0.45f;
    fillPolygon(c, {{x, y}, {x + dx, y + dy}, {x + w + dx, y + dy}, {x + w, y}}, stone * (1.15f * light));
    fillPolygon(c, {{x + w, y}, {x + w + dx, y + dy}, {x + w + dx, y + h + dy}, {x + w, y + h}},
                stone * (0.62f * light));
    fillRect(c, x, y, x + w, y + h, stone * (0.9f * light));
    // Chisel grooves across the front face.
    for (float gx = x + w * 0.12f; gx < x + w * 0.95f; gx += w * 0.11f)
        strokeLine(c, {gx, y + h * 0.12f}, {gx + w * 0.05f, y + h * 0.88f}, std::max(0.6f, h * 0.008f),
                   stone * (0.78f * light), 0.6f);
    strokeLine(c, {x, y}, {x + w, y}, std::max(0.7f, h * 0.012f), stone * (1.35f * light), 0.8f);
}

// Bottom row of three, then two, then one: the stair the player climbs.
// Returns the middle of the top block's upper face.
Vec2 drawBlockStack(Canvas& c, float baseX, float baseY, float unit, float light, std::uint32_t seed)
{
    const float w = unit * 1.6f, h = unit, depth = unit * 0.9f;
    Vec2 top;
    for (int row = 0; row < 3; ++row)
        for (int i = 0; i < 3 - row; ++i) {
            float jitter = (hashUnit(row, i, seed) - 0.5f) * unit * 0.15f;
            float x = baseX + i * (w + unit * 0.04f) + row * w * 0.5f + jitter;
            float y = baseY - (row + 1) * h - row * unit * 0.02f;
            Rgb stone = kStrata[hash2(row, i, seed + 1) % 8];
            drawBlock(c, x, y, w, h, depth, stone, light);
            top = {x + w * 0.5f + depth * 0.27f, y - depth * 0.22f};
        }
    return top;
}

// A guyed derrick: a lattice mast, a boom reaching over the pit, the hoist
// line with a block on the hook. Drawn as a dark silhouette.
void drawCrane(Canvas& c, float footX, float footY, float height, float s, Rgb ink, Vec2 tip, bool hangBlock)
{
    const Vec2 top{footX, footY - height};
    const float rail = 2.2f * s;
    auto lattice = [&](Vec2 a, Vec2 b, float halfWidth, int bays) {
        Vec2 d = b - a;
        float len = std::sqrt(d.x * d.x + d.y * d.y);
        Vec2 n{-d.y / len * halfWidth, d.x / len * halfWidth};
        strokeLine(c, a + n, b + n, rail, ink);
        strokeLine(c, a - n, b - n, rail, ink);
        for (int i = 0; i < bays; ++i) {
            Vec2 p0 = a + d * (static_cast<float>(i) / bays);
            Vec2 p1 = a + d * (static_cast<float>(i + 1) / bays);
            strokeLine(c, p0 + n, p1 - n, rail * 0.55f, ink);
            strokeLine(c, p1 - n, p1 + n, rail * 0.55f, ink);
        }
    };
    lattice({footX, footY}, top, 9.0f * s, static_cast<int>(height / (22.0f * s)));
    Vec2 boomFoot{footX, footY - height * 0.12f};
    Vec2 d = tip - boomFoot;
    int bays = static_cast<int>(std::sqrt(d.x * d.x + d.y * d.y) / (20.0f * s));
    lattice(boomFoot, tip, 6.5f * s, std::max(3, bays));
    // Guy lines and the luffing line.
    strokeLine(c, top, tip, 1.1f * s, ink);
    strokeLine(c, top, {footX + height * 0.9f, footY}, 1.0f * s, ink);
    strokeLine(c, top, {footX + height * 0.35f, footY + height * 0.2f}, 1.0f * s, ink);
    fillRect(c, footX - 16 * s, footY - 6 * s, footX + 16 * s, footY + 4 * s, ink);
    if (hangBlock) {
        Vec2 hook{tip.x, tip.y + height * 0.1f};
        strokeLine(c, tip, hook, 1.2f * s, ink);
        strokeLine(c, hook, {hook.x - 18 * s, hook.y + 14 * s}, 0.9f * s, ink);
        strokeLine(c, hook, {hook.x + 18 * s, hook.y + 14 * s}, 0.9f * s, ink);
        fillRect(c, hook.x - 22 * s, hook.y + 14 * s, hook.x + 22 * s, hook.y + 42 * s, ink);
    }
}

void vignette(Canvas& c, float strength)
{
    const float cx = c.width() * 0.5f, cy = c.height() * 0.5f;
    const float r = std::sqrt(cx * cx + cy * cy);
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            float d = std::sqrt(dx * dx + dy * dy) / r;
            c.rgb(x, y) = c.rgb(x, y) * (1.0f - strength * smoothstep(0.45f, 1.05f, d));
        }
}

// Soft light rays fanning out from a point (the beacon on the win picture).
void addRays(Canvas& c, Vec2 from, float reach, Rgb colour, int rays)
{
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            float dx = x + 0.5f - from.x, dy = y + 0.5f - from.y;
            float d = std::sqrt(dx * dx + dy * dy);
            if (d > reach || d < 1.0f)
                continue;
            float a = std::atan2(dy, dx);
            float ray = 0.5f + 0.5f * std::cos(a * rays);
            ray = ray * ray * ray;
            float fall = (1.0f - d / reach);
            c.add(x, y, colour * (ray * fall * fall * 0.5f));
        }
}

// --- text ------------------------------------------------------------------

struct Piece {
    std::string text;
    Rgb colour;
};

float piecesWidth(const std::vector<Piece>& pieces, const TextStyle& style)
{
    const float scale = style.capHeight / kFontCapHeight;
    float width = 0.0f;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        width += measureText(pieces[i].text, style);
        if (i + 1 < pieces.size())
            width += (style.tracking - 2.0f * style.weight) * scale;
    }
    return width;
}

// One line in several colours, centred on `centreX`.
void drawPieces(Canvas& c, const std::vector<Piece>& pieces, float centreX, float baseline, TextStyle style)
{
    const float scale = style.capHeight / kFontCapHeight;
    float pen = centreX - piecesWidth(pieces, style) * 0.5f;
    style.align = TextStyle::Align::Left;
    for (const Piece& p : pieces) {
        style.fillTop = p.colour;
        style.fillBottom = p.colour * 0.86f;
        pen += drawText(c, p.text, pen, baseline, style) + (style.tracking - 2.0f * style.weight) * scale;
    }
}

TextStyle titleStyle(float cap, Rgb top, Rgb bottom)
{
    TextStyle t;
    t.capHeight = cap;
    t.weight = 1.05f;
    t.tracking = 2.6f;
    t.fillTop = top;
    t.fillBottom = bottom;
    t.outline = cap * 0.045f;
    t.outlineColour = hex(0x1a120c);
    t.shadowOffset = {cap * 0.04f, cap * 0.06f};
    t.shadowBlur = cap * 0.07f;
    t.shadowAlpha = 0.7f;
    t.bevel = cap * 0.05f;
    t.grain = 0.12f;
    t.align = TextStyle::Align::Centre;
    return t;
}

TextStyle bodyStyle(float cap)
{
    TextStyle t;
    t.capHeight = cap;
    t.weight = 0.8f;
    t.tracking = 2.8f;
    t.fillTop = hex(0xf4ece0);
    t.fillBottom = hex(0xe0d4c2);
    t.outline = std::max(1.2f, cap * 0.1f);
    t.outlineColour = hex(0x120d09);
    t.shadowOffset = {cap * 0.06f, cap * 0.1f};
    t.shadowBlur = cap * 0.1f;
    t.shadowAlpha = 0.6f;
    return t;
}

// Scales a cap height down until the line fits `maxWidth`.
float fitCap(const std::string& text, TextStyle style, float cap, float maxWidth)
{
    style.capHeight = cap;
    float w = measureText(text, style) + 2.0f * style.outline;
    return w > maxWidth ? cap * maxWidth / w : cap;
}

const Rgb kAmber = hex(0xffc45c);
const Rgb kWhite = hex(0xf6efe4);
const Rgb kPanel = hex(0x0d0a08);
const Rgb kBrass = hex(0xc9a064);

void drawKeycap(Canvas& c, const std::string& label, float x, float baseline, float cap, float* right)
{
    TextStyle t;
    t.capHeight = cap;
    t.weight = 0.85f;
    t.tracking = 2.6f;
    t.fillTop = kAmber;
    t.fillBottom = kAmber * 0.9f;
    float w = measureText(label, t);
    float padX = cap * 0.55f, padY = cap * 0.45f;
    float x0 = x, x1 = x + w + 2.0f * padX;
    float y0 = baseline - cap - padY, y1 = baseline + padY;
    fillRoundedRect(c, x0, y0 + cap * 0.12f, x1, y1 + cap * 0.12f, cap * 0.35f, hex(0x000000), 0.5f);
    fillRoundedRect(c, x0, y0, x1, y1, cap * 0.35f, hex(0x2a211a), 0.95f);
    strokeRoundedRect(c, x0, y0, x1, y1, cap * 0.35f, std::max(0.7f, cap * 0.06f), kBrass, 0.9f);
    drawText(c, label, x0 + padX, baseline, t);
    *right = x1;
}

struct KeyRow {
    std::vector<std::string> keys; // one keycap each
    std::string text;
};

void drawKeyRows(Canvas& c, const std::vector<KeyRow>& rows, float x, float firstBaseline, float rowHeight, float cap,
                 float textColumn)
{
    TextStyle body = bodyStyle(cap);
    body.outline = 0.0f;
    body.shadowAlpha = 0.0f;
    float baseline = firstBaseline;
    for (const KeyRow& row : rows) {
        float pen = x;
        for (const std::string& key : row.keys) {
            float right = pen;
            drawKeycap(c, key, pen, baseline, cap * 0.9f, &right);
            pen = right + cap * 0.35f;
        }
        drawText(c, row.text, std::max(pen + cap * 0.3f, x + textColumn), baseline, body);
        baseline += rowHeight;
    }
}

void drawPanel(Canvas& c, float x0, float y0, float x1, float y1, float s)
{
    fillRoundedRect(c, x0 + 6 * s, y0 + 8 * s, x1 + 6 * s, y1 + 8 * s, 16 * s, hex(0x000000), 0.35f);
    fillRoundedRect(c, x0, y0, x1, y1, 16 * s, kPanel, 0.72f);
    strokeRoundedRect(c, x0, y0, x1, y1, 16 * s, 1.4f * s, kBrass, 0.85f);
    strokeRoundedRect(c, x0 + 5 * s, y0 + 5 * s, x1 - 5 * s, y1 - 5 * s, 12 * s, 0.6f * s, kBrass, 0.35f);
}

void drawHeading(Canvas& c, const std::string& text, float x, float baseline, float cap, float lineTo)
{
    TextStyle t = bodyStyle(cap);
    t.fillTop = kAmber;
    t.fillBottom = hex(0xe89a3c);
    t.weight = 0.95f;
    t.tracking = 3.4f;
    t.outline = 0.0f;
    t.shadowAlpha = 0.0f;
    float w = drawText(c, text, x, baseline, t);
    strokeLine(c, {x + w + cap * 0.6f, baseline - cap * 0.45f}, {lineTo, baseline - cap * 0.45f},
               std::max(0.5f, cap * 0.05f), kBrass, 0.6f);
}

// --- the three pictures ----------------------------------------------------

// A lamp on a short mast, burning: the goal the player climbs to.
void drawBeacon(Canvas& c, Vec2 foot, float s)
{
    const Vec2 lamp{foot.x, foot.y - 46.0f * s};
    addRays(c, lamp, 520.0f * s, hex(0xffc060) * 0.5f, 16);
    addGlow(c, lamp, 330.0f * s, hex(0xffa040) * 0.45f, 2.0f);
    strokeLine(c, foot, {lamp.x, lamp.y + 8.0f * s}, 3.0f * s, hex(0x2a1d14));
    fillRect(c, foot.x - 12.0f * s, foot.y - 5.0f * s, foot.x + 12.0f * s, foot.y + 2.0f * s, hex(0x2a1d14));
    addGlow(c, lamp, 70.0f * s, hex(0xfff0c0), 1.5f);
    addGlow(c, lamp, 18.0f * s, hex(0xffffff) * 1.5f, 0.7f);
}

Canvas backdrop(int width, int height, Screen screen)
{
    const Mood mood = moodFor(screen);
    Canvas c(width, height);
    Quarry quarry(width, height, mood);
    paintQuarry(c, quarry);
    const float s = height / 720.0f;

    if (screen == Screen::GameOver)
        drawSplash(c, {width * 0.5f, quarry.waterY() + 0.1f * height}, 0.2f * height, s);

    const Rgb ink = screen == Screen::GameOver ? hex(0x07060a) : hex(0x17110d);
    const float light = screen == Screen::GameOver ? 0.55f : (screen == Screen::Win ? 1.05f : 0.9f);
    // Foreground: a stair of cut blocks at the left, the derrick at the right.
    Vec2 stackTop = drawBlockStack(c, -0.03f * height, height + 6.0f * s, 60.0f * s, light, 71u);
    const float craneX = width - 0.085f * height;
    drawCrane(c, craneX, height + 4.0f * s, height * 0.74f, s, ink, {width - 0.24f * height, 0.3f * height},
              screen != Screen::GameOver);
    if (screen == Screen::Win)
        drawBeacon(c, stackTop, s);
    vignette(c, screen == Screen::GameOver ? 0.55f : 0.4f);
    return c;
}

// Rows in the 720-line layout; everything scales with the picture's height.
constexpr float kWelcomePanelTop = 318.0f, kWelcomePanelBottom = 652.0f;
constexpr float kEndingPanelTop = 326.0f, kEndingPanelBottom = 466.0f;
constexpr float kEndingPressCap = 32.0f, kEndingQuitCap = 23.0f;

std::vector<Piece> endingPressLine(Screen screen)
{
    if (screen == Screen::Pause)
        return {{"Press ", kWhite}, {"P", kAmber}, {" or click to play on", kWhite}};
    if (screen == Screen::Win)
        return {{"Press ", kWhite}, {"ENTER", kAmber}, {" to go on", kWhite}};
    return {{"Press ", kWhite}, {"R", kAmber}, {" to try again", kWhite}};
}

TextStyle pressStyle(float cap, float s)
{
    TextStyle t = bodyStyle(cap);
    t.weight = 0.95f;
    t.outline = 3.0f * s;
    return t;
}

float welcomePanelWidth(float width, float s) { return std::min(width - 60.0f * s, 960.0f * s); }

float endingPanelWidth(Screen screen, float width, float s)
{
    float text = piecesWidth(endingPressLine(screen), pressStyle(kEndingPressCap * s, s));
    return std::min(width - 40.0f * s, text + 110.0f * s);
}

void drawWelcome(Canvas& c)
{
    const float W = c.width(), H = c.height(), s = H / 720.0f, cx = W * 0.5f;
    TextStyle title = titleStyle(0, hex(0xffe2a6), hex(0xc8843e));
    float cap = fitCap("QUARRYSTACK", title, 104.0f * s, W * 0.86f);
    title = titleStyle(cap, hex(0xffe2a6), hex(0xc8843e));
    drawText(c, "QUARRYSTACK", cx, 48.0f * s + cap, title);

    TextStyle tag = bodyStyle(19.0f * s);
    tag.align = TextStyle::Align::Centre;
    tag.tracking = 4.2f;
    tag.fillTop = hex(0xf2e3c8);
    tag.fillBottom = hex(0xd8c3a0);
    drawText(c, "PUSH THE BLOCKS.  CLIMB OUT OF THE QUARRY.", cx, 48.0f * s + cap + 52.0f * s, tag);

    drawPieces(c, {{"Press ", kWhite}, {"ENTER", kAmber}, {" to play", kWhite}}, cx, 284.0f * s,
               pressStyle(34.0f * s, s));

    // How to play, and the keys, on the dark panel.
    const float panelW = welcomePanelWidth(W, s);
    const float px0 = cx - panelW * 0.5f, px1 = cx + panelW * 0.5f;
    const float py0 = kWelcomePanelTop * s;
    const float cap16 = 17.0f * s;
    const float row = 33.0f * s;
    const float col0 = px0 + 34.0f * s;
    const float col1 = cx + 18.0f * s;
    // The game writes the levels into the left column.
    drawHeading(c, "LEVELS", col0, py0 + 44.0f * s, 19.0f * s, cx - 22.0f * s);
    drawHeading(c, "KEYS", col1, py0 + 44.0f * s, 19.0f * s, px1 - 34.0f * s);
    drawKeyRows(c,
                {{{"W", "A", "S", "D"}, "move (or the arrows)"},
                 {{"MOUSE"}, "look around"},
                 {{"SPACE"}, "jump"},
                 {{"P"}, "pause"},
                 {{"R"}, "reset the level"},
                 {{"F9"}, "crosshair and hint"},
                 {{"F11"}, "full screen"},
                 {{"F3-F8"}, "effects (and F10, F12)"}},
                col1, py0 + 88.0f * s, row, cap16, 150.0f * s);

    drawPieces(
        c, {{"Press ", kWhite}, {"TAB", kAmber}, {" for settings, ", kWhite}, {"ESC", kAmber}, {" to quit", kWhite}},
        cx, 694.0f * s, bodyStyle(22.0f * s));
}

void drawEnding(Canvas& c, Screen screen)
{
    const float W = c.width(), H = c.height(), s = H / 720.0f, cx = W * 0.5f;
    // The win's and the pause's words in the welcome's gold, the fall's in red.
    const bool won = screen == Screen::Win, fell = screen == Screen::GameOver;
    const std::string headline = won ? "YOU MADE IT OUT" : (fell ? "YOU FELL" : "PAUSED");
    const Rgb top = fell ? hex(0xff9a6a) : hex(0xfff0b8);
    const Rgb bottom = fell ? hex(0xa82c1c) : hex(0xe39a3a);
    float cap = fitCap(headline, titleStyle(0, top, bottom), won ? 100.0f * s : 130.0f * s, W * 0.88f);
    const float titleBase = 84.0f * s + cap;
    drawText(c, headline, cx, titleBase, titleStyle(cap, top, bottom));

    TextStyle sub = bodyStyle(25.0f * s);
    sub.align = TextStyle::Align::Centre;
    sub.fillTop = fell ? hex(0xf0d8cc) : hex(0xfff3dc);
    sub.fillBottom = sub.fillTop * 0.88f;
    // The game writes the level and the run's time under the win's headline.
    if (!won) {
        const std::string line = fell ? "Down into the water." : "The quarry waits where you left it.";
        sub.capHeight = fitCap(line, sub, sub.capHeight, W * 0.9f);
        drawText(c, line, cx, titleBase + 60.0f * s, sub);
    }

    const float py0 = kEndingPanelTop * s;
    drawPieces(c, endingPressLine(screen), cx, py0 + 60.0f * s, pressStyle(kEndingPressCap * s, s));
    if (won)
        drawPieces(
            c,
            {{"Press ", kWhite}, {"R", kAmber}, {" for the levels, ", kWhite}, {"ESC", kAmber}, {" to quit", kWhite}},
            cx, py0 + 112.0f * s, bodyStyle(kEndingQuitCap * s));
    else
        drawPieces(c, {{"Press ", kWhite}, {"ESC", kAmber}, {" to quit", kWhite}}, cx, py0 + 112.0f * s,
                   bodyStyle(kEndingQuitCap * s));
}

// The settings: the game writes a row for each into the panel.
void drawSettings(Canvas& c)
{
    const float W = c.width(), H = c.height(), s = H / 720.0f, cx = W * 0.5f;
    const Rgb top = hex(0xfff0b8), bottom = hex(0xe39a3a);
    const float cap = fitCap("SETTINGS", titleStyle(0, top, bottom), 100.0f * s, W * 0.8f);
    drawText(c, "SETTINGS", cx, 70.0f * s + cap, titleStyle(cap, top, bottom));
    drawPieces(c,
               {{"UP", kAmber},
                {" and ", kWhite},
                {"DOWN", kAmber},
                {" choose, ", kWhite},
                {"LEFT", kAmber},
                {" and ", kWhite},
                {"RIGHT", kAmber},
                {" change", kWhite}},
               cx, 270.0f * s, pressStyle(28.0f * s, s));
    drawPieces(c,
               {{"Press ", kWhite}, {"TAB", kAmber}, {" to go back, ", kWhite}, {"ESC", kAmber}, {" to quit", kWhite}},
               cx, 694.0f * s, bodyStyle(22.0f * s));
}

// Rounds the backdrop to a coarser set of levels: the eye does not miss them
// under the rock texture, and the PNG shrinks by a third.
void coarsen(Canvas& c, float step)
{
    auto q = [step](float v) { return std::floor(v * 255.0f / step + 0.5f) * step / 255.0f; };
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            Rgb& p = c.rgb(x, y);
            p = {q(p.r), q(p.g), q(p.b)};
        }
}

Canvas picture(int width, int height, Screen screen)
{
    Canvas c = backdrop(width, height, screen);
    const float s = height / 720.0f, cx = width * 0.5f;
    if (screen == Screen::Welcome || screen == Screen::Settings) {
        const float panelW = welcomePanelWidth(width, s);
        drawPanel(c, cx - panelW * 0.5f, kWelcomePanelTop * s, cx + panelW * 0.5f, kWelcomePanelBottom * s, s);
    } else {
        const float panelW = endingPanelWidth(screen, width, s);
        drawPanel(c, cx - panelW * 0.5f, kEndingPanelTop * s, cx + panelW * 0.5f, kEndingPanelBottom * s, s);
    }
    coarsen(c, 4.0f);
    if (screen == Screen::Welcome)
        drawWelcome(c);
    else if (screen == Screen::Settings)
        drawSettings(c);
    else
        drawEnding(c, screen);
    coarsen(c, 4.0f);
    return c;
}

} // namespace

bool writeMenuPictures(const std::string& menuDir)
{
    struct Job {
        const char* name;
        Screen screen;
        int width, height;
    };
    const Job jobs[] = {
        {"welcome16_9.png", Screen::Welcome, 1280, 720},   {"gameOver16_9.png", Screen::GameOver, 1280, 720},
        {"win16_9.png", Screen::Win, 1280, 720},           {"welcome4_3.png", Screen::Welcome, 1024, 768},
        {"gameOver4_3.png", Screen::GameOver, 1024, 768},  {"win4_3.png", Screen::Win, 1024, 768},
        {"pause16_9.png", Screen::Pause, 1280, 720},       {"pause4_3.png", Screen::Pause, 1024, 768},
        {"settings16_9.png", Screen::Settings, 1280, 720}, {"settings4_3.png", Screen::Settings, 1024, 768},
    };
    for (const Job& job : jobs) {
        Canvas c = picture(job.width, job.height, job.screen);
        if (!writePng(c, menuDir + "/" + job.name, 32, true))
            return false;
    }
    return true;
}

bool writeSpecimen(const std::string& path)
{
    Canvas c(1400, 740, hex(0x2a2420));
    const char* lines[] = {"ABCDEFGHIJKLM NOPQRSTUVWXYZ", "abcdefghijklm nopqrstuvwxyz",  "0123456789 !\"#$%&'()*+,-./",
                           ":;<=>?@[\\]^_`{|}~",          "Press ENTER to play. Quarry,", "jump; gravel & rock! (F12)"};
    TextStyle t;
    t.capHeight = 52.0f;
    float y = 80.0f;
    for (const char* line : lines) {
        drawText(c, line, 30.0f, y, t);
        y += 100.0f;
    }
    TextStyle small;
    small.capHeight = 14.0f;
    small.weight = 0.8f;
    drawText(c, "Small text: The quick brown fox jumps over the lazy dog. F4 / F5 texture filtering", 30.0f, y, small);
    small.capHeight = 10.0f;
    drawText(c, "Tiny text: The quick brown fox jumps over the lazy dog. F4 / F5 texture filtering", 30.0f, y + 40,
             small);
    return writePng(c, path, 32, true);
}

bool writeFontAtlas(const std::string& path)
{
    // 16 x 16 cells of 32 pixels, character code c in column c % 16 and row
    // c / 16, row 0 at the top of the picture as shown (so at the top of the
    // GL texture, v near 1). White everywhere; alpha carries the coverage, so
    // filtering never pulls in a dark fringe.
    constexpr int kCell = 32;
    constexpr float kCap = 17.0f;
    constexpr float kBaselineFromTop = 24.0f;
    Canvas atlas(16 * kCell, 16 * kCell, {1.0f, 1.0f, 1.0f}, 0.0f);
    for (int code = 33; code < 127; ++code) {
        const char ch = static_cast<char>(code);
        float left = 0.0f, right = 0.0f;
        if (!glyphExtents(ch, &left, &right))
            continue;
        const float scale = kCap / kFontCapHeight;
        const float weight = 0.9f;
        const float inkWidth = (right - left + 2.0f * weight) * scale;
        const float cellX = static_cast<float>((code % 16) * kCell);
        const float cellY = static_cast<float>((code / 16) * kCell);
        drawGlyphCoverage(atlas, ch, cellX + (kCell - inkWidth) * 0.5f + weight * scale, cellY + kBaselineFromTop, kCap,
                          weight);
    }
    return writePng(atlas, path, 32, true);
}

} // namespace makeart
