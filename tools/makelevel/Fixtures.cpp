#include "Fixtures.h"

#include "Collada.h"
#include "Png.h"
#include "Shapes.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <cstdint>
#include <functional>

namespace {

using glm::vec3;

const std::string kDir = "tests/data/levels/";

struct Base {
    bool player = true, camera = true, cameraNodes = true;
    int lights = 1;
};

struct Materials {
    int floor, checker, stripes, dots;
};

collada::Material material(const std::string& id, const std::string& diffuseTexture,
                           const std::string& normalTexture = "textures/flat_normal.png", float shininess = 32.0f)
{
    collada::Material m;
    m.id = id;
    m.diffuseTexture = diffuseTexture;
    m.normalTexture = normalTexture;
    m.shininess = shininess;
    return m;
}

int plain(collada::Document& doc, const std::string& id, vec3 colour)
{
    collada::Material m = material(id, "", "", 8.0f);
    m.diffuse = glm::vec4(colour, 1.0f);
    return doc.addMaterial(m);
}

collada::Node node(const std::string& id, vec3 translation, int mesh = -1)
{
    collada::Node n;
    n.id = id;
    n.translation = translation;
    n.mesh = mesh;
    return n;
}

collada::Node boxNode(collada::Document& doc, const std::string& name, vec3 position, vec3 half, int material)
{
    return node(name, position,
                doc.addMesh(shapes::MeshBuilder(name, position, 1.0f).box(-half, half).build(material)));
}

Materials addMaterials(collada::Document& doc)
{
    const auto textured = [&](const std::string& id, const std::string& picture, float shininess) {
        return doc.addMaterial(material(id, "textures/" + picture, "textures/flat_normal.png", shininess));
    };
    return {textured("floorGrid", "checker_diffuse.png", 16.0f), textured("checker", "checker_diffuse.png", 32.0f),
            textured("stripes", "stripes_diffuse.png", 32.0f), textured("dots", "dots_diffuse.png", 32.0f)};
}

// What every playable fixture needs: a floor, the player, lights and the
// camera with its two helper nodes. Added after the fixture's own nodes, so
// those come first in the node walk.
void addBase(collada::Document& doc, const Materials& m, const Base& base)
{
    doc.nodes.push_back(boxNode(doc, "Floor_base", vec3(0, -0.5f, 0), vec3(6, 0.5f, 6), m.floor));
    if (base.player)
        doc.nodes.push_back(boxNode(doc, "player", vec3(0, 1.0f, -4), vec3(0.5f, 0.9f, 0.5f), m.checker));
    for (int i = 0; i < base.lights; ++i) {
        doc.nodes.push_back(node("lamp" + std::to_string(i + 1), vec3(-4.0f + static_cast<float>(i), 5.0f, 0.0f)));
        doc.nodes.back().light = doc.addLight({doc.nodes.back().id, vec3(0.1f), 10.0f + static_cast<float>(i)});
    }
    if (base.camera) {
        doc.nodes.push_back(node("camera1", vec3(0, 3, -8)));
        doc.nodes.back().camera = doc.addCamera({"camera1", 50.0f, 16.0f / 9.0f, 0.1f, 70.0f});
    }
    if (base.cameraNodes)
        doc.nodes.insert(doc.nodes.end(), {node("camera1_aim", vec3(0, 1, 0)), node("camera1_up", vec3(0, 1, 0))});
}

collada::Document baseLevel(const Base& base = Base{})
{
    collada::Document doc;
    addBase(doc, addMaterials(doc), base);
    return doc;
}

// Nodes for the naming rules; the animation has channels for the first
// `channels` of the two "Anim" nodes.
collada::Document namesLevel(int channels)
{
    collada::Document doc;
    const Materials m = addMaterials(doc);
    const std::pair<const char*, vec3> nodes[] = {
        {"Anim", vec3(-3, 0.5f, 2)},    {"dynamic_Anim", vec3(-1, 0.5f, 2)}, {"Player", vec3(1, 0.5f, 2)},
        {"player_1", vec3(3, 0.5f, 2)}, {"dynamicCrate", vec3(-2, 0.5f, 4)}, {"crate_dynamic", vec3(2, 0.5f, 4)},
    };
    for (const auto& [name, at] : nodes)
        doc.nodes.push_back(boxNode(doc, name, at, vec3(0.4f), m.checker));
    for (int i = 0; i < channels; ++i) {
        const vec3 p = nodes[i].second; // a slide up by 1 and back
        doc.channels.push_back(collada::Channel{std::string(nodes[i].first) + "/location",
                                                {0.0f, 1.0f, 2.0f},
                                                {p.x, p.y, p.z, p.x, p.y + 1.0f, p.z, p.x, p.y, p.z},
                                                3});
    }
    addBase(doc, m, Base{});
    return doc;
}

// One node whose geometry has three material groups, with a child below it.
collada::Document threeMeshesLevel()
{
    collada::Document doc;
    const Materials m = addMaterials(doc);
    const vec3 position(0, 0.5f, 2);
    shapes::MeshBuilder b("tripleMesh", position, 1.0f);
    b.box(vec3(-1.5f, -0.5f, -0.5f), vec3(-0.6f, 0.5f, 0.5f), 0);
    b.box(vec3(-0.45f, -0.5f, -0.5f), vec3(0.45f, 0.5f, 0.5f), 1);
    b.box(vec3(0.6f, -0.5f, -0.5f), vec3(1.5f, 0.5f, 0.5f), 2);
    doc.nodes.push_back(node("tripleMesh", position, doc.addMesh(b.build({m.checker, m.stripes, m.dots}))));
    doc.nodes.back().children.push_back(boxNode(doc, "tripleMesh_child", vec3(0, 1.0f, 0), vec3(0.3f), m.checker));
    addBase(doc, m, Base{});
    return doc;
}

// Texture sharing and counts: an untextured mesh before any textured one, one
// after a textured one, two different materials naming one picture, and a
// colour texture without a normal map.
collada::Document texturesLevel()
{
    collada::Document doc;
    const Materials m = addMaterials(doc);
    const int grey = plain(doc, "plainGrey", vec3(0.5f)), blue = plain(doc, "plainBlue", vec3(0.2f, 0.3f, 0.9f));
    collada::Material shared =
        material("sharedPicture", "textures/stripes_diffuse.png", "textures/flat_normal.png", 64);
    shared.specular = glm::vec4(0.9f, 0.9f, 0.9f, 1.0f);
    const int sharedStripes = doc.addMaterial(shared);
    doc.nodes.push_back(boxNode(doc, "untexturedFirst", vec3(-3, 0.5f, 2), vec3(0.4f), grey));
    doc.nodes.push_back(boxNode(doc, "texturedStripes", vec3(-1, 0.5f, 2), vec3(0.4f), m.stripes));
    doc.nodes.push_back(boxNode(doc, "untexturedAfter", vec3(1, 0.5f, 2), vec3(0.4f), blue));
    doc.nodes.push_back(boxNode(doc, "texturedStripesShiny", vec3(3, 0.5f, 2), vec3(0.4f), sharedStripes));
    const int colourOnly = doc.addMaterial(material("colourOnly", "textures/dots_diffuse.png", ""));
    doc.nodes.push_back(boxNode(doc, "colourOnly", vec3(0, 0.5f, 4), vec3(0.4f), colourOnly));
    addBase(doc, m, Base{});
    return doc;
}

// A mesh with a fault added in front of an otherwise sound level.
collada::Document faultyMeshLevel(const std::function<void(collada::Mesh&)>& breakMesh, const Base& base = Base{})
{
    collada::Document doc;
    const Materials m = addMaterials(doc);
    collada::Mesh mesh =
        shapes::MeshBuilder("faultyMesh", vec3(0, 0.5f, 2), 1.0f).box(vec3(-0.5f), vec3(0.5f)).build(m.checker);
    breakMesh(mesh);
    doc.nodes.push_back(node("faultyMesh", vec3(0, 0.5f, 2), doc.addMesh(mesh)));
    addBase(doc, m, base);
    return doc;
}

// A fault written into the text of a sound level: every `from` becomes `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A chain of `depth` nested group nodes in front of a sound level.
collada::Document deepLevel(int depth)
{
    collada::Document doc = baseLevel();
    collada::Node chain = node("deep" + std::to_string(depth), vec3(0.0f));
    for (int i = depth - 1; i > 0; --i) {
        collada::Node outer = node("deep" + std::to_string(i), vec3(0.0f));
        outer.children.push_back(std::move(chain));
        chain = std::move(outer);
    }
    doc.nodes.insert(doc.nodes.begin(), std::move(chain));
    return doc;
}

// A sound level whose first node gets a changed transform.
collada::Document transformedLevel(vec3 translation, vec3 scale)
{
    collada::Document doc = baseLevel();
    doc.nodes[0].translation = translation;
    doc.nodes[0].scale = scale;
    return doc;
}

// The player's geometry in two material groups: two meshes for one node.
collada::Document twoMeshPlayerLevel()
{
    collada::Document doc;
    const Materials m = addMaterials(doc);
    shapes::MeshBuilder b("player", vec3(0, 1, -4), 1.0f);
    b.box(vec3(-0.5f, -0.9f, -0.5f), vec3(0.5f, 0.0f, 0.5f), 0);
    b.box(vec3(-0.5f, 0.0f, -0.5f), vec3(0.5f, 0.9f, 0.5f), 1);
    doc.nodes.push_back(node("player", vec3(0, 1, -4), doc.addMesh(b.build({m.checker, m.stripes}))));
    addBase(doc, m, Base{false, true, true, 1});
    return doc;
}

// Every object, light and camera under translated, rotated and scaled group
// nodes, or (`flat`) the same level with each node's transform worked out and
// the groups left out: the two must play alike.
collada::Document nestedLevel(bool flat)
{
    collada::Document doc;
    const Materials m = addMaterials(doc);
    auto group = [](const std::string& id, vec3 translation, collada::Rotation rotation, float scale) {
        collada::Node n = node(id, translation);
        n.rotations.push_back(rotation);
        n.scale = vec3(scale);
        return n;
    };
    collada::Node floor = group("floorGroup", vec3(0, -1, 0), {"turn", vec3(0, 1, 0), 45.0f}, 1.0f);
    floor.children.push_back(boxNode(doc, "Floor_base", vec3(0, 0.5f, 0), vec3(6, 0.5f, 6), m.floor));
    floor.children.push_back(node("lamp1", vec3(-4, 6, 0)));
    floor.children.back().light = doc.addLight({"lamp1", vec3(0.1f), 10.0f});
    collada::Node outer = group("outerGroup", vec3(1, 0.5f, 0), {"turn", vec3(0, 1, 0), 90.0f}, 1.0f);
    collada::Node inner = group("innerGroup", vec3(0, 0, 2), {"tilt", vec3(1, 0, 0), 30.0f}, 2.0f);
    inner.children.push_back(boxNode(doc, "tiltedBox", vec3(0, 0.25f, 0), vec3(0.25f), m.stripes));
    inner.children.push_back(node("lamp2", vec3(0, 1, 0)));
    inner.children.back().light = doc.addLight({"lamp2", vec3(0.1f, 0.05f, 0.02f), 6.0f});
    outer.children.push_back(inner);
    outer.children.push_back(boxNode(doc, "dynamicCrate", vec3(0, 0.5f, -2), vec3(0.4f), m.dots));
    collada::Node player = group("playerGroup", vec3(0, 1, -3), {"turn", vec3(0, 1, 0), 180.0f}, 1.0f);
    player.children.push_back(boxNode(doc, "player", vec3(0, 0, 1), vec3(0.5f, 0.9f, 0.5f), m.checker));
    collada::Node camera = group("cameraGroup", vec3(0, 2, -4), {"turn", vec3(0, 1, 0), 0.0f}, 2.0f);
    collada::Node eye = node("camera1", vec3(0, 0.5f, -2));
    eye.camera = doc.addCamera({"camera1", 50.0f, 16.0f / 9.0f, 0.1f, 70.0f});
    camera.children = {eye, node("camera1_aim", vec3(0, -0.5f, 2)), node("camera1_up", vec3(0, -0.5f, 2))};
    doc.nodes = {floor, outer, player, camera};
    if (!flat)
        return doc;

    // Groups scale evenly, so a child's scale and rotations simply follow its parent's.
    std::function<void(const collada::Node&, glm::mat4, std::vector<collada::Rotation>, float)> lift =
        [&](const collada::Node& node, glm::mat4 parent, std::vector<collada::Rotation> turns, float scale) {
            collada::Node placed = node;
            placed.translation = vec3(parent * glm::vec4(node.translation, 1.0f));
            turns.insert(turns.end(), node.rotations.begin(), node.rotations.end());
            placed.rotations = turns;
            placed.scale = node.scale * scale;
            glm::mat4 own = glm::translate(glm::mat4(1.0f), node.translation);
            for (const collada::Rotation& r : node.rotations)
                own = glm::rotate(own, glm::radians(r.degrees), r.axis);
            own = glm::scale(own, node.scale);
            for (const collada::Node& child : node.children)
                lift(child, parent * own, turns, placed.scale.x);
            placed.children.clear();
            if (node.mesh >= 0 || node.light >= 0 || node.camera >= 0 || node.children.empty())
                doc.nodes.push_back(placed);
        };
    const std::vector<collada::Node> groups = std::move(doc.nodes);
    doc.nodes.clear();
    for (const collada::Node& n : groups)
        lift(n, glm::mat4(1.0f), {}, 1.0f);
    return doc;
}

// Fixed-seed noise; the first bytes are text so that no picture format
// recognises the header.
std::string garbageBytes(size_t count)
{
    std::string bytes = "This is no picture of any kind.\n";
    for (uint32_t state = 12345u; bytes.size() < count;) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>((state >> 16) & 0xFFu);
    }
    return bytes;
}

} // namespace

std::vector<OutputFile> buildFixtures()
{
    std::vector<OutputFile> files;
    auto level = [&files](const std::string& name, const collada::Document& doc) {
        files.push_back({kDir + name, collada::write(doc)});
    };

    level("names_anim.dae", namesLevel(2));
    level("names_noanim.dae", namesLevel(0));
    level("names_one_channel.dae", namesLevel(1));
    level("three_meshes.dae", threeMeshesLevel());
    level("textures.dae", texturesLevel());
    collada::Document cameras = baseLevel();
    cameras.nodes.push_back(node("camera2", vec3(5, 4, 5)));
    cameras.nodes.back().camera = cameras.addCamera({"camera2", 40.0f, 16.0f / 9.0f, 0.1f, 70.0f});
    level("two_cameras.dae", cameras);

    level("no_player.dae", baseLevel(Base{false, true, true, 1}));
    level("no_camera.dae", baseLevel(Base{true, false, true, 1}));
    level("no_camera_nodes.dae", baseLevel(Base{true, true, false, 1}));
    level("no_lights.dae", baseLevel(Base{true, true, true, 0}));
    // Nine lights of the file and the game's two built-in ones make 11, one
    // more than the lit program takes.
    level("nine_lights.dae", baseLevel(Base{true, true, true, 9}));
    level("no_normals.dae", faultyMeshLevel([](collada::Mesh& mesh) { mesh.writeNormals = false; }));
    level("no_uvs.dae", faultyMeshLevel([](collada::Mesh& mesh) { mesh.writeUvs = false; }));
    // One extra triangle that repeats a corner.
    level("degenerate_triangle.dae", faultyMeshLevel([](collada::Mesh& mesh) {
              mesh.groups[0].indices.insert(mesh.groups[0].indices.end(), {0u, 0u, 1u});
          }));
    collada::Document odd;
    const Materials m = addMaterials(odd);
    const int oddPicture = odd.addMaterial(material("oddPicture", "textures/garbage.xyz"));
    odd.nodes.push_back(boxNode(odd, "oddlyTextured", vec3(0, 0.5f, 2), vec3(0.4f), oddPicture));
    addBase(odd, m, Base{});
    level("unknown_texture_format.dae", odd);
    // A fault of every kind the level checker lists: the scene, a mesh, a texture.
    collada::Document faults =
        faultyMeshLevel([](collada::Mesh& mesh) { mesh.writeUvs = false; }, Base{true, false, true, 9});
    faults.materials[0].diffuseTexture = "textures/missing.png";
    level("several_faults.dae", faults);

    // The faults that end the game with a level error.
    level("deep_nesting.dae", deepLevel(300));
    level("nan_transform.dae", transformedLevel(vec3(NAN, 0.5f, 4.0f), vec3(1.0f)));
    level("flat_scale.dae", transformedLevel(vec3(0, -0.5f, 0), vec3(1, 0, 1)));
    level("mirrored.dae", transformedLevel(vec3(0, -0.5f, 0), vec3(1, -1, 1)));
    level("player_two_meshes.dae", twoMeshPlayerLevel());
    collada::Document light = baseLevel();
    light.lights[0].ambient = vec3(INFINITY, 0.1f, 0.1f);
    level("infinite_light.dae", light);
    collada::Document twice = baseLevel();
    twice.nodes.insert(twice.nodes.begin(), boxNode(twice, "playerTwin", vec3(2, 1, -4), vec3(0.5f), 0));
    files.push_back({kDir + "two_players.dae", replaced(collada::write(twice), "id=\"playerTwin\" name=\"playerTwin\"",
                                                        "id=\"player\" name=\"player\"")});
    files.push_back(
        {kDir + "huge_array.dae", replaced(collada::write(baseLevel()), "count=\"72\"", "count=\"4000000000\"")});
    collada::Document huge = baseLevel();
    huge.materials[0].diffuseTexture = "textures/huge.png";
    level("huge_texture.dae", huge);
    // Paths as other tools write them: a Windows folder, and a second folder
    // with a picture of the same name (a warning, then the one picture).
    collada::Document paths = baseLevel();
    paths.materials[0].diffuseTexture = "C:\\levels\\textures\\checker_diffuse.png";
    paths.materials[1].diffuseTexture = "other/checker_diffuse.png";
    level("texture_paths.dae", paths);
    level("nested.dae", nestedLevel(false));
    level("nested_flat.dae", nestedLevel(true));

    const std::string whole = collada::write(baseLevel());
    files.push_back({kDir + "truncated.dae", whole.substr(0, whole.size() / 2)});
    files.push_back({kDir + "garbage.dae", garbageBytes(700)});

    // Square pictures of `size` pixels, each the colour of its (x, y).
    auto picture = [&files](const std::string& name, int size, const std::function<vec3(int, int)>& colour) {
        std::vector<uint8_t> rgb;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                for (int c = 0; c < 3; ++c)
                    rgb.push_back(static_cast<uint8_t>(colour(x, y)[c]));
        files.push_back({kDir + "textures/" + name, png::encodeRgb(size, size, rgb)});
    };
    picture("checker_diffuse.png", 8,
            [](int x, int y) { return ((x / 2 + y / 2) % 2) ? vec3(230, 230, 220) : vec3(60, 70, 90); });
    picture("stripes_diffuse.png", 8, [](int x, int) { return (x % 4 < 2) ? vec3(200, 60, 40) : vec3(240, 200, 60); });
    picture("dots_diffuse.png", 8,
            [](int x, int y) { return (x % 4 == 1 && y % 4 == 1) ? vec3(20, 20, 20) : vec3(90, 200, 120); });
    picture("flat_normal.png", 4, [](int, int) { return vec3(128, 128, 255); });
    files.push_back({kDir + "textures/garbage.xyz", garbageBytes(256)});
    // One pixel wider than any level picture may be.
    files.push_back({kDir + "textures/huge.png", png::encodeRgb(8193, 1, std::vector<uint8_t>(8193 * 3, 128))});
    return files;
}
