#pragma once

// What the GL tests share: programs, meshes, worlds of real objects, the shipped level, read-back.

#include "app/MenuState.h"
#include "app/ShadowItems.h"
#include "core/Input.h"
#include "import/AssimpLoader.h"
#include "physics/PhysicsWorld.h"
#include "physics/BulletMath.h"
#include "physics/RigidBody.h"
#include "render/Shader.h"
#include "scene/Camera.h"
#include "scene/Level.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/PlayerObject.h"
#include "support/GlContext.h"

#include <glm/gtc/matrix_transform.hpp>
#include <unistd.h>

#include <array>
#include <climits>
#include <deque>
#include <set>
#include <stdexcept>
#include <tuple>

inline std::string shaderPath(const std::string& file) { return QUARRYSTACK_SOURCE_DIR "/Shader/" + file; }
inline std::unique_ptr<Shader> gameProgram(const std::string& name)
{
    return std::make_unique<Shader>(shaderPath(name + ".vert"), shaderPath(name + ".frag"));
}

using Rgba = std::array<uint8_t, 4>;

// A 2D texture, or the window's back buffer (640 × 360) for texture 0; rows bottom-up.
struct Texels {
    int width = 640, height = 360;
    std::vector<Rgba> rgba;
    Rgba at(int x, int y) const { return rgba[size_t(y * width + x)]; }
};
inline Texels readBack(GLuint texture = 0)
{
    Texels t;
    glBindTexture(GL_TEXTURE_2D, texture);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (texture) {
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.height);
        t.rgba.resize(size_t(t.width * t.height));
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, t.rgba.data());
        return t;
    }
    t.rgba.resize(size_t(t.width * t.height));
    glReadPixels(0, 0, t.width, t.height, GL_RGBA, GL_UNSIGNED_BYTE, t.rgba.data());
    return t;
}
// The window's framebuffer bound and cleared to black, depth test on as the game has it.
inline void clearScreen()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, 640, 360);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
inline gl::Texture solidTexture(uint8_t r, uint8_t g, uint8_t b)
{
    gl::Texture texture = gl::Texture::create();
    const uint8_t pixel[4] = {r, g, b, 255};
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// One mesh as the importer hands it over: flat arrays and triangle corners.
struct MeshArrays {
    std::vector<float> positions, normals, uvs, tangents;
    std::vector<uint32_t> indices;

    glm::vec3 vertex(uint32_t i) const { return {positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]}; }
    // A quad with outward normal n = u × v / |u × v| (counter-clockwise seen from the front), the
    // tangent along u, centre c.
    MeshArrays& addFace(const glm::vec3& c, const glm::vec3& n, const glm::vec3& u, const glm::vec3& v)
    {
        const auto base = uint32_t(positions.size() / 3);
        const glm::vec3 corner[4] = {c - u - v, c + u - v, c + u + v, c - u + v}, t = glm::normalize(u);
        for (int i = 0; i < 4; ++i) {
            positions.insert(positions.end(), {corner[i].x, corner[i].y, corner[i].z});
            normals.insert(normals.end(), {n.x, n.y, n.z});
            uvs.insert(uvs.end(), {float(i == 1 || i == 2), float(i >= 2)});
            tangents.insert(tangents.end(), {t.x, t.y, t.z, 1.0f});
        }
        indices.insert(indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
        return *this;
    }
};
inline MeshArrays boxArrays(const glm::vec3& half)
{
    const glm::vec3 x(half.x, 0, 0), y(0, half.y, 0), z(0, 0, half.z);
    return MeshArrays()
        .addFace(x, {1, 0, 0}, -z, y).addFace(-x, {-1, 0, 0}, z, y).addFace(y, {0, 1, 0}, x, -z)
        .addFace(-y, {0, -1, 0}, x, z).addFace(z, {0, 0, 1}, x, y).addFace(-z, {0, 0, -1}, -x, y);
}
// A square in the plane y = 0 facing +y; u runs along +x, v along -z.
inline MeshArrays squareArrays(float half) { return MeshArrays().addFace({}, {0, 1, 0}, {half, 0, 0}, {0, 0, -half}); }

struct FakeInput final : input::Backend {
    int key(GLFWwindow*, int key) override { return pressed.count(key) ? GLFW_PRESS : GLFW_RELEASE; }
    void cursorPos(GLFWwindow*, double* x, double* y) override { *x = cursor.x, *y = cursor.y; }
    void setCursorPos(GLFWwindow*, double x, double y) override { cursor = {x, y}; }
    bool focused(GLFWwindow*) override { return focus; }

    std::set<int> pressed;
    glm::dvec2 cursor{0.0};
    bool focus = false;
};

// Programs, a material, flat textures, a physics world and the objects made in it (owned by the
// level, once made). Objects go before the physics owner; the meshes outlive both.
class SceneWorld {
public:
    explicit SceneWorld(GLFWwindow* window) : window(window)
    {
        // As the game wires it: the level's objects (or, before there is a level, those made so far)
        // take their part of every physics sub-step.
        physics->preStep = [this](double dt) {
            if (level)
                level->step(dt);
            for (const auto& object : objects)
                object->step(dt);
        };
        menu.startPlay();
        input::setBackend(&input);
    }
    ~SceneWorld()
    {
        input::setBackend(nullptr);
        physics.reset();
        level.reset();
        objects.clear();
    }

    // The mesh as the import hands it over; `textures` (material, colour, normals) replace defaults.
    MeshData meshData(MeshArrays a, const std::string& name, std::array<GLuint, 3> textures = {0, 0, 0})
    {
        return MeshData{name,
                        std::move(a.positions),
                        std::move(a.normals),
                        std::move(a.uvs),
                        std::move(a.tangents),
                        std::move(a.indices),
                        textures[0] ? textures[0] : material.getUniformBuffer(),
                        textures[1] ? textures[1] : GLuint(colour),
                        textures[2] ? textures[2] : GLuint(flatNormals)};
    }
    template <typename T>
    T* add(std::unique_ptr<T> object)
    {
        T* raw = object.get();
        objects.push_back(std::move(object));
        return raw;
    }
    ImportObject* addMesh(const std::string& name, MeshArrays arrays, const glm::mat4& matrix, int mass,
                          std::array<GLuint, 3> textures = {0, 0, 0})
    {
        return add(std::make_unique<ImportObject>(matrix, &phong, &depth, nullptr, physics.get(), mass,
                                                  meshData(std::move(arrays), name, textures)));
    }
    // The player as the import and set-up wire it: a 1 × 1.8 box of mass 1, a camera at angles 0.
    PlayerObject* addPlayer(const glm::vec3& centre, const glm::mat4& rotation = glm::mat4(1.0f))
    {
        player = add(std::make_unique<PlayerObject>(glm::translate(glm::mat4(1.0f), centre) * rotation, &phong,
                                                    &depth, nullptr, physics.get(),
                                                    meshData(boxArrays({0.5f, 0.9f, 0.5f}), "player")));
        player->camera = std::make_unique<Camera>(45.0f, 640.0f, 360.0f, centre + glm::vec3(0, 0, 1), centre,
                                                  glm::vec3(0, 1, 0), 0.0f, 0.0f);
        player->windowWidth = 640;
        player->windowHeight = 360;
        player->window = window;
        return player;
    }
    // A level over the objects made so far, which it then owns, and these lights in this order;
    // returns the level's lights.
    std::vector<Light*> makeLevel(const std::vector<Light>& lights)
    {
        LevelAssets assets;
        assets.objects = std::move(objects);
        level = std::make_unique<Level>(&phong, std::move(assets));
        for (const Light& light : lights)
            level->addLight(std::make_unique<Light>(light));
        return level->getLights();
    }
    // The light's cube map rendered from the level's objects, as the game's shadow pass does.
    void renderShadow(ShadowMap& map, Light& light)
    {
        light.depthMap = static_cast<GLint>(map.render(shadowLightOf(light), shadowCastersOf(*level)));
    }
    // A game frame: the physics step, then the level's update (or the player's, without a level),
    // and the pictures its contacts raise.
    void frame(double dt = 1.0 / 60.0)
    {
        if (player)
            player->contacts = PlayerContacts{};
        physics->stepSimulation(dt);
        if (level)
            level->update(dt);
        else if (player)
            player->update(dt);
        if (player && player->contacts.win)
            menu.showWin();
        if (player && player->contacts.gameOver)
            menu.showGameOver();
    }
    void frames(int n)
    {
        for (int i = 0; i < n; ++i)
            frame();
    }
    // Puts a body at `position`, upright and at rest, the way a reload puts it back.
    void place(btRigidBody* body, const glm::vec3& position)
    {
        physics->resetBody(*static_cast<RigidBody*>(body), glm::translate(glm::mat4(1.0f), position));
    }

    GLFWwindow* window;
    FakeInput input;
    Shader phong{shaderPath("PhongCombined.vert"), shaderPath("PhongCombined.frag")};
    Shader depth{shaderPath("shadowMapOmniFirstPass.vert"), shaderPath("shadowMapOmniFirstPass.geom"),
                 shaderPath("shadowMapOmniFirstPass.frag")};
    Material material{glm::vec4(0.8f), glm::vec4(0.2f, 0.2f, 0.2f, 1), glm::vec4(0.0f), glm::vec4(0, 0, 0, 1), 0, 2};
    gl::Texture colour = solidTexture(200, 200, 200), flatNormals = solidTexture(128, 128, 255);
    std::unique_ptr<PhysicsWorld> physics = std::make_unique<PhysicsWorld>();
    MenuState menu;
    std::vector<std::unique_ptr<ImportObject>> objects; // until a level takes them
    std::unique_ptr<Level> level;
    PlayerObject* player = nullptr;
};

// A GL test with a world, made as soon as the context is, so that members may use GL too.
class WorldTest : public GlTest {
protected:
    WorldTest() : world(std::make_unique<SceneWorld>(sharedGlContext())) {}
    std::unique_ptr<SceneWorld> world;
};

inline glm::vec3 toVec(const btVector3& v) { return {v.x(), v.y(), v.z()}; }
inline glm::vec3 positionOf(const btRigidBody* body) { return toVec(body->getWorldTransform().getOrigin()); }

// The shipped level through the game's own loader, with the built-in lights B then A.
class ShippedLevel : public SceneWorld {
public:
    explicit ShippedLevel(GLFWwindow* window) : SceneWorld(window)
    {
        char previous[PATH_MAX];
        if (!getcwd(previous, sizeof previous) || chdir(QUARRYSTACK_SOURCE_DIR) != 0)
            throw std::runtime_error("ShippedLevel: cannot enter the source directory");
        loader = std::make_unique<AssimpLoader>(&phong, &depth, physics.get());
        const aiScene* scene = loader->load("Data/LevelFinal.dae");
        if (scene && loader->loadTextures(scene, {"Textures/new/"}))
            level = loader->createLevel(scene, 640.0f, 360.0f, window);
        if (chdir(previous) != 0 || !level || !level->player)
            throw std::runtime_error("ShippedLevel: the level did not load");
        player = level->player;
        level->addLight(std::make_unique<Light>(glm::vec3(0.0f, 54.0f, 0.0f), glm::vec3(1.0f), 150.0f));
        lightA = level->addLight(std::make_unique<Light>(glm::vec3(4.0f), glm::vec3(1.0f), 2.0f));
        reload(); // as the game's first frame after the welcome picture
    }
    // The game's teardown order: bodies, objects, and the loader's meshes last.
    ~ShippedLevel()
    {
        physics.reset();
        level.reset();
    }
    // The reload after a menu: every object back in place, then one update.
    void reload(double dt = 1.0 / 60.0)
    {
        for (ImportObject* object : level->getObjects())
            object->reset();
        level->update(dt);
    }
    btRigidBody* body(const std::string& name) const
    {
        for (ImportObject* o : level->getObjects())
            if (o->mesh.name == name)
                return o->rigidBody;
        throw std::runtime_error("ShippedLevel: no object " + name);
    }
    glm::vec3 playerAt() const { return positionOf(player->rigidBody); }

    Light* lightA = nullptr; // the level's, the last added
    std::unique_ptr<AssimpLoader> loader;
};
