// The level's lit pass with the game's programs: lights, materials and shadows.

#include "Fixture.h"

#include "render/ShadowPass.h"

#include <algorithm>
#include <cmath>

namespace {

// Straight down on the origin from 12 up, +x to the right; or at a slant for the shadows.
const glm::vec3 eye{0.5f, 11.0f, 7.0f};
const glm::mat4 views[2] = {glm::lookAt(glm::vec3(0, 12, 0), glm::vec3(0.0f), glm::vec3(0, 0, -1)),
                            glm::lookAt(eye, glm::vec3(0.0f), glm::vec3(0, 1, 0))};
const glm::mat4 projections[2] = {glm::perspective(1.0f, 640.0f / 360.0f, 0.1f, 100.0f),
                                  glm::perspective(glm::radians(60.0f), 640.0f / 360.0f, 0.1f, 50.0f)};

// No ambient colour, so what shows is the lights' doing.
Material litMaterial(int textureCount, const glm::vec4& diffuse = glm::vec4(0.8f), const glm::vec4& specular = {},
                     float shininess = 0, const glm::vec4& emissive = {0, 0, 0, 1})
{
    return Material(diffuse, glm::vec4(0, 0, 0, 1), specular, emissive, shininess, textureCount);
}

class Lighting : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        clearScreen(); // the depth test on, as the game keeps it for the shadow pass too
        glEnable(GL_CULL_FACE);
    }
    void quad(Material& material, float half, const glm::vec3& at, GLuint colour = 0, GLuint normals = 0)
    {
        world->addMesh("quad", squareArrays(half), translation(at), 0, {material.getUniformBuffer(), colour, normals});
    }
    // The scene pass from one of the two views.
    Texels draw(bool shadowMapping = false, bool slanted = false)
    {
        Camera camera(1.0f, 640.0f, 360.0f, glm::vec3(0, 0, 1), glm::vec3(0), glm::vec3(0, 1, 0), 0.0f, 0.0f);
        camera.viewMatrix = views[slanted];
        camera.projectionMatrix = projections[slanted];
        world->settings.shadowMapping = shadowMapping;
        world->level().setTextureFilter(GL_LINEAR); // the test textures have no mipmap levels
        return screen = world->draw(camera);
    }
    static glm::ivec2 pixelOf(const glm::vec3& p, bool slanted = false)
    {
        const glm::vec4 clip = projections[slanted] * views[slanted] * glm::vec4(p, 1);
        return {int(std::floor((clip.x / clip.w + 1) * 320)), int(std::floor((clip.y / clip.w + 1) * 180))};
    }
    Rgba at(float x, float z) const { return screen.at(pixelOf({x, 0, z}).x, pixelOf({x, 0, z}).y); }
    int bright(float x, float z) const { return at(x, z)[0] + at(x, z)[1] + at(x, z)[2]; }

    Texels screen;
};

// Light 0 over the origin, light 9 over x = 6, lights 1 to 8 under the floor
// (taking their slots), 10 and 11 over x = -6: only ten reach the program.
TEST_F(Lighting, BrightnessFallsWithDistanceFromTheFirstTenLights)
{
    Material material = litMaterial(2);
    quad(material, 10.0f, {}, 0, world->flatNormals);
    std::vector<Light> lights = {Light({0, 2, 0}, glm::vec3(1), 0.8f)};
    for (int i = 1; i < 9; ++i)
        lights.emplace_back(glm::vec3(i, -5, 0), glm::vec3(1), 5.0f);
    for (const float x : {6.0f, -6.0f, -6.0f})
        lights.emplace_back(glm::vec3(x, 1, 0), glm::vec3(1), x > 0 ? 0.3f : 5.0f);
    world->addLights(lights);
    draw();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    for (const float x : {0.75f, 1.5f, 2.25f, 3.0f})
        EXPECT_LT(bright(x, 0), bright(x - 0.75f, 0)) << x;
    EXPECT_GT(bright(6, 0), bright(4.5f, 0) + 30) << "the tenth light";
    EXPECT_LT(bright(-6, 0), bright(6, 0)) << "the eleventh and twelfth";
}

// The diffuse colour without a texture, the texture's with one; emissive quads
// unchanged when dim, in order up to full white when bright.
TEST_F(Lighting, MaterialColoursAndTheRollOffToWhite)
{
    const gl::Texture green = solidTexture(0, 200, 0);
    Material red = litMaterial(0, {0.9f, 0, 0, 1}), redTextured = litMaterial(1, {0.9f, 0, 0, 1});
    quad(red, 1, {5, 0, -1.2f});
    quad(redTextured, 1, {5, 0, 1.2f}, green);
    std::deque<Material> glowing;
    const float strengths[5] = {0.3f, 1.2f, 2.0f, 3.0f, 8.0f};
    for (int i = 0; i < 5; ++i)
        quad(glowing.emplace_back(litMaterial(0, {0, 0, 0, 1}, {}, 0, {strengths[i], 0, 0, 1})), 0.5f,
             {-4.0f + 2.0f * float(i), 0, -4.5f});
    world->addLights({Light({5, 2, -1.2f}, glm::vec3(1), 0.8f), Light({5, 2, 1.2f}, glm::vec3(1), 0.8f)});
    draw();
    EXPECT_GT(at(5, -1.2f)[0], 40);
    EXPECT_EQ(at(5, -1.2f)[1], 0);
    EXPECT_GT(at(5, 1.2f)[1], 40);
    EXPECT_EQ(at(5, 1.2f)[0], 0);
    for (int i = 1; i < 5; ++i)
        EXPECT_GT(at(-4.0f + 2.0f * float(i), -4.5f)[0], at(-6.0f + 2.0f * float(i), -4.5f)[0]) << i;
    EXPECT_NEAR(at(-4, -4.5f)[0], 77, 1) << "below the shoulder nothing changes";
    EXPECT_LT(at(0, -4.5f)[0], 250) << "twice white is not yet white";
    EXPECT_EQ(at(4, -4.5f)[0], 255);
}

// A unit box on a floor seen at a slant, lit by lights whose cube maps are rendered.
class BoxShadow : public Lighting {
protected:
    void SetUp() override
    {
        Lighting::SetUp();
        quad(grey, 9, {});
        world->addMesh("crate", boxArrays(glm::vec3(0.5f)), translation({0, 0.5f, 0}), 0,
                       {grey.getUniformBuffer(), 0, 0});
    }
    // Whether the segment a→b passes through the box grown by `margin`.
    static bool blocked(const glm::vec3& a, const glm::vec3& b, float margin)
    {
        float t0 = 0, t1 = 1;
        for (int i = 0; i < 3; ++i) {
            const float low = (i == 1 ? 0.0f : -0.5f) - margin, high = (i == 1 ? 1.0f : 0.5f) + margin;
            const float ta = (low - a[i]) / (b[i] - a[i]), tb = (high - a[i]) / (b[i] - a[i]); // ±inf when parallel
            t0 = std::max(t0, std::min(ta, tb));
            t1 = std::min(t1, std::max(ta, tb));
        }
        return t0 <= t1;
    }
    // Wherever the box surely hides the light the floor is dark; wherever it
    // surely does not, shadows change nothing (no acne, no seams between
    // faces); and the shadow touches the box at `foot`.
    void expectCleanFloorAndAttachedShadow(Light& light, float power, const glm::vec3& footAt)
    {
        light.power = power;
        const Texels shadowed = draw(true, true), plain = draw(false, true);
        light.power = 0;
        const Texels unlit = draw(false, true);
        light.power = power;
        // Grown and shrunk by more than two texels' width at the box.
        const float margin = 0.04f + 5.0f * glm::length(light.position - glm::vec3(0, 0.5f, 0)) / 256.0f;
        int lit = 0, dark = 0, acne = 0, missing = 0;
        for (float x = -8; x <= 8; x += 0.1f)
            for (float z = -8; z <= 8; z += 0.1f) {
                const glm::vec3 p(x, 0, z);
                const glm::ivec2 px = pixelOf(p, true);
                if (blocked(eye, p, 0.1f) || px.x < 1 || px.y < 1 || px.x >= 639 || px.y >= 359)
                    continue;
                const int with = shadowed.at(px.x, px.y)[0], without = plain.at(px.x, px.y)[0];
                const int ambient = unlit.at(px.x, px.y)[0];
                if (!blocked(p, light.position, margin))
                    acne += ++lit && std::abs(with - without) > 2;
                else if (blocked(p, light.position, -margin) && without - ambient > 8)
                    missing += ++dark && with - ambient > (without - ambient) / 4;
            }
        EXPECT_EQ(acne, 0) << "lit floor darkened";
        EXPECT_EQ(missing, 0) << "shadow missing";
        EXPECT_GT(lit, 5000);
        EXPECT_GT(dark, 20);
        const glm::ivec2 foot = pixelOf(footAt, true);
        const int footLight = plain.at(foot.x, foot.y)[0] - unlit.at(foot.x, foot.y)[0];
        EXPECT_GT(footLight, 8);
        EXPECT_LE(shadowed.at(foot.x, foot.y)[0] - unlit.at(foot.x, foot.y)[0], footLight / 4) << "detached";
    }
    Material grey = litMaterial(0, {0.6f, 0.6f, 0.6f, 1}, {}, 1);
};

// Five lights on units 2 to 6, each with its own cube map; one shines at a time, from one of three
// places, the others' maps see almost nothing: a sampler on the wrong unit loses the shadow.
TEST_F(BoxShadow, EachLightReadsItsOwnCubeMapAndItsShadowIsCleanAndAttached)
{
    const struct {
        glm::vec3 position;
        float power;
        glm::vec3 foot; // a tenth beyond the box's side away from the light
    } rows[] = {
        {{-1.5f, 4, -1.8f}, 6, {0, 0, 0.6f}}, {{3, 2.5f, 1}, 3, {-0.6f, 0, 0}}, {{-4.5f, 1.2f, 3.5f}, 5, {0.6f, 0, 0}}};
    const std::vector<Light*> lights = world->addLights(std::vector<Light>(5, Light(glm::vec3(0), glm::vec3(1), 0)));
    for (size_t active = 0; active < 5; ++active) {
        const auto& row = rows[active % 3];
        SCOPED_TRACE("unit " + std::to_string(lights[active]->unit));
        for (size_t i = 0; i < 5; ++i) {
            lights[i]->position = i == active ? row.position : glm::vec3(2.0f * float(i) - 4, -2, 0);
            lights[i]->updateShadowTransforms();
        }
        world->renderer.renderShadows(world->level(), false);
        expectCleanFloorAndAttachedShadow(*lights[active], row.power, row.foot);
        lights[active]->power = 0;
    }
}

// Only units 2 to 6 carry cube maps: a light on any other unit casts no shadow.
TEST_F(BoxShadow, LightsWithoutAShadowUnitCastNoShadow)
{
    Light& light = *world->addLights({Light({3, 2.5f, 1}, glm::vec3(1), 3)}).front();
    world->renderer.renderShadows(world->level(), false);
    const Texels plain = draw(false, true);
    const glm::ivec2 foot = pixelOf({-0.6f, 0, 0}, true);
    ASSERT_LT(draw(true, true).at(foot.x, foot.y)[0], plain.at(foot.x, foot.y)[0]);
    for (const int unit : {-1, 0, 1, 7})
        EXPECT_EQ((light.unit = unit, draw(true, true).rgba), plain.rgba) << "unit " << unit;
}

// Where there is no geometry stage (the browser), the shadow maps are drawn a
// face at a time: the shipped level's five maps come out as the layered pass
// draws them, texel for texel.
TEST(ShadowFaces, DrawnOneAtATimeTheyMatchTheLayeredPass)
{
    LoadedLevel level(sharedGlContext());
    clearScreen(); // the depth test on, as the game keeps it
    const std::string shaders = sourceDir + "Shader/";
    ShadowPass layered(valueOrThrow(loadProgram(shaders, "shadowMapOmniFirstPass", true)), 1, true);
    ShadowPass faces(
        valueOrThrow(loadProgramFiles(shaders + "shadowMapOmniFace.vert", shaders + "shadowMapOmniFirstPass.frag")), 1,
        false);
    ASSERT_EQ(faces.positionLocation(), level.layout().shadowPosition); // the meshes' arrays feed both
    const std::vector<ShadowCaster> casters = level.level().shadowCasters();
    const auto depths = [](GLuint cubeMap) {
        std::vector<float> texels(6 * ShadowPass::size * ShadowPass::size);
        glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
        for (GLenum face = 0; face < 6; ++face)
            glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                          &texels[face * ShadowPass::size * ShadowPass::size]);
        return texels;
    };
    const std::vector<Light*> lights = level.level().getLights();
    for (size_t i = 0; i < 5; ++i) {
        lights[i]->updateShadowTransforms(); // as each game frame does, after the camera's light moved
        const std::vector<float> expected = depths(layered.render(0, lights[i]->shadowLight(), casters));
        ASSERT_LT(*std::min_element(expected.begin(), expected.end()), 0.5f) << "light " << i << " sees nothing";
        EXPECT_EQ(depths(faces.render(0, lights[i]->shadowLight(), casters)), expected) << "light " << i;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
