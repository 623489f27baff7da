#include "Shapes.h"

#include <cmath>
#include <stdexcept>
#include <utility>

namespace shapes {

namespace {

constexpr double pi = 3.14159265358979323846;

// Tangent and bitangent of a face: the viewer looks at the face along -n with
// +y as up (x as up for horizontal faces), so T × B = n.
void faceFrame(glm::vec3 n, glm::vec3& t, glm::vec3& b)
{
    if (std::fabs(n.y) > 0.999f) {
        t = glm::vec3(1.0f, 0.0f, 0.0f);
    } else {
        t = glm::normalize(glm::cross(-n, glm::vec3(0.0f, 1.0f, 0.0f)));
    }
    b = glm::cross(n, t);
}

} // namespace

MeshBuilder::MeshBuilder(std::string id, glm::vec3 origin, float tile) : id(std::move(id)), origin(origin), tile(tile)
{
}

glm::vec2 MeshBuilder::planarUv(glm::vec3 worldPoint, glm::vec3 normal) const
{
    glm::vec3 t;
    glm::vec3 b;
    faceFrame(normal, t, b);
    return glm::vec2(glm::dot(worldPoint, t), glm::dot(worldPoint, b)) / tile;
}

uint32_t MeshBuilder::vertex(glm::vec3 position, glm::vec3 normal, glm::vec2 uv)
{
    positions.push_back(position);
    normals.push_back(normal);
    uvs.push_back(uv);
    return static_cast<uint32_t>(positions.size() - 1);
}

void MeshBuilder::triangle(int group, uint32_t a, uint32_t b, uint32_t c)
{
    if (group < 0) {
        throw std::runtime_error("negative triangle group");
    }
    if (groups.size() <= static_cast<size_t>(group)) {
        groups.resize(static_cast<size_t>(group) + 1);
    }
    std::vector<uint32_t>& list = groups[static_cast<size_t>(group)];
    list.push_back(a);
    list.push_back(b);
    list.push_back(c);
}

MeshBuilder& MeshBuilder::quad(glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, int group)
{
    glm::vec3 n = glm::normalize(glm::cross(b - a, c - a));
    uint32_t i0 = vertex(a, n, planarUv(origin + a, n));
    uint32_t i1 = vertex(b, n, planarUv(origin + b, n));
    uint32_t i2 = vertex(c, n, planarUv(origin + c, n));
    uint32_t i3 = vertex(d, n, planarUv(origin + d, n));
    triangle(group, i0, i1, i2);
    triangle(group, i0, i2, i3);
    return *this;
}

MeshBuilder& MeshBuilder::box(glm::vec3 low, glm::vec3 high, int group)
{
    if (!(low.x < high.x && low.y < high.y && low.z < high.z)) {
        throw std::runtime_error("box of mesh " + id + " is empty");
    }
    glm::vec3 center = (low + high) * 0.5f;
    glm::vec3 half = (high - low) * 0.5f;
    static const glm::vec3 sides[] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const glm::vec3& normal : sides) {
        glm::vec3 t;
        glm::vec3 b;
        faceFrame(normal, t, b);
        glm::vec3 c = center + normal * glm::dot(glm::abs(normal), half);
        glm::vec3 et = t * glm::dot(glm::abs(t), half);
        glm::vec3 eb = b * glm::dot(glm::abs(b), half);
        quad(c - et - eb, c + et - eb, c + et + eb, c - et + eb, group);
    }
    return *this;
}

MeshBuilder& MeshBuilder::unitMappedBox(glm::vec3 low, glm::vec3 high, int group)
{
    size_t first = positions.size();
    box(low, high, group);
    // Replace the world-tiled coordinates by 0..1 per face: quads come in
    // corner order (−t −b), (+t −b), (+t +b), (−t +b).
    static const glm::vec2 corners[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (size_t i = first; i < positions.size(); ++i) {
        uvs[i] = corners[(i - first) % 4];
    }
    return *this;
}

MeshBuilder& MeshBuilder::prism(glm::vec3 base, float radius, float y0, float y1, int sides, bool bottomCap,
                                bool topCap, int group)
{
    std::vector<glm::vec3> ring;
    for (int i = 0; i < sides; ++i) {
        // Half a step of turn puts flat faces, not corners, on the axes.
        double angle = 2.0 * pi * (i + 0.5) / sides;
        ring.push_back(base + glm::vec3(static_cast<float>(radius * std::cos(angle)), 0.0f,
                                        static_cast<float>(radius * std::sin(angle))));
    }
    glm::vec3 up(0.0f, 1.0f, 0.0f);
    for (int i = 0; i < sides; ++i) {
        glm::vec3 a = ring[static_cast<size_t>(i)];
        glm::vec3 b = ring[static_cast<size_t>((i + 1) % sides)];
        // The ring runs counter-clockwise seen from below (+x towards +z), so
        // b before a is counter-clockwise from outside.
        quad(b + up * y0, a + up * y0, a + up * y1, b + up * y1, group);
    }
    for (int cap = 0; cap < 2; ++cap) {
        if ((cap == 0 && !topCap) || (cap == 1 && !bottomCap)) {
            continue;
        }
        float y = cap == 0 ? y1 : y0;
        glm::vec3 n = cap == 0 ? up : -up;
        glm::vec3 middle = base + up * y;
        uint32_t center = vertex(middle, n, planarUv(origin + middle, n));
        std::vector<uint32_t> rim;
        for (const glm::vec3& p : ring) {
            glm::vec3 q = p + up * y;
            rim.push_back(vertex(q, n, planarUv(origin + q, n)));
        }
        for (int i = 0; i < sides; ++i) {
            uint32_t a = rim[static_cast<size_t>(i)];
            uint32_t b = rim[static_cast<size_t>((i + 1) % sides)];
            if (cap == 0) {
                triangle(group, center, b, a);
            } else {
                triangle(group, center, a, b);
            }
        }
    }
    return *this;
}

MeshBuilder& MeshBuilder::pyramid(glm::vec3 base, float radius, float y0, float apexY, int sides, int group)
{
    glm::vec3 up(0.0f, 1.0f, 0.0f);
    glm::vec3 apex = base + up * apexY;
    std::vector<glm::vec3> ring;
    for (int i = 0; i < sides; ++i) {
        double angle = 2.0 * pi * (i + 0.5) / sides;
        ring.push_back(base + glm::vec3(static_cast<float>(radius * std::cos(angle)), y0,
                                        static_cast<float>(radius * std::sin(angle))));
    }
    for (int i = 0; i < sides; ++i) {
        glm::vec3 a = ring[static_cast<size_t>(i)];
        glm::vec3 b = ring[static_cast<size_t>((i + 1) % sides)];
        // Seen from outside the corners run b, a, apex when the apex points
        // up and a, b, apex when it points down.
        if (apexY < y0) {
            std::swap(a, b);
        }
        glm::vec3 n = glm::normalize(glm::cross(a - b, apex - b));
        uint32_t ib = vertex(b, n, planarUv(origin + b, n));
        uint32_t ia = vertex(a, n, planarUv(origin + a, n));
        uint32_t ic = vertex(apex, n, planarUv(origin + apex, n));
        triangle(group, ib, ia, ic);
    }
    return *this;
}

collada::Mesh MeshBuilder::build(const std::vector<int>& groupMaterials) const
{
    if (groupMaterials.size() != groups.size()) {
        throw std::runtime_error("mesh " + id + " has " + std::to_string(groups.size()) + " groups but " +
                                 std::to_string(groupMaterials.size()) + " materials");
    }
    collada::Mesh mesh;
    mesh.id = id;
    mesh.positions = positions;
    mesh.normals = normals;
    mesh.uvs = uvs;
    for (size_t g = 0; g < groups.size(); ++g) {
        if (groups[g].empty()) {
            throw std::runtime_error("mesh " + id + " has an empty group");
        }
        mesh.groups.push_back({groupMaterials[g], groups[g]});
    }
    return mesh;
}

} // namespace shapes
