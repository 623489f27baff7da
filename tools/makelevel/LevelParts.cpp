#include "LevelParts.h"

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

} // namespace parts
