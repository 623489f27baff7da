#pragma once

#include "core/Input.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "app/MenuState.h"
#include "render/Shader.h"
#include "scene/Camera.h"
#include "scene/ImportObject.h"
#include "scene/Material.h"
#include "scene/PlayerObject.h"

#include "support/GlContext.h"

#include <btBulletDynamicsCommon.h>
#include <glm/gtc/matrix_transform.hpp>

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

// Small worlds of real mesh objects, physics bodies and a player for the GL
// tests: the pieces the level import would otherwise provide.

inline const std::string& shaderDir()
{
    static const std::string dir = std::string(QUARRYSTACK_SOURCE_DIR) + "/Shader/";
    return dir;
}

// One mesh as the importer would hand it over: flat arrays plus the triangle
// corners, with a physics triangle mesh built from the same faces.
struct MeshArrays {
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> uvs;
    std::vector<float> tangents;
    std::vector<uint32_t> indices;

    uint32_t vertexCount() const { return static_cast<uint32_t>(positions.size() / 3); }
    uint32_t faceCount() const { return static_cast<uint32_t>(indices.size() / 3); }

    glm::vec3 vertex(uint32_t i) const { return {positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]}; }

    std::vector<glm::vec3> corners() const
    {
        std::vector<glm::vec3> out;
        for (uint32_t index : indices)
            out.push_back(vertex(index));
        return out;
    }

    std::unique_ptr<btTriangleMesh> triangles() const
    {
        auto mesh = std::make_unique<btTriangleMesh>(true, true);
        for (size_t f = 0; f + 2 < indices.size(); f += 3) {
            const glm::vec3 a = vertex(indices[f]), b = vertex(indices[f + 1]), c = vertex(indices[f + 2]);
            mesh->addTriangle(btVector3(a.x, a.y, a.z), btVector3(b.x, b.y, b.z), btVector3(c.x, c.y, c.z));
        }
        return mesh;
    }

    // One quad with outward normal n, in-plane axes u (tangent) and v, centre c.
    void addFace(const glm::vec3& c, const glm::vec3& n, const glm::vec3& u, const glm::vec3& v)
    {
        const uint32_t base = vertexCount();
        const glm::vec3 corners[4] = {c - u - v, c + u - v, c + u + v, c - u + v};
        const float texture[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        const glm::vec3 tangent = glm::normalize(u);
        for (int i = 0; i < 4; ++i) {
            positions.insert(positions.end(), {corners[i].x, corners[i].y, corners[i].z});
            normals.insert(normals.end(), {n.x, n.y, n.z});
            uvs.insert(uvs.end(), {texture[i][0], texture[i][1]});
            tangents.insert(tangents.end(), {tangent.x, tangent.y, tangent.z, 1.0f});
        }
        // Counter-clockwise seen from the side n points to, when u × v = n.
        const bool ccw = glm::dot(glm::cross(u, v), n) > 0.0f;
        if (ccw)
            indices.insert(indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
        else
            indices.insert(indices.end(), {base, base + 2, base + 1, base, base + 3, base + 2});
    }
};

// An axis-aligned box around the origin.
inline MeshArrays boxArrays(const glm::vec3& half)
{
    MeshArrays m;
    const glm::vec3 x(half.x, 0, 0), y(0, half.y, 0), z(0, 0, half.z);
    m.addFace(x, {1, 0, 0}, -z, y);
    m.addFace(-x, {-1, 0, 0}, z, y);
    m.addFace(y, {0, 1, 0}, x, -z);
    m.addFace(-y, {0, -1, 0}, x, z);
    m.addFace(z, {0, 0, 1}, x, y);
    m.addFace(-z, {0, 0, -1}, -x, y);
    return m;
}

// A square in the plane y = 0 facing +y; u runs along +x, v along -z.
inline MeshArrays squareArrays(float half)
{
    MeshArrays m;
    m.addFace({0, 0, 0}, {0, 1, 0}, {half, 0, 0}, {0, 0, -half});
    return m;
}

// Keys, cursor and focus for the player, set by the test.
class FakeInput final : public input::Backend {
public:
    int key(GLFWwindow*, int key) override { return pressed.count(key) ? GLFW_PRESS : GLFW_RELEASE; }
    void cursorPos(GLFWwindow*, double* x, double* y) override
    {
        *x = cursor.x;
        *y = cursor.y;
    }
    void setCursorPos(GLFWwindow*, double x, double y) override
    {
        cursor = {x, y};
        ++cursorSets;
    }
    bool focused(GLFWwindow*) override { return focus; }

    void hold(std::initializer_list<int> keys) { pressed = keys; }

    std::set<int> pressed;
    glm::dvec2 cursor{0.0, 0.0};
    bool focus = false;
    int cursorSets = 0;
};

// A 1×1 RGBA texture with mipmaps.
inline gl::Texture solidTexture(uint8_t r, uint8_t g, uint8_t b)
{
    gl::Texture texture = gl::Texture::create();
    const uint8_t pixel[4] = {r, g, b, 255};
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// The lit and depth programs, a material, flat textures and a physics world,
// plus the objects built in it. Objects are deleted before the physics owner;
// triangle meshes and arrays outlive both.
class SceneWorld {
public:
    SceneWorld(GLFWwindow* window)
        : window(window),
          phong(shaderDir() + "PhongCombined.vert", shaderDir() + "PhongCombined.frag"),
          depth(shaderDir() + "shadowMapOmniFirstPass.vert", shaderDir() + "shadowMapOmniFirstPass.geom",
                shaderDir() + "shadowMapOmniFirstPass.frag"),
          menuProgram(shaderDir() + "menu.vert", shaderDir() + "menu.frag"),
          material(glm::vec4(0.8f, 0.8f, 0.8f, 1.0f), glm::vec4(0.2f, 0.2f, 0.2f, 1.0f), glm::vec4(0.0f),
                   glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), 0.0f, 2),
          colour(solidTexture(200, 200, 200)), flatNormals(solidTexture(128, 128, 255)),
          physics(std::make_unique<PhysicsWorld>())
    {
        physics->initPhysics();
        menu.startPlay();
        input::setBackend(&input);
    }

    ~SceneWorld()
    {
        input::setBackend(nullptr);
        for (ImportObject* object : objects)
            delete object;
        physics.reset();
    }

    SceneWorld(const SceneWorld&) = delete;
    SceneWorld& operator=(const SceneWorld&) = delete;

    MeshData meshData(const MeshArrays& arrays, const std::string& name)
    {
        MeshData mesh;
        mesh.materialBuffer = material.getUniformBuffer();
        mesh.colorTexture = colour;
        mesh.normalMap = flatNormals;
        mesh.positions = const_cast<float*>(arrays.positions.data());
        mesh.normals = const_cast<float*>(arrays.normals.data());
        mesh.uvs = const_cast<float*>(arrays.uvs.data());
        mesh.tangents = const_cast<float*>(arrays.tangents.data());
        mesh.indices = const_cast<uint32_t*>(arrays.indices.data());
        mesh.vertexCount = arrays.vertexCount();
        mesh.faceCount = arrays.faceCount();
        mesh.name = name;
        return mesh;
    }

    // Keeps the arrays and the physics mesh alive and returns them.
    std::pair<const MeshArrays*, btTriangleMesh*> keep(MeshArrays arrays)
    {
        kept.push_back(std::move(arrays));
        triangleMeshes.push_back(kept.back().triangles());
        return {&kept.back(), triangleMeshes.back().get()};
    }

    ImportObject* addBox(const std::string& name, const glm::vec3& centre, const glm::vec3& half, int mass)
    {
        return addMesh(name, boxArrays(half), glm::translate(glm::mat4(1.0f), centre), mass);
    }

    // Any mesh; `textures` overrides the material buffer, colour texture and
    // normal map where given (non-zero).
    ImportObject* addMesh(const std::string& name, MeshArrays mesh, const glm::mat4& matrix, int mass,
                          std::array<GLuint, 3> textures = {0, 0, 0}, Shader* program = nullptr,
                          ImportObject* parent = nullptr)
    {
        auto [arrays, triangles] = keep(std::move(mesh));
        MeshData data = meshData(*arrays, name);
        if (textures[0])
            data.materialBuffer = textures[0];
        if (textures[1])
            data.colorTexture = textures[1];
        if (textures[2])
            data.normalMap = textures[2];
        auto* object = new ImportObject(matrix, program ? program : &phong, &depth, parent, triangles, physics.get(),
                                        mass, arrays->corners(), std::move(data));
        objects.push_back(object);
        return object;
    }

    // The player as the import and set-up wire it: mass 1, a camera at angles
    // 0, the window size, the window and the menu.
    PlayerObject* addPlayer(const glm::vec3& centre, const glm::vec3& half = {0.5f, 0.9f, 0.5f},
                            const glm::mat4& rotation = glm::mat4(1.0f))
    {
        auto [arrays, triangles] = keep(boxArrays(half));
        auto* p = new PlayerObject(glm::translate(glm::mat4(1.0f), centre) * rotation, &phong, &depth, nullptr,
                                   triangles, physics.get(), 1, arrays->corners(), meshData(*arrays, "player"));
        p->camera = std::make_unique<Camera>(45.0f, 640.0f, 360.0f, centre + glm::vec3(0, 0, 1), centre,
                                             glm::vec3(0, 1, 0), 0.0f, 0.0f);
        p->windowWidth = 640;
        p->windowHeight = 360;
        p->window = window;
        objects.push_back(p);
        player = p;
        return p;
    }

    // One game frame at 60 Hz: the physics step, then the player's update.
    void frame(double dt = 1.0 / 60.0)
    {
        physics->stepSimulation(dt);
        player->update(dt);
        showContacts(*player);
    }
    // What the game does with the player's contacts after the level update.
    void showContacts(const PlayerObject& p)
    {
        if (p.contacts.win)
            menu.showWin();
        if (p.contacts.gameOver)
            menu.showGameOver();
    }
    void frames(int n)
    {
        for (int i = 0; i < n; ++i)
            frame();
    }

    glm::vec3 velocity() const
    {
        const btVector3 v = player->rigidBody->getLinearVelocity();
        return {v.x(), v.y(), v.z()};
    }
    glm::vec3 position() const
    {
        btTransform t;
        player->rigidBody->getMotionState()->getWorldTransform(t);
        return {t.getOrigin().x(), t.getOrigin().y(), t.getOrigin().z()};
    }

    GLFWwindow* window;
    FakeInput input;
    std::deque<MeshArrays> kept;
    std::vector<std::unique_ptr<btTriangleMesh>> triangleMeshes;
    Shader phong;
    Shader depth;
    Shader menuProgram;
    Material material;
    gl::Texture colour;
    gl::Texture flatNormals;
    std::unique_ptr<PhysicsWorld> physics;
    MenuState menu;
    std::vector<ImportObject*> objects; // owned unless handed to a Level
    PlayerObject* player = nullptr;
};
