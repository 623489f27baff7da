#include "render/ShadowMap.h"

#include "app/ShadowItems.h"
#include "scene/Level.h"
#include "scene/Light.h"

#include "RenderTarget.h"
#include "SceneWorld.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>

namespace {

// A quad with corners c − u − v, c + u − v, c + u + v, c − u + v whose front
// faces u × v.
void addQuad(MeshArrays& mesh, const glm::vec3& c, const glm::vec3& u, const glm::vec3& v)
{
    mesh.addFace(c, glm::normalize(glm::cross(u, v)), u, v);
}

struct Box {
    glm::vec3 low, high;

    // Whether the segment a→b passes through the box grown by `margin`.
    bool blocks(const glm::vec3& a, const glm::vec3& b, float margin) const
    {
        float t0 = 0.0f, t1 = 1.0f;
        for (int axis = 0; axis < 3; ++axis) {
            const float d = b[axis] - a[axis];
            const float lo = low[axis] - margin, hi = high[axis] + margin;
            if (std::abs(d) < 1e-9f) {
                if (a[axis] < lo || a[axis] > hi)
                    return false;
                continue;
            }
            float ta = (lo - a[axis]) / d, tb = (hi - a[axis]) / d;
            if (ta > tb)
                std::swap(ta, tb);
            t0 = std::max(t0, ta);
            t1 = std::min(t1, tb);
            if (t0 > t1)
                return false;
        }
        return true;
    }
};

class ShadowScene : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        world = std::make_unique<SceneWorld>(window);
        grey = std::make_unique<Material>(glm::vec4(0.6f, 0.6f, 0.6f, 1.0f), glm::vec4(0.0f), glm::vec4(0.0f),
                                          glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), 1.0f, 0);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }

    void TearDown() override
    {
        level.reset();
        world.reset();
    }

    void addObject(MeshArrays mesh, const std::string& name, const glm::vec3& at = glm::vec3(0.0f))
    {
        world->addMesh(name, std::move(mesh), glm::translate(glm::mat4(1.0f), at), 0,
                       {grey->getUniformBuffer(), 0, 0});
    }

    // A level of the objects made so far (which it then owns) and `lights`.
    void makeLevel(const std::vector<Light*>& lights)
    {
        level = std::make_unique<Level>(glm::mat4(1.0f), &world->phong, world->objects, std::vector<Light*>{},
                                        std::vector<Material*>{}, nullptr);
        world->objects.clear();
        for (Light* light : lights)
            level->addLight(light);
    }

    std::unique_ptr<ShadowMap> shadowMap() { return std::make_unique<ShadowMap>(&world->depth); }
    // The game's shadow pass for one light over the level's objects.
    void renderShadow(ShadowMap& map, Light& light)
    {
        light.depthMap = static_cast<GLint>(map.render(shadowLightOf(light), shadowCastersOf(*level)));
    }

    // One lit frame the way the game draws it, into `target`.
    Image litFrame(const RenderTarget& target, const glm::mat4& view, const glm::mat4& projection, int shadows)
    {
        target.bind();
        glEnable(GL_CULL_FACE);
        const GLuint program = world->phong.program;
        glUseProgram(program);
        glUniform1i(glGetUniformLocation(program, "normalMapping"), 1);
        glUniform1i(glGetUniformLocation(program, "shadowMapping"), shadows);
        glUniformMatrix4fv(glGetUniformLocation(program, "viewMatrix"), 1, GL_FALSE, glm::value_ptr(view));
        glUniformMatrix4fv(glGetUniformLocation(program, "projectionMatrix"), 1, GL_FALSE,
                           glm::value_ptr(projection));
        level->draw(nullptr);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return Image::ofTexture(target.color);
    }

    std::unique_ptr<SceneWorld> world;
    std::unique_ptr<Material> grey;
    std::unique_ptr<Level> level;
};

// Face images of the depth cube map as floats, rows bottom-up.
std::vector<float> readFace(GLuint cubeMap, int face)
{
    std::vector<float> texels(256 * 256);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT, GL_FLOAT, texels.data());
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return texels;
}

constexpr float farDistance = 100.0f;

} // namespace

// Six walls facing the light at six distances: each face's centre texel holds
// the distance to its own wall, encoded as distance / far.
TEST_F(ShadowScene, EachFaceHoldsTheDistanceToItsWall)
{
    const glm::vec3 l(1.0f, 2.0f, 3.0f);
    const float distances[6] = {2, 3, 4, 5, 6, 7};
    const glm::vec3 axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    MeshArrays walls;
    for (int face = 0; face < 6; ++face) {
        const glm::vec3 a = axes[face];
        const glm::vec3 side = std::abs(a.y) > 0.5f ? glm::vec3(1, 0, 0) : glm::vec3(0, 1, 0);
        const glm::vec3 other = glm::cross(a, side);
        // u × v = −a: the wall faces the light.
        addQuad(walls, l + a * distances[face], other * 20.0f, side * 20.0f);
    }
    addObject(walls, "walls");
    Light light(l, glm::vec3(1.0f), 1.0f);
    makeLevel({&light});
    ShadowMap shadowMap(&world->depth);
    renderShadow(shadowMap, light);

    EXPECT_EQ(light.depthMap, static_cast<GLint>(shadowMap.cubeMap.id()));
    EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(glInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_CUBE_MAP), 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 256);
    EXPECT_EQ(viewport[3], 256);

    for (int face = 0; face < 6; ++face) {
        const std::vector<float> texels = readFace(shadowMap.cubeMap, face);
        // Texel (128, 128) looks 1/512 of a face off the axis.
        EXPECT_NEAR(texels[128 * 256 + 128] * farDistance, distances[face], 0.01f) << "face " << face;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A quad five units along +X that covers only part of the face: texels whose
// direction misses it keep the cleared depth, and the others hold the
// distance along their own ray. This pins the face's orientation to the one a
// cube lookup uses: s grows towards −z, t towards −y.
TEST_F(ShadowScene, FaceImageMatchesCubeLookupDirections)
{
    const glm::vec3 l(1.0f, 2.0f, 3.0f);
    MeshArrays quad;
    // y from l.y − 1 to l.y + 4, z from l.z − 1 to l.z + 4, facing −X.
    addQuad(quad, l + glm::vec3(5.0f, 1.5f, 1.5f), {0, 0, 2.5f}, {0, 2.5f, 0});
    addObject(quad, "quad");
    Light light(l, glm::vec3(1.0f), 1.0f);
    makeLevel({&light});
    ShadowMap shadowMap(&world->depth);
    renderShadow(shadowMap, light);

    const std::vector<float> texels = readFace(shadowMap.cubeMap, 0);
    const struct {
        int s, t;
        bool covered;
    } rows[] = {{128, 128, true}, {128, 64, true}, {40, 128, true}, {40, 64, true},
                {128, 240, false}, {240, 128, false}, {20, 20, false}, {128, 10, false}};
    for (const auto& row : rows) {
        const float sc = 2.0f * (row.s + 0.5f) / 256.0f - 1.0f;
        const float tc = 2.0f * (row.t + 0.5f) / 256.0f - 1.0f;
        // The face spans 2·atan(1024/1023): a texel looks a little wider.
        const glm::vec3 ray(1.0f, -tc * 1024.0f / 1023.0f, -sc * 1024.0f / 1023.0f);
        const float expected = row.covered ? 5.0f * glm::length(ray) : farDistance;
        EXPECT_NEAR(texels[static_cast<size_t>(row.t * 256 + row.s)] * farDistance, expected, 0.01f)
            << "texel " << row.s << ", " << row.t;
    }
}

namespace {

struct LightCase {
    const char* name;
    glm::vec3 light;
    float power;
};

const LightCase lightCases[] = {
    {"high", {-1.5f, 4.0f, -1.8f}, 6.0f},
    {"beside", {3.0f, 2.5f, 1.0f}, 3.0f},
    {"low and far", {-4.5f, 1.2f, 3.5f}, 5.0f},
};

// A unit box standing on a floor, seen from above, lit by one light.
class BoxOnFloor : public ShadowScene {
protected:
    static constexpr int width = 400;
    static constexpr int height = 300;

    void SetUp() override
    {
        ShadowScene::SetUp();
        target = std::make_unique<RenderTarget>(width, height);
        MeshArrays floor;
        addQuad(floor, {0, 0, 0}, {0, 0, 9}, {9, 0, 0});
        addObject(floor, "slab");
        addObject(boxArrays((box.high - box.low) * 0.5f), "crate", (box.low + box.high) * 0.5f);
    }

    glm::ivec2 pixelOf(const glm::vec3& p) const
    {
        const glm::vec4 clip = projection * view * glm::vec4(p, 1.0f);
        return {static_cast<int>(std::floor((clip.x / clip.w + 1.0f) * 0.5f * width)),
                static_cast<int>(std::floor((clip.y / clip.w + 1.0f) * 0.5f * height))};
    }

    // Renders with `light` (whose cube map is rendered already) and checks
    // the floor: wherever the box surely hides the light the floor is dark,
    // wherever it surely does not, shadows change nothing (no acne at any
    // angle, no seams between cube faces), and the shadow touches the box.
    void expectCleanFloorAndAttachedShadow(Light& light, const LightCase& c)
    {
        light.power = c.power;
        const Image shadowed = litFrame(*target, view, projection, 1);
        const Image plain = litFrame(*target, view, projection, 0);
        light.power = 0.0f;
        const Image unlit = litFrame(*target, view, projection, 0);
        light.power = c.power;

        // Grown and shrunk by more than two texels' width at the box.
        const float margin = 0.04f + 2.5f * glm::length(c.light - glm::vec3(0, 0.5f, 0)) * 2.0f / 256.0f;
        int litPoints = 0, darkPoints = 0, acne = 0, missing = 0;
        for (float x = -8.0f; x <= 8.0f; x += 0.1f)
            for (float z = -8.0f; z <= 8.0f; z += 0.1f) {
                const glm::vec3 p(x, 0.0f, z);
                if (box.blocks(eye, p, 0.1f))
                    continue; // the camera sees the box here
                const glm::ivec2 px = pixelOf(p);
                if (px.x < 1 || px.y < 1 || px.x >= width - 1 || px.y >= height - 1)
                    continue;
                const int withShadows = shadowed.red(px.x, px.y), without = plain.red(px.x, px.y);
                const int ambient = unlit.red(px.x, px.y);
                if (!box.blocks(p, c.light, margin)) {
                    ++litPoints;
                    if (std::abs(withShadows - without) > 2 && ++acne <= 5)
                        ADD_FAILURE() << "lit floor darkened at " << x << ", " << z << ": " << withShadows
                                      << " instead of " << without;
                } else if (box.blocks(p, c.light, -margin) && without - ambient > 8) {
                    ++darkPoints;
                    if (withShadows - ambient > (without - ambient) / 4 && ++missing <= 5)
                        ADD_FAILURE() << "shadow missing at " << x << ", " << z << ": " << withShadows << " of "
                                      << without << " (unlit " << ambient << ")";
                }
            }
        EXPECT_EQ(acne, 0);
        EXPECT_EQ(missing, 0);
        EXPECT_GT(litPoints, 5000);
        EXPECT_GT(darkPoints, 20);

        // Right behind the box, a tenth of a unit from its foot.
        const glm::vec2 away = -glm::normalize(glm::vec2(c.light.x, c.light.z));
        const glm::vec3 foot = std::abs(away.x) > std::abs(away.y)
                                   ? glm::vec3(away.x > 0 ? 0.6f : -0.6f, 0.0f, 0.0f)
                                   : glm::vec3(0.0f, 0.0f, away.y > 0 ? 0.6f : -0.6f);
        ASSERT_FALSE(box.blocks(eye, foot, 0.0f));
        ASSERT_TRUE(box.blocks(foot, c.light, 0.0f));
        const glm::ivec2 fp = pixelOf(foot);
        const int footLight = plain.red(fp.x, fp.y) - unlit.red(fp.x, fp.y);
        EXPECT_GT(footLight, 8);
        EXPECT_LE(shadowed.red(fp.x, fp.y) - unlit.red(fp.x, fp.y), footLight / 4)
            << "at the foot " << foot.x << ", " << foot.z;
    }

    const Box box{{-0.5f, 0.0f, -0.5f}, {0.5f, 1.0f, 0.5f}};
    std::unique_ptr<RenderTarget> target; // made once the context exists
    const glm::vec3 eye{0.5f, 11.0f, 7.0f};
    const glm::mat4 view = glm::lookAt(eye, glm::vec3(0.0f), glm::vec3(0, 1, 0));
    const glm::mat4 projection = glm::perspective(glm::radians(60.0f), float(width) / height, 0.1f, 50.0f);
};

} // namespace

TEST_F(BoxOnFloor, FloorIsCleanAndTheShadowIsAttached)
{
    Light light(glm::vec3(0.0f), glm::vec3(1.0f), 1.0f);
    makeLevel({&light});
    ShadowMap shadowMap(&world->depth);
    for (const LightCase& c : lightCases) {
        SCOPED_TRACE(c.name);
        light.position = c.light;
        light.updateShadowTransforms();
        renderShadow(shadowMap, light);
        expectCleanFloorAndAttachedShadow(light, c);
    }
}

// Five lights on units 2 to 6, each with its own cube map. Only one shines at
// a time; the others sit under the floor, where their maps see almost
// nothing, so a light that read another light's map would lose its shadow.
TEST_F(BoxOnFloor, EachLightReadsItsOwnCubeMap)
{
    std::vector<std::unique_ptr<Light>> lights;
    for (int i = 0; i < 5; ++i)
        lights.push_back(std::make_unique<Light>(glm::vec3(2.0f * i - 4.0f, -2.0f, 0.0f), glm::vec3(1.0f), 0.0f));
    makeLevel({lights[0].get(), lights[1].get(), lights[2].get(), lights[3].get(), lights[4].get()});
    std::vector<std::unique_ptr<ShadowMap>> shadowMaps;
    for (int i = 0; i < 5; ++i)
        shadowMaps.push_back(shadowMap());

    const LightCase& c = lightCases[1];
    for (int active = 0; active < 5; ++active) {
        SCOPED_TRACE("light " + std::to_string(active) + " on unit " + std::to_string(lights[active]->unit));
        for (int i = 0; i < 5; ++i) {
            lights[i]->position = i == active ? c.light : glm::vec3(2.0f * i - 4.0f, -2.0f, 0.0f);
            lights[i]->power = 0.0f;
            lights[i]->updateShadowTransforms();
            renderShadow(*shadowMaps[i], *lights[i]);
        }
        expectCleanFloorAndAttachedShadow(*lights[active], c);
        lights[active]->power = 0.0f;
    }
}

// Only units 2 to 6 carry cube maps: a light on any other unit casts no
// shadow, and neither does a light whose map was never rendered.
TEST_F(BoxOnFloor, LightsWithoutAShadowUnitCastNoShadow)
{
    const LightCase& c = lightCases[1];
    Light light(c.light, glm::vec3(1.0f), c.power);
    makeLevel({&light});
    const auto map = shadowMap();
    renderShadow(*map, light);
    const Image plain = litFrame(*target, view, projection, 0);
    const glm::ivec2 foot = pixelOf({-0.6f, 0.0f, 0.0f});
    ASSERT_LT(litFrame(*target, view, projection, 1).red(foot.x, foot.y), plain.red(foot.x, foot.y));
    for (int32_t unit : {-1, 0, 1, 7, 9}) {
        light.unit = unit;
        const Image image = litFrame(*target, view, projection, 1);
        EXPECT_EQ(image.pixels, plain.pixels) << "unit " << unit;
    }
    light.unit = 2;
    light.depthMap = -1; // the level binds no cube map on unit 2
    EXPECT_EQ(litFrame(*target, view, projection, 1).pixels, plain.pixels);
}
