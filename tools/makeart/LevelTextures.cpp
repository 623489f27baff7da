#include "Art.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace makeart {

namespace {

// Level textures live in texture space: canvas row = FreeImage scanline =
// v, growing upwards on a face, which is also where the tangent frame's
// bitangent points. Everything here wraps at the tile size.
constexpr int kSize = 256;
constexpr float kPi = 3.14159265358979f;

int wrapIndex(int i) { return ((i % kSize) + kSize) % kSize; }

// Periodic fBm over the tile: `cells` lattice cells across, so it tiles.
float tileFbm(float u, float v, int cells, int octaves, std::uint32_t seed, float gain = 0.5f)
{
    return fbm(u * cells / kSize, v * cells / kSize, seed, octaves, cells, gain);
}

float tileNoise(float u, float v, int cells, std::uint32_t seed)
{
    return valueNoise(u * cells / kSize, v * cells / kSize, seed, cells);
}

// Stretched variants: a different number of cells along u and along v.
float tileFbm2(float u, float v, int cellsU, int cellsV, int octaves, std::uint32_t seed)
{
    return fbm(u * cellsU / kSize, v * cellsV / kSize, seed, octaves, cellsU, cellsV, 0.5f);
}

float tileNoise2(float u, float v, int cellsU, int cellsV, std::uint32_t seed)
{
    return valueNoise(u * cellsU / kSize, v * cellsV / kSize, seed, cellsU, cellsV);
}

CellSample tileCells(float u, float v, int cells, std::uint32_t seed, float jitter = 0.8f)
{
    return cellular(u * cells / kSize, v * cells / kSize, seed, cells, jitter);
}

class HeightField {
public:
    HeightField() : h_(static_cast<std::size_t>(kSize) * kSize, 0.0f) {}
    float& at(int x, int y) { return h_[static_cast<std::size_t>(wrapIndex(y)) * kSize + wrapIndex(x)]; }
    float at(int x, int y) const { return h_[static_cast<std::size_t>(wrapIndex(y)) * kSize + wrapIndex(x)]; }

private:
    std::vector<float> h_;
};

// Tangent-space normals from the height field: central differences across
// the wrap, so the seams match; `strength` is the height of 1.0 in pixels.
Canvas normalMap(const HeightField& h, float strength)
{
    Canvas c(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            float dx = (h.at(x + 1, y) - h.at(x - 1, y)) * 0.5f * strength;
            float dy = (h.at(x, y + 1) - h.at(x, y - 1)) * 0.5f * strength;
            float len = std::sqrt(dx * dx + dy * dy + 1.0f);
            c.rgb(x, y) = {(-dx / len) * 0.5f + 0.5f, (-dy / len) * 0.5f + 0.5f, (1.0f / len) * 0.5f + 0.5f};
        }
    return c;
}

// Light the diffuse a little from its own bumps, so the colour map keeps its
// relief where normal mapping is switched off.
void bakeRelief(Canvas& c, const HeightField& h, float strength, float amount)
{
    const float lx = -0.5f, ly = 0.5f, lz = 0.707f;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            float dx = (h.at(x + 1, y) - h.at(x - 1, y)) * 0.5f * strength;
            float dy = (h.at(x, y + 1) - h.at(x, y - 1)) * 0.5f * strength;
            float len = std::sqrt(dx * dx + dy * dy + 1.0f);
            float lambert = (-dx * lx - dy * ly + lz) / len;
            c.rgb(x, y) = c.rgb(x, y) * (1.0f + amount * (lambert - lz));
        }
}

struct Material {
    Canvas diffuse{kSize, kSize};
    HeightField height;
    float strength = 4.0f; // bump height in pixels for the normal map
    float relief = 0.5f;   // how much of the relief is baked into the diffuse
};

void forEachPixel(const std::function<void(int, int)>& fn)
{
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            fn(x, y);
}

// --- the materials ---------------------------------------------------------

// Quarry walls: beds of sandstone and grey rock, harder beds standing
// proud, cut by joints.
Material rock()
{
    Material m;
    m.strength = 10.0f;
    m.relief = 0.55f;
    const Rgb beds[] = {hex(0xb89468), hex(0x9c8c7a), hex(0xc6a97c), hex(0x8f6f52),
                        hex(0xad9f8b), hex(0xa57c56), hex(0xd0b990), hex(0x857a6e)};
    constexpr int kBeds = 8;
    forEachPixel([&](int x, int y) {
        float u = x + 0.5f, v = y + 0.5f;
        float warp = (tileFbm(u, v, 4, 3, 101u) - 0.5f) * 0.9f + (tileFbm(u, v, 16, 2, 102u) - 0.5f) * 0.25f;
        float strata = v * kBeds / kSize + warp;
        int bed = static_cast<int>(std::floor(strata));
        float frac = strata - bed;
        int bedIndex = ((bed % kBeds) + kBeds) % kBeds;
        float hard = hashUnit(bedIndex, 0, 103u);
        // Each bed: a rounded ledge, hard beds more so, eroded at the partings.
        float ledge = smoothstep(0.0f, 0.18f, frac) * (1.0f - smoothstep(0.82f, 1.0f, frac) * 0.6f);
        float rough = tileFbm(u, v, 32, 3, 104u);
        // Joints: cracks across each bed, a few per bed, each bed its own.
        float joint = 1.0f;
        for (int j = 0; j < 3; ++j) {
            if (hashUnit(bedIndex, j, 105u) < 0.25f)
                continue;
            float at = hashUnit(bedIndex, j + 10, 105u) * kSize;
            float wobble = (tileFbm(u, v, 8, 2, 106u + j) - 0.5f) * 14.0f;
            float d = std::fabs(u - at - wobble);
            d = std::min(d, kSize - d);
            joint = std::min(joint, smoothstep(0.6f, 2.6f, d));
        }
        float h = 0.35f + ledge * (0.25f + 0.35f * hard) + 0.22f * (rough - 0.5f);
        h = h * (0.55f + 0.45f * joint);
        m.height.at(x, y) = h;

        Rgb c = beds[bedIndex];
        c = c * (0.85f + 0.3f * tileFbm(u, v, 8, 3, 110u + bedIndex));
        c = c * (1.0f - 0.3f * (1.0f - smoothstep(0.0f, 0.1f, frac)));
        c = mix(c * 0.55f, c, joint);
        c = c * (0.93f + 0.14f * tileNoise(u, v, 128, 107u));
        m.diffuse.rgb(x, y) = c;
    });
    return m;
}

// The quarry floor: packed dust with pebbles of every colour the walls have.
Material gravel()
{
    Material m;
    m.strength = 7.0f;
    m.relief = 0.6f;
    const Rgb stones[] = {hex(0x9a9288), hex(0xb9a88c), hex(0x7f776e), hex(0xa4866a),
                          hex(0xc8bca6), hex(0x8c8070), hex(0x6e6962), hex(0xb49c7c)};
    forEachPixel([&](int x, int y) {
        float u = x + 0.5f, v = y + 0.5f;
        float dust = tileFbm(u, v, 8, 4, 201u);
        float h = 0.12f + 0.2f * dust;
        Rgb c = mix(hex(0x9f917b), hex(0xc4b79f), dust) * (0.95f + 0.1f * tileNoise(u, v, 64, 202u));
        // Two sizes of stones; where one stands higher it is what shows.
        // Many cells stay empty: packed dust with stones pressed into it.
        const int sizes[] = {10, 26};
        const float keep[] = {0.7f, 0.45f};
        for (int i = 0; i < 2; ++i) {
            CellSample cell = tileCells(u, v, sizes[i], 203u + i, 0.9f);
            if (((cell.id >> 16) & 255) / 255.0f > keep[i])
                continue;
            float radius = 0.22f + 0.2f * ((cell.id >> 8) & 255) / 255.0f;
            // Broken stone, not river pebbles: a squashed hexagon turned its
            // own way, with flat facets sloping up to a rounded top.
            float a = (cell.id & 255) / 255.0f * kPi;
            float r = 0.0f;
            for (int k = 0; k < 3; ++k) {
                float dir = a + k * kPi / 3.0f;
                float squash = k == 0 ? 1.5f : 1.0f;
                r = std::max(r, std::fabs(cell.offset.x * std::cos(dir) + cell.offset.y * std::sin(dir)) * squash);
            }
            r /= radius;
            if (r >= 1.0f)
                continue;
            float dome = mixf(1.0f - r, std::sqrt(1.0f - r * r), 0.5f) * (i == 0 ? 0.55f : 0.35f) + 0.22f;
            if (dome > h) {
                h = dome;
                Rgb stone = stones[cell.id % 8];
                // Dust settles on the stones too; a dark rim where they meet the ground.
                stone = mix(stone, hex(0xb8aa92), 0.3f);
                c = stone * (0.78f + 0.22f * smoothstep(0.95f, 0.4f, r));
            }
        }
        m.height.at(x, y) = h;
        m.diffuse.rgb(x, y) = c;
    });
    return m;
}

// A cut block's face: chamfered edges, rows of chisel strokes, a fine speckle.
Material block()
{
    Material m;
    m.strength = 8.0f;
    m.relief = 0.55f;
    forEachPixel([&](int x, int y) {
        float u = x + 0.5f, v = y + 0.5f;
        float edge = std::min(std::min(u, kSize - u), std::min(v, kSize - v));
        float bevel = smoothstep(0.0f, 14.0f, edge);
        // Chisel work: bands of short parallel grooves, their angle changing
        // from patch to patch as the mason turned the tool.
        CellSample patch = tileCells(u, v, 5, 301u, 0.7f);
        float angle = (patch.id % 1000) / 1000.0f * kPi;
        // Whole numbers of grooves across the tile keep the pattern tiling.
        float gu = std::round(36.0f * std::cos(angle)), gv = std::round(36.0f * std::sin(angle));
        float phase = (u * gu + v * gv) / kSize * 2.0f * kPi;
        float stroke = 0.5f + 0.5f * std::sin(phase + 3.0f * tileNoise(u, v, 16, 302u));
        float breakup = smoothstep(0.3f, 0.7f, tileNoise(u, v, 32, 303u));
        float grooves = stroke * stroke * (0.5f + 0.5f * breakup);
        float h = bevel * (0.9f - 0.12f * grooves + 0.06f * (tileFbm(u, v, 32, 3, 304u) - 0.5f));
        m.height.at(x, y) = h;

        Rgb c = mix(hex(0xbfae8e), hex(0xd6c8a8), tileFbm(u, v, 8, 4, 305u));
        float speck = tileNoise(u, v, 128, 306u);
        c = c * (0.92f + 0.16f * speck);
        if (hashUnit(x, y, 307u) > 0.985f)
            c = c * 0.7f; // dark mineral grains
        c = c * (1.0f - 0.1f * grooves);
        // Edges knocked and dusty from handling.
        c = mix(c * 1.08f, c, smoothstep(2.0f, 12.0f, edge));
        m.diffuse.rgb(x, y) = c;
    });
    return m;
}

// Steel chequer plate for the lift: raised bars in alternating diagonals,
// a riveted border, worn bright on the bars and dirty in between.
Material metal()
{
    Material m;
    m.strength = 6.0f;
    m.relief = 0.45f;
    constexpr float kCell = 32.0f;
    forEachPixel([&](int x, int y) {
        // Half a tile over, so the plate's seams and rivets cross the middle
        // and the wrap falls on plain chequer.
        float u = wrapIndex(x + kSize / 2) + 0.5f, v = wrapIndex(y + kSize / 2) + 0.5f;
        int ci = static_cast<int>(u / kCell), cj = static_cast<int>(v / kCell);
        float lx = u - (ci + 0.5f) * kCell, ly = v - (cj + 0.5f) * kCell;
        float dir = ((ci + cj) % 2 == 0) ? 1.0f : -1.0f;
        // A bar: a capsule along one diagonal of the cell.
        float a = (lx + dir * ly) * 0.7071f;
        float b = (lx - dir * ly) * 0.7071f;
        float along = std::max(0.0f, std::fabs(a) - 8.0f);
        float d = std::sqrt(along * along + b * b);
        float bar = std::sqrt(clamp01(1.0f - (d / 4.6f) * (d / 4.6f)));
        // Rivets along the border of the plate, where the bars leave room.
        float edge = std::min(std::min(u, kSize - u), std::min(v, kSize - v));
        auto head = [](float dx, float dy) {
            float r = std::sqrt(dx * dx + dy * dy) / 4.0f;
            return r < 1.0f ? std::sqrt(1.0f - r * r) : 0.0f;
        };
        float ru = std::fmod(u + 16.0f, kCell) - 16.0f;
        float rv = std::fmod(v + 16.0f, kCell) - 16.0f;
        float nearU = std::min(u, kSize - u), nearV = std::min(v, kSize - v);
        float rivet = std::max(head(ru, nearV - 5.0f), head(nearU - 5.0f, rv));
        float seam = smoothstep(0.0f, 1.5f, edge);
        float h = 0.3f + 0.4f * bar + 0.5f * rivet;
        h = h * (0.6f + 0.4f * seam);
        h += 0.02f * (tileFbm(u, v, 64, 2, 401u) - 0.5f);
        m.height.at(x, y) = h;

        // Brushed steel: streaks along u.
        float brushed = tileFbm2(u, v, 4, 128, 2, 402u);
        Rgb c = mix(hex(0x6d737a), hex(0x8e959c), brushed);
        float grime = tileFbm(u, v, 16, 3, 403u);
        c = mix(c, hex(0x5a5046), 0.35f * smoothstep(0.5f, 0.8f, grime) * (1.0f - bar));
        c = mix(c, hex(0xb8bec4), 0.5f * smoothstep(0.3f, 0.9f, bar));
        c = mix(c, hex(0xa3a8ad), 0.6f * rivet);
        c = c * (0.55f + 0.45f * seam);
        m.diffuse.rgb(x, y) = c;
    });
    return m;
}

// Scaffolding boards: four planks across the tile, each with its own grain,
// a butt joint somewhere along it and nails either side of the joint.
Material wood()
{
    Material m;
    m.strength = 6.0f;
    m.relief = 0.5f;
    constexpr int kPlanks = 4;
    constexpr float kPlank = static_cast<float>(kSize) / kPlanks;
    forEachPixel([&](int x, int y) {
        float u = x + 0.5f, v = y + 0.5f;
        int plank = std::min(kPlanks - 1, static_cast<int>(v / kPlank));
        float pv = v - plank * kPlank;
        float joint = std::floor(hashUnit(plank, 0, 501u) * kSize);
        float du = std::fmod(u - joint + kSize, static_cast<float>(kSize)); // 0 at the joint
        float fromJoint = std::min(du, kSize - du);
        float tint = hashUnit(plank, 1, 502u);
        // The grain runs a little across the board, so it breaks at the
        // joint (where du jumps) and nowhere else.
        float offset = hashUnit(plank, 2, 503u) * 50.0f + du * 0.05f;
        float distort = tileFbm2(u, v, 3, 12, 3, 504u + plank) * 22.0f;
        float rings = (pv + offset + distort) / (7.0f + 4.0f * tileNoise2(u, v, 2, 8, 508u));
        float grain = 0.5f + 0.5f * std::sin(rings * 2.0f * kPi);
        grain = grain * grain * grain;
        float fine = tileNoise2(u, v, 8, 128, 505u);
        Rgb light = mix(hex(0xc49a62), hex(0xa97d4a), tint);
        Rgb dark = mix(hex(0x8a5f34), hex(0x75502c), tint);
        Rgb c = mix(light, dark, grain * 0.75f + 0.25f * fine);
        // Weathering: grey where the rain reaches, darker at the ends.
        c = mix(c, hex(0x8c857a), 0.3f * tileFbm(u, v, 4, 3, 506u));
        float gap = smoothstep(0.5f, 2.5f, std::min(pv, kPlank - pv));
        float end = smoothstep(0.5f, 2.0f, fromJoint);
        float h = 0.7f + 0.06f * (grain - 0.5f) + 0.05f * (tileFbm(u, v, 32, 2, 507u) - 0.5f);
        // Nails: two either side of the joint.
        float nail = 0.0f;
        for (int side = -1; side <= 1; side += 2)
            for (int k = 0; k < 2; ++k) {
                float nu = joint + side * 10.0f;
                float nv = plank * kPlank + (k == 0 ? 0.28f : 0.72f) * kPlank;
                float dx = std::fabs(u - nu);
                dx = std::min(dx, kSize - dx);
                float r = std::sqrt(dx * dx + (v - nv) * (v - nv)) / 3.2f;
                if (r < 1.0f)
                    nail = std::max(nail, std::sqrt(1.0f - r * r));
            }
        h = h * gap * end + 0.25f * nail;
        c = c * (0.35f + 0.65f * gap * end);
        c = mix(c, hex(0x55565a), smoothstep(0.0f, 0.3f, nail));
        m.height.at(x, y) = h;
        m.diffuse.rgb(x, y) = c;
    });
    return m;
}

// The beacon: glowing amber tiles, each lit from its centre, with a bright
// four-pointed star on it. Meant to read as "here" from across the pit.
Material goal()
{
    Material m;
    m.strength = 7.0f;
    m.relief = 0.25f;
    constexpr float kCell = 64.0f;
    forEachPixel([&](int x, int y) {
        float u = x + 0.5f, v = y + 0.5f;
        float lx = std::fmod(u, kCell) - kCell * 0.5f, ly = std::fmod(v, kCell) - kCell * 0.5f;
        float r = std::sqrt(lx * lx + ly * ly) / (kCell * 0.5f);
        // Rounded-square pillow with a groove between the tiles.
        float box = std::max(std::fabs(lx), std::fabs(ly)) / (kCell * 0.5f);
        float groove = smoothstep(0.86f, 0.96f, box);
        float pillow = 1.0f - 0.35f * box * box;
        float star = std::max(0.0f, 1.0f - std::fabs(lx * ly) / 18.0f - r * 0.9f);
        float ring = 0.5f + 0.5f * std::cos(r * 3.0f * 2.0f * kPi);
        float h = pillow * (1.0f - groove * 0.8f) + 0.08f * ring * (1.0f - groove) + 0.15f * star;
        m.height.at(x, y) = h;
        float glow = std::pow(clamp01(1.0f - r * 0.85f), 1.6f);
        Rgb c = mix(hex(0xe0661a), hex(0xffc23a), glow);
        c = mix(c, hex(0xfff6d8), clamp01(star * 1.4f));
        c = c * (0.92f + 0.08f * ring);
        c = mix(c, hex(0x8a3a0a), groove * 0.85f);
        c = c * (0.95f + 0.1f * tileFbm(u, v, 16, 2, 601u));
        m.diffuse.rgb(x, y) = c;
    });
    return m;
}

// The pit's edge: yellow and black warning stripes on a steel plate,
// chipped and grimy.
Material hazard()
{
    Material m;
    m.strength = 5.0f;
    m.relief = 0.4f;
    forEachPixel([&](int x, int y) {
        float u = x + 0.5f, v = y + 0.5f;
        // 45 degree stripes, 64 pixels a pair along u + v: 512 / 64 pairs fit.
        float s = std::fmod(u + v, 64.0f);
        float edgeDist = std::min(std::fabs(s - 32.0f), std::min(s, 64.0f - s));
        float yellow = s < 32.0f ? 1.0f : 0.0f;
        float aa = smoothstep(0.0f, 1.0f, edgeDist);
        yellow = mixf(0.5f, yellow, aa);
        Rgb paint = mix(hex(0x1c1a18), hex(0xf2c21c), yellow);
        // Chips: the paint gone down to the steel.
        float chip = tileFbm(u, v, 16, 4, 701u);
        float chipped = smoothstep(0.66f, 0.7f, chip);
        Rgb steel = hex(0x7b7670) * (0.85f + 0.3f * tileNoise(u, v, 64, 702u));
        Rgb c = mix(paint, steel, chipped);
        // Grime gathers in patches.
        float grime = tileFbm(u, v, 4, 4, 703u);
        c = mix(c, hex(0x3b3024), 0.5f * smoothstep(0.5f, 0.85f, grime));
        c = c * (0.94f + 0.12f * tileNoise(u, v, 128, 704u));
        m.height.at(x, y) = 0.5f - 0.12f * chipped + 0.05f * (tileFbm(u, v, 32, 2, 705u) - 0.5f);
        m.diffuse.rgb(x, y) = c;
    });
    return m;
}

// Work-suit cloth: a 2/2 twill of orange cotton, slightly faded.
Material player()
{
    Material m;
    m.strength = 2.5f;
    m.relief = 0.35f;
    constexpr float kThread = 4.0f;
    forEachPixel([&](int x, int y) {
        float u = x + 0.5f, v = y + 0.5f;
        int i = static_cast<int>(u / kThread), j = static_cast<int>(v / kThread);
        float fu = u / kThread - i, fv = v / kThread - j;
        bool warpOver = ((i + j) % 4) < 2;
        // The thread on top is round across its width.
        float profile = warpOver ? std::sin(fu * kPi) : std::sin(fv * kPi);
        float h = 0.5f + 0.35f * profile + (warpOver ? 0.1f : 0.0f);
        // Soft creases where the suit bends.
        h += 2.2f * tileFbm(u, v, 4, 3, 802u);
        m.height.at(x, y) = h;
        float fade = tileFbm(u, v, 4, 3, 801u);
        Rgb c = mix(hex(0xd9621c), hex(0xc7622a), fade);
        c = c * (0.86f + 0.2f * profile) * (warpOver ? 1.0f : 0.93f);
        m.diffuse.rgb(x, y) = c;
    });
    return m;
}

} // namespace

bool writeLevelTextures(const std::string& newDir)
{
    struct Job {
        const char* name;
        Material (*make)();
    };
    const Job jobs[] = {{"rock", rock}, {"gravel", gravel}, {"block", block},   {"metal", metal},
                        {"wood", wood}, {"goal", goal},     {"hazard", hazard}, {"player", player}};
    for (const Job& job : jobs) {
        Material m = job.make();
        bakeRelief(m.diffuse, m.height, m.strength, m.relief);
        const std::string base = newDir + "/" + job.name;
        if (!writePng(m.diffuse, base + "_diffuse.png", 24, false))
            return false;
        if (!writePng(normalMap(m.height, m.strength), base + "_normal.png", 24, false))
            return false;
    }
    return true;
}

} // namespace makeart
