#pragma once

// What the GL tests share: programs, meshes, worlds of real objects, the shipped level, read-back.

#include "app/MenuState.h"
#include "app/Renderer.h"
#include "app/Settings.h"
#include "app/World.h"
#include "physics/BulletMath.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "render/Program.h"
#include "scene/Camera.h"
#include "scene/Level.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/PlayerObject.h"
#include "support/GlContext.h"

#include <glm/gtc/matrix_transform.hpp>

#include <array>
#include <deque>
#include <filesystem>
#include <stdexcept>

inline const std::string sourceDir = QUARRYSTACK_SOURCE_DIR "/";

template <typename T> T valueOrThrow(Result<T> result)
{
    if (!result)
        throw std::runtime_error(result.failure().message + "\n" + result.failure().detail);
    return std::move(result.value());
}

// The game's renderer over the source tree's programs and pictures, one for
// the whole test program: building them takes a while on a software rasteriser.
inline Renderer& sharedRenderer()
{
    static const std::unique_ptr<Renderer> renderer = valueOrThrow(Renderer::load(sourceDir, 640, 360));
    return *renderer;
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

inline glm::mat4 translation(const glm::vec3& v) { return glm::translate(glm::mat4(1.0f), v); }

// One mesh as the importer hands it over: flat arrays and triangle corners.
struct MeshArrays {
    std::vector<float> positions, normals, uvs, tangents;
    std::vector<uint32_t> indices;

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
        .addFace(x, {1, 0, 0}, -z, y)
        .addFace(-x, {-1, 0, 0}, z, y)
        .addFace(y, {0, 1, 0}, x, -z)
        .addFace(-y, {0, -1, 0}, x, z)
        .addFace(z, {0, 0, 1}, x, y)
        .addFace(-z, {0, 0, -1}, -x, y);
}
// A square in the plane y = 0 facing +y; u runs along +x, v along -z.
inline MeshArrays squareArrays(float half) { return MeshArrays().addFace({}, {0, 1, 0}, {half, 0, 0}, {0, 0, -half}); }

// The game's world and renderer, with a material and flat textures for meshes
// made by hand: objects join the level as they are made, and frames run the
// world as a game frame does. The keys and the mouse come from `input`.
class SceneWorld {
public:
    explicit SceneWorld(GLFWwindow* window, std::unique_ptr<World> made = std::make_unique<World>())
        : window(window), world(std::move(made))
    {
        menu.startPlay();
        input::setBackend(&input);
        settings.bloom = false;
        settings.frustumCulling = false;
    }
    ~SceneWorld() { input::setBackend(nullptr); }

    PhysicsWorld& physics() { return world->physics(); }
    Level& level() { return world->level(); }
    PlayerObject* player() const { return world->player(); }
    VertexLayout layout() const { return renderer.vertexLayout(); }

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
    template <typename T> T* add(std::unique_ptr<T> object) { return static_cast<T*>(level().add(std::move(object))); }
    MeshObject* addMesh(const std::string& name, MeshArrays arrays, const glm::mat4& matrix, int mass,
                        std::array<GLuint, 3> textures = {0, 0, 0})
    {
        return add(std::make_unique<MeshObject>(matrix, layout(), nullptr, physics(), mass,
                                                meshData(std::move(arrays), name, textures)));
    }
    // The player as the import and set-up wire it: a 1 × 1.8 box of mass 1, a camera at angles 0.
    PlayerObject* addPlayer(const glm::vec3& centre)
    {
        PlayerObject* player = add(std::make_unique<PlayerObject>(translation(centre), layout(), nullptr, physics(),
                                                                  meshData(boxArrays({0.5f, 0.9f, 0.5f}), "player")));
        player->camera = std::make_unique<Camera>(tuning::verticalFieldOfView, 640.0f, 360.0f,
                                                  centre + glm::vec3(0, 0, 1), centre, glm::vec3(0, 1, 0), 0.0f, 0.0f);
        player->windowWidth = 640;
        player->windowHeight = 360;
        player->window = window;
        return player;
    }
    // These lights join the level in this order; returns the level's lights.
    std::vector<Light*> addLights(const std::vector<Light>& lights)
    {
        for (const Light& light : lights)
            level().addLight(std::make_unique<Light>(light));
        return level().getLights();
    }
    // The scene pass as a game frame draws it, from `camera` (in `viewer`) with `settings`.
    Texels draw(const Camera& camera, const MeshObject* viewer = nullptr)
    {
        clearScreen();
        glEnable(GL_CULL_FACE);
        renderer.renderScene(level(), camera, viewer, settings, physics());
        return readBack();
    }
    // A game frame's simulation: the physics step, the world's update and the
    // pictures its contacts raise.
    void frame(double dt = 1.0 / 60.0)
    {
        world->step(dt);
        world->update();
        if (player() && player()->contacts.win)
            menu.showWin();
        if (player() && player()->contacts.gameOver)
            menu.showGameOver();
    }
    void frames(int n)
    {
        for (int i = 0; i < n; ++i)
            frame();
    }
    // Puts a body at `position`, upright and at rest, the way a reload puts it back.
    void place(RigidBody* body, const glm::vec3& position) { physics().resetBody(*body, translation(position)); }

    GLFWwindow* window;
    FakeInput input;
    Renderer& renderer = sharedRenderer();
    Settings settings; // of the scene pass: no bloom and no culling unless a test asks
    Material material{glm::vec4(0.8f), glm::vec4(0.2f, 0.2f, 0.2f, 1), glm::vec4(0.0f), glm::vec4(0, 0, 0, 1), 0, 2};
    gl::Texture colour = solidTexture(200, 200, 200), flatNormals = solidTexture(128, 128, 255);
    std::unique_ptr<World> world;
    MenuState menu;
};

// A GL test with a world, made as soon as the context is, so that members may use GL too.
class WorldTest : public GlTest {
protected:
    WorldTest() : world(std::make_unique<SceneWorld>(sharedGlContext())) {}
    std::unique_ptr<SceneWorld> world;
};

inline glm::vec3 toVec(const btVector3& v) { return {v.x(), v.y(), v.z()}; }
inline glm::vec3 positionOf(const btRigidBody* body) { return toVec(body->getWorldTransform().getOrigin()); }

// A level file as the game loads it (the shipped level unless named, its path
// from the source folder), the built-in lights after the file's; unless not
// `reloaded`, as the game's first frame after the welcome picture finds it.
class LoadedLevel : public SceneWorld {
public:
    explicit LoadedLevel(GLFWwindow* window, const std::string& file = "Data/LevelFinal.dae", bool reloaded = true)
        : SceneWorld(window, load(window, file)), errors(std::move(loadErrors))
    {
        if (reloaded)
            reload();
    }
    // The reload after a menu: every object back in place, then one update.
    void reload() { world->reset(), world->update(); }
    // The object of that name; of a node with several meshes, the one at `index`.
    MeshObject& object(const std::string& name, size_t index = 0)
    {
        for (MeshObject* o : level().getObjects())
            if (o->mesh.name == name && index-- == 0)
                return *o;
        throw std::runtime_error("LoadedLevel: no object " + name);
    }
    RigidBody* body(const std::string& name) { return object(name).rigidBody; }
    glm::vec3 playerAt() const { return positionOf(player()->rigidBody); }

    std::string errors; // what the load wrote on standard error

private:
    inline static std::string loadErrors; // the last load's, for the constructor
    static std::unique_ptr<World> load(GLFWwindow* window, const std::string& file)
    {
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(QUARRYSTACK_SOURCE_DIR); // the game reads its data from where it runs
        testing::internal::CaptureStderr();
        Result<std::unique_ptr<World>> loaded = World::load(file, sharedRenderer().vertexLayout(), window, 640, 360);
        loadErrors = testing::internal::GetCapturedStderr();
        std::filesystem::current_path(previous);
        return valueOrThrow(std::move(loaded));
    }
};
