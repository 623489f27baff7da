#include "LevelParts.h"

#include "QuarryLevel.h"

#include <algorithm>
#include <cmath>

namespace parts {

namespace {

// Relative to Data/, where the levels lie, so that other Collada tools find
// the pictures; the game keeps only the file name and looks in Textures/new/.
const std::string kTextures = "../Textures/new/";

int texturedMaterial(collada::Document& doc, const std::string& name, float specular, float shininess,
                     glm::vec3 emission = glm::vec3(0.0f))
{
    collada::Material m;
    m.id = name;
    m.diffuseTexture = kTextures + name + "_diffuse.png";
    m.normalTexture = kTextures + name + "_normal.png";
    // The lamps light the quarry; ambient only keeps the far corners readable.
    m.ambient = glm::vec4(0.12f, 0.12f, 0.12f, 1.0f);
    m.specular = glm::vec4(specular, specular, specular, 1.0f);
    m.shininess = shininess;
    m.emission = glm::vec4(emission, 1.0f);
    return doc.addMaterial(m);
}

} // namespace

Materials addMaterials(collada::Document& doc)
{
    Materials m{};
    m.rock = texturedMaterial(doc, "rock", 0.15f, 16.0f);
    m.gravel = texturedMaterial(doc, "gravel", 0.1f, 16.0f);
    m.block = texturedMaterial(doc, "block", 0.2f, 24.0f);
    m.metal = texturedMaterial(doc, "metal", 0.6f, 64.0f);
    m.wood = texturedMaterial(doc, "wood", 0.15f, 20.0f);
    m.goal = texturedMaterial(doc, "goal", 0.8f, 64.0f, glm::vec3(0.25f, 0.9f, 0.55f));
    m.hazard = texturedMaterial(doc, "hazard", 0.7f, 48.0f);
    m.player = texturedMaterial(doc, "player", 0.3f, 32.0f);
    return m;
}

collada::Node meshNode(collada::Document& doc, const std::string& name, glm::vec3 position,
                       const shapes::MeshBuilder& builder, int material)
{
    collada::Node node;
    node.id = name;
    node.translation = position;
    node.mesh = doc.addMesh(builder.build(material));
    return node;
}

shapes::MeshBuilder playerBuilder(glm::vec3 position)
{
    shapes::MeshBuilder b("player", position, 0.5f);
    const float radius = 0.5f / static_cast<float>(std::cos(3.14159265358979 / 8.0));
    b.prism(glm::vec3(0), radius, -0.6f, 0.6f, 8, false, false);
    b.pyramid(glm::vec3(0), radius, 0.6f, 0.9f, 8);
    b.pyramid(glm::vec3(0), radius, -0.6f, -0.9f, 8);
    return b;
}

void addLamp(collada::Document& doc, const std::string& name, glm::vec3 position, glm::vec3 colour, float power)
{
    collada::Node node;
    node.id = name;
    node.translation = position;
    node.light = doc.addLight({name, colour * 0.1f, power});
    doc.nodes.push_back(node);
}

void addCamera(collada::Document& doc, glm::vec3 position, glm::vec3 aim, float zfar)
{
    collada::Node camera;
    camera.id = "camera1";
    camera.translation = position;
    camera.camera = doc.addCamera({"camera1", 50.0f, 16.0f / 9.0f, 0.1f, zfar});
    doc.nodes.push_back(camera);
    collada::Node aimNode;
    aimNode.id = "camera1_aim";
    aimNode.translation = aim;
    doc.nodes.push_back(aimNode);
    // The game takes this node's position as the camera's up vector.
    collada::Node up;
    up.id = "camera1_up";
    up.translation = glm::vec3(0.0f, 1.0f, 0.0f);
    doc.nodes.push_back(up);
}

void terrace(collada::Document& doc, const Materials& m, const std::string& name, float x0, float x1, float z0,
             float z1, float top)
{
    const glm::vec3 middle((x0 + x1) * 0.5f, 0.0f, (z0 + z1) * 0.5f);
    const glm::vec3 half((x1 - x0) * 0.5f, 0.0f, (z1 - z0) * 0.5f);
    solid(doc, name + "_rock", middle, 3.0f, m.rock, [&](shapes::MeshBuilder& b) {
        b.box(glm::vec3(-half.x, kGround, -half.z), glm::vec3(half.x, top - kSlab, half.z));
    });
    solid(doc, "Floor_" + name, middle + glm::vec3(0.0f, top, 0.0f), 2.0f, m.gravel,
          [&](shapes::MeshBuilder& b) { b.box(glm::vec3(-half.x, -kSlab, -half.z), glm::vec3(half.x, 0.0f, half.z)); });
}

void rock(collada::Document& doc, const Materials& m, const std::string& name, glm::vec3 low, glm::vec3 high)
{
    const glm::vec3 middle((low.x + high.x) * 0.5f, low.y, (low.z + high.z) * 0.5f);
    solid(doc, name, middle, 3.0f, m.rock, [&](shapes::MeshBuilder& b) { b.box(low - middle, high - middle); });
}

void water(collada::Document& doc, const Materials& m, const std::string& name, float x0, float x1, float z0, float z1,
           float top)
{
    const glm::vec3 middle((x0 + x1) * 0.5f, top, (z0 + z1) * 0.5f);
    solid(doc, name + "_loose", middle, 2.0f, m.hazard, [&](shapes::MeshBuilder& b) {
        b.box(glm::vec3(x0, kGround, z0) - middle, glm::vec3(x1 - middle.x, 0.0f, z1 - middle.z));
    });
}

void walls(collada::Document& doc, const Materials& m, float x0, float x1, float z0, float z1, float top)
{
    solid(doc, "walls", glm::vec3((x0 + x1) * 0.5f, 0.0f, (z0 + z1) * 0.5f), 3.0f, m.rock, [&](shapes::MeshBuilder& b) {
        const float cx = (x0 + x1) * 0.5f, cz = (z0 + z1) * 0.5f;
        const float w = x0 - cx, e = x1 - cx, s = z0 - cz, n = z1 - cz;
        b.box(glm::vec3(w - 1, kGround, s - 1), glm::vec3(e + 1, top, s));
        b.box(glm::vec3(w - 1, kGround, n), glm::vec3(e + 1, top, n + 1));
        b.box(glm::vec3(w - 1, kGround, s), glm::vec3(w, top, n));
        b.box(glm::vec3(e, kGround, s), glm::vec3(e + 1, top, n));
    });
}

void pushBlock(collada::Document& doc, const Materials& m, int n, glm::vec2 position, float floor)
{
    const float h = kBlock * 0.5f;
    solid(doc, "dynamicBlock" + std::to_string(n), glm::vec3(position.x, floor + h, position.y), 1.0f, m.block,
          [h](shapes::MeshBuilder& b) { b.unitMappedBox(glm::vec3(-h), glm::vec3(h)); });
}

void beacon(collada::Document& doc, const Materials& m, glm::vec3 position)
{
    solid(doc, "beacon_win", position, 0.5f, m.goal, [](shapes::MeshBuilder& b) {
        b.prism(glm::vec3(0), 0.45f, 0.0f, 1.5f, 8, true, false);
        b.pyramid(glm::vec3(0), 0.45f, 1.5f, 2.2f, 8);
    });
}

void player(collada::Document& doc, const Materials& m, glm::vec2 position, float floor)
{
    const glm::vec3 ground(position.x, floor, position.y);
    const PlayerCapsule capsule = playerCapsule(playerBuilder(ground).build(0));
    const glm::vec3 start = ground + glm::vec3(0.0f, capsule.halfHeight() + 0.05f, 0.0f);
    doc.nodes.push_back(meshNode(doc, "player", start, playerBuilder(start), m.player));
}

void lamps(collada::Document& doc, glm::vec3 warm, glm::vec3 cool, glm::vec3 beacon)
{
    addLamp(doc, "lamp_warm", warm, glm::vec3(1.0f, 0.9f, 0.78f), 9.0f);
    addLamp(doc, "lamp_cool", cool, glm::vec3(0.85f, 0.9f, 1.0f), 9.0f);
    addLamp(doc, "lamp_beacon", beacon + glm::vec3(0.0f, 3.0f, 0.0f), glm::vec3(0.55f, 1.0f, 0.7f), 4.0f);
}

void liftKeys(collada::Document& doc, const std::string& name, glm::vec3 low, float rise, const float (&phases)[4],
              float offset)
{
    const float cycle = phases[0] + phases[1] + phases[2] + phases[3];
    const float rising = phases[0], up = rising + phases[1], sinking = up + phases[2];
    auto height = [&](float t) {
        const float u = std::fmod(t + offset, cycle);
        if (u < rising)
            return 0.0f;
        if (u < up)
            return rise * (u - rising) / phases[1];
        if (u < sinking)
            return rise;
        return rise * (1.0f - (u - sinking) / phases[3]);
    };
    std::vector<float> times = {0.0f, cycle};
    for (float corner : {0.0f, rising, up, sinking})
        times.push_back(std::fmod(corner - offset + cycle, cycle));
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    std::vector<float> values;
    for (float t : times)
        values.insert(values.end(), {low.x, low.y + height(t == cycle ? 0.0f : t), low.z});
    doc.channels.push_back({name + "/location", times, values, 3});
}

std::string point(glm::vec3 p)
{
    return "(" + collada::formatNumber(p.x) + ", " + collada::formatNumber(p.y) + ", " + collada::formatNumber(p.z) +
           ")";
}

std::string routeStart(const std::string& name, const std::string& file, glm::vec2 start)
{
    return name + " route (" + file + "): the player starts at " + point(glm::vec3(start.x, 0.0f, start.y)) +
           " looking north.\n";
}

} // namespace parts
