#include "scene/Level.h"

#include "scene/Light.h"
#include "scene/ViewFrustum.h"

#include "SceneWorld.h"
#include "TestImages.h"

#include <glm/gtc/type_ptr.hpp>

#include <array>
#include <memory>
#include <vector>

namespace {

using Pixel = std::array<uint8_t, 4>;

int brightness(const Pixel& p) { return p[0] + p[1] + p[2]; }

void drainGlErrors()
{
    while (glGetError() != GL_NO_ERROR) {
    }
}

// A fragment program with the lit program's samplers in which every cube
// sampler is live: `pick` chooses which one shows, 0 shows the colour texture.
const char* const cubeProbeSource = R"(#version 330 core
uniform sampler2D colorTexture;
uniform sampler2D normal_map;
uniform samplerCube depth_map;
uniform samplerCube depth_map2;
uniform samplerCube depth_map3;
uniform samplerCube depth_map4;
uniform samplerCube depth_map5;
uniform int pick;
in vec2 texCoord;
out vec4 fragColor;
void main()
{
    vec3 d = vec3(1.0, 0.0, 0.0);
    if (pick == 1) fragColor = texture(depth_map, d);
    else if (pick == 2) fragColor = texture(depth_map2, d);
    else if (pick == 3) fragColor = texture(depth_map3, d);
    else if (pick == 4) fragColor = texture(depth_map4, d);
    else if (pick == 5) fragColor = texture(depth_map5, d);
    else fragColor = texture(colorTexture, texCoord) + 0.0 * texture(normal_map, texCoord);
}
)";

class LitPassTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        world = std::make_unique<SceneWorld>(window);
        frustum.cullingEnabled = false;
        glfwGetFramebufferSize(window, &width, &height);
        // Looking straight down on the origin from 12 units up, +x to the right.
        view = lookAt({0, 12, 0}, {0, 0, 0}, {0, 0, -1});
        projection = perspective(1.0f, static_cast<float>(width) / static_cast<float>(height), 0.1f, 100.0f);
    }

    void TearDown() override
    {
        level.reset();
        world.reset();
    }

    // A Level over the world's objects and copies of `lights`, which it then
    // owns; returns its lights.
    std::vector<Light*> makeLevel(Shader* program, const std::vector<Light>& lights)
    {
        LevelAssets assets;
        for (ImportObject* object : world->objects)
            assets.objects.emplace_back(object);
        world->objects.clear();
        level = std::make_unique<Level>(program, std::move(assets));
        for (const Light& light : lights)
            level->addLight(std::make_unique<Light>(light));
        level->setTextureFilter(GL_LINEAR);
        return level->getLights();
    }

    // What the scene pass does before the Level's lit pass.
    void drawFrame(Shader& program, int normalMapping = 1, int shadowMapping = 0)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, width, height);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUseProgram(program.program);
        glUniformMatrix4fv(glGetUniformLocation(program.program, "viewMatrix"), 1, GL_FALSE, glm::value_ptr(view));
        glUniformMatrix4fv(glGetUniformLocation(program.program, "projectionMatrix"), 1, GL_FALSE,
                           glm::value_ptr(projection));
        glUniform1i(glGetUniformLocation(program.program, "normalMapping"), normalMapping);
        glUniform1i(glGetUniformLocation(program.program, "shadowMapping"), shadowMapping);
        glUseProgram(0);
        level->draw(&frustum);
        glFinish();
    }

    Pixel pixelAt(const glm::vec3& world)
    {
        const glm::vec4 clip = projection * view * glm::vec4(world, 1.0f);
        const glm::vec3 ndc = glm::vec3(clip) / clip.w;
        const int x = static_cast<int>((ndc.x * 0.5f + 0.5f) * static_cast<float>(width));
        const int y = static_cast<int>((ndc.y * 0.5f + 0.5f) * static_cast<float>(height));
        Pixel p{};
        glReadBuffer(GL_BACK);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
        return p;
    }

    // A grey 20 × 20 floor quad at y = 0 with the given material and normal map.
    ImportObject* floorQuad(Material& material, GLuint normalMap)
    {
        return world->addMesh("quad", squareArrays(10.0f), glm::mat4(1.0f), 0,
                              {material.getUniformBuffer(), world->colour, normalMap});
    }

    // Light 0 over the origin, light 9 over x = 6, the eight others below the
    // floor where they light nothing but still take their uniform slots.
    std::vector<Light> tenLights()
    {
        std::vector<Light> lights;
        lights.emplace_back(glm::vec3(0, 2, 0), glm::vec3(1, 1, 1), 0.8f);
        for (int i = 1; i < 9; ++i)
            lights.emplace_back(glm::vec3(i, -5, 0), glm::vec3(1, 1, 1), 50.0f);
        lights.emplace_back(glm::vec3(6, 1, 0), glm::vec3(1, 1, 1), 0.3f);
        return lights;
    }

    std::unique_ptr<SceneWorld> world;
    std::unique_ptr<Level> level;
    ViewFrustum frustum;
    int width = 0;
    int height = 0;
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
};

Material litMaterial(int textureCount, const glm::vec4& diffuse = glm::vec4(0.8f, 0.8f, 0.8f, 1.0f))
{
    // No ambient colour, so what shows is the lights' doing.
    return Material(diffuse, glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), glm::vec4(0.0f), glm::vec4(0.0f, 0.0f, 0.0f, 1.0f),
                    0.0f, textureCount);
}

// Lights 11 and 12 shine at x = -6; only the first ten reach the program.
TEST_F(LitPassTest, BrightnessFallsWithDistanceFromTheFirstTenLights)
{
    Material material = litMaterial(2);
    floorQuad(material, world->flatNormals);
    auto lights = tenLights();
    lights.emplace_back(glm::vec3(-6, 1, 0), glm::vec3(1, 1, 1), 5.0f);
    lights.emplace_back(glm::vec3(-6, 1, 0), glm::vec3(1, 1, 1), 5.0f);
    makeLevel(&world->phong, lights);
    EXPECT_EQ(level->getLightCount(), 12);
    drainGlErrors();
    drawFrame(world->phong);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    int previous = 1000;
    for (float x : {0.0f, 0.75f, 1.5f, 2.25f, 3.0f}) {
        const int b = brightness(pixelAt({x, 0, 0}));
        EXPECT_LT(b, previous) << "at x = " << x;
        previous = b;
    }
    const Pixel centre = pixelAt({0, 0, 0});
    EXPECT_GT(brightness(centre), 3 * 60) << "under the light";
    EXPECT_LT(centre[0], 250) << "not burnt out";
    EXPECT_EQ(centre[0], centre[1]) << "white light on a grey texture stays grey";
    // Falloff is symmetric around the light's foot.
    EXPECT_NEAR(brightness(pixelAt({-1.5f, 0, 0})), brightness(pixelAt({1.5f, 0, 0})), 6);
    EXPECT_NEAR(brightness(pixelAt({0, 0, 1.5f})), brightness(pixelAt({1.5f, 0, 0})), 6);

    // The tenth light makes its own bright spot.
    EXPECT_GT(brightness(pixelAt({6, 0, 0})), brightness(pixelAt({4.5f, 0, 0})) + 30);

    GLint count = -1;
    glGetUniformiv(world->phong.program, glGetUniformLocation(world->phong.program, "numberoflights"), &count);
    EXPECT_EQ(count, 10);
    EXPECT_LT(brightness(pixelAt({-6, 0, 0})), brightness(pixelAt({6, 0, 0}))) << "lights 11 and 12 are not drawn";
    GLfloat power = 0.0f, unit = 0.0f;
    glGetUniformfv(world->phong.program, glGetUniformLocation(world->phong.program, "light[9].power"), &power);
    glGetUniformfv(world->phong.program, glGetUniformLocation(world->phong.program, "light[9].unit"), &unit);
    EXPECT_FLOAT_EQ(power, 4.0f * 0.3f);
    EXPECT_FLOAT_EQ(unit, 11.0f);
}

// A tangent-space normal leaning towards +u (+x on the quad) brightens the
// side of the light where the surface now leans towards it and darkens the
// other; with one texture the normal map is not read.
TEST_F(LitPassTest, NormalMapTiltsTheShadingOnlyWithTheSecondTexture)
{
    gl::Texture tilted = solidTexture(191, 128, 238);
    auto lights = tenLights();
    for (int textureCount : {2, 1}) {
        SCOPED_TRACE(textureCount);
        Material material = litMaterial(textureCount);
        floorQuad(material, tilted);
        makeLevel(&world->phong, lights);
        drawFrame(world->phong, 0);
        const int offLeft = brightness(pixelAt({-1.5f, 0, 0}));
        const int offRight = brightness(pixelAt({1.5f, 0, 0}));
        drawFrame(world->phong, 1);
        const int onLeft = brightness(pixelAt({-1.5f, 0, 0}));
        const int onRight = brightness(pixelAt({1.5f, 0, 0}));
        if (textureCount == 2) {
            EXPECT_GT(onLeft, offLeft + 15);
            EXPECT_LT(onRight, offRight - 15);
        } else {
            EXPECT_EQ(onLeft, offLeft);
            EXPECT_EQ(onRight, offRight);
        }
    }
}

TEST_F(LitPassTest, DiffuseColourWithoutTextureAndTextureColourWithOne)
{
    gl::Texture green = solidTexture(0, 200, 0);
    Material untextured = litMaterial(0, glm::vec4(0.9f, 0.0f, 0.0f, 1.0f));
    Material textured = litMaterial(1, glm::vec4(0.9f, 0.0f, 0.0f, 1.0f));
    world->addMesh("left", squareArrays(1.0f), glm::translate(glm::mat4(1.0f), glm::vec3(-1.2f, 0, 0)), 0,
                   {untextured.getUniformBuffer(), 0, 0});
    world->addMesh("right", squareArrays(1.0f), glm::translate(glm::mat4(1.0f), glm::vec3(1.2f, 0, 0)), 0,
                   {textured.getUniformBuffer(), green, 0});
    auto lights = tenLights();
    makeLevel(&world->phong, lights);
    drawFrame(world->phong);

    const Pixel left = pixelAt({-1.2f, 0, 0});
    const Pixel right = pixelAt({1.2f, 0, 0});
    EXPECT_GT(left[0], 40);
    EXPECT_EQ(left[1], 0);
    EXPECT_GT(right[1], 40);
    EXPECT_EQ(right[0], 0);
}

TEST_F(LitPassTest, EmissiveGlowsWithoutLightAndSpecularAddsAHighlight)
{
    Material glowing(glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), glm::vec4(0.0f),
                     glm::vec4(0.0f, 0.0f, 0.5f, 1.0f), 0.0f, 0);
    world->addMesh("glow", squareArrays(1.0f), glm::translate(glm::mat4(1.0f), glm::vec3(-3, 0, 0)), 0,
                   {glowing.getUniformBuffer(), 0, 0});
    Material dull = litMaterial(0);
    Material shiny(glm::vec4(0.8f, 0.8f, 0.8f, 1.0f), glm::vec4(0.0f, 0.0f, 0.0f, 1.0f),
                   glm::vec4(1.0f, 1.0f, 1.0f, 1.0f), glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), 20.0f, 0);
    world->addMesh("dull", squareArrays(1.0f), glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, -1.2f)), 0,
                   {dull.getUniformBuffer(), 0, 0});
    world->addMesh("shiny", squareArrays(1.0f), glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, 1.2f)), 0,
                   {shiny.getUniformBuffer(), 0, 0});
    makeLevel(&world->phong, {Light({0, 3, 0}, {1, 1, 1}, 1.5f)});
    drawFrame(world->phong);

    const Pixel glow = pixelAt({-3, 0, 0});
    EXPECT_NEAR(glow[2], 128, 3);
    EXPECT_EQ(glow[0], 0);
    // Eye and light both overhead: the mirror direction points at the eye
    // near the quads' inner edges.
    EXPECT_GT(brightness(pixelAt({0, 0, 0.4f})), brightness(pixelAt({0, 0, -0.4f})) + 20);
}

TEST_F(LitPassTest, BrightColoursRollOffToWhiteWithoutClipping)
{
    // Emissive quads of rising strength and no lights: dim ones show as they
    // are, brighter ones keep their order up to full white.
    const float strengths[] = {0.3f, 1.2f, 2.0f, 3.0f, 8.0f};
    std::vector<std::unique_ptr<Material>> materials;
    for (int i = 0; i < 5; ++i) {
        materials.push_back(std::make_unique<Material>(
            glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), glm::vec4(0.0f),
            glm::vec4(strengths[i], 0.0f, 0.0f, 1.0f), 0.0f, 0));
        world->addMesh("glow", squareArrays(0.5f),
                       glm::translate(glm::mat4(1.0f), glm::vec3(-4.0f + 2.0f * static_cast<float>(i), 0, 0)), 0,
                       {materials.back()->getUniformBuffer(), 0, 0});
    }
    makeLevel(&world->phong, {});
    drawFrame(world->phong);
    int previous = 0;
    for (int i = 0; i < 5; ++i) {
        const Pixel p = pixelAt({-4.0f + 2.0f * static_cast<float>(i), 0, 0});
        EXPECT_GT(p[0], previous) << strengths[i];
        previous = p[0];
    }
    EXPECT_NEAR(pixelAt({-4, 0, 0})[0], 77, 1) << "below the shoulder nothing changes";
    EXPECT_LT(pixelAt({0, 0, 0})[0], 250) << "twice white is not yet white";
    EXPECT_EQ(pixelAt({4, 0, 0})[0], 255);
}

class CubeSamplerTest : public LitPassTest {
protected:
    void SetUp() override
    {
        LitPassTest::SetUp();
        probe = std::make_unique<Shader>(shaderDir() + "PhongCombined.vert",
                                         writeFile(dir, "probe.frag", cubeProbeSource));
    }

    // A cube map whose six faces are one colour.
    static gl::Texture solidCube(uint8_t r, uint8_t g, uint8_t b)
    {
        gl::Texture cube = gl::Texture::create();
        const uint8_t pixel[4] = {r, g, b, 255};
        glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
        for (int face = 0; face < 6; ++face)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         pixel);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        return cube;
    }

    TempDir dir{"cube-sampler"};
    std::unique_ptr<Shader> probe;
};

// No light has a cube map yet. Left at their default unit 0 the cube
// samplers would clash with the colour texture and the draw would fail.
TEST_F(CubeSamplerTest, RealLitProgramDrawsBeforeAnyShadowPass)
{
    Material material = litMaterial(2);
    floorQuad(material, world->flatNormals);
    makeLevel(&world->phong, {Light({0, 2, 0}, {1, 1, 1}, 1.0f)});
    drainGlErrors();
    drawFrame(world->phong, 1, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_GT(brightness(pixelAt({0, 0, 0})), 100);
}

TEST_F(CubeSamplerTest, EachUnitsMapReachesItsSamplerAndIsUnboundAfterwards)
{
    ImportObject* quad = world->addMesh("quad", squareArrays(10.0f), glm::mat4(1.0f), 0, {0, 0, 0}, probe.get());
    // Lights on units 2 to 6, each with a cube map of its own colour.
    const Pixel colours[5] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 0, 255},
                              {0, 255, 255, 255}};
    std::vector<gl::Texture> cubes;
    for (int i = 0; i < 5; ++i)
        cubes.push_back(solidCube(colours[i][0], colours[i][1], colours[i][2]));
    const std::vector<Light*> lights = makeLevel(probe.get(), std::vector<Light>(5, Light({0, 2, 0}, {1, 1, 1}, 1.0f)));
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(lights[i]->unit, i + 2);
        lights[i]->depthMap = static_cast<GLint>(cubes[i].id());
    }
    level->setTextureFilter(GL_NEAREST);

    // Sampler name -> the unit it reads -> the light (unit - 2) whose map shows.
    const int unitOfPick[6] = {0, 2, 4, 3, 5, 6};
    const GLint pickLocation = glGetUniformLocation(probe->program, "pick");
    for (int pick = 1; pick <= 5; ++pick) {
        SCOPED_TRACE(pick);
        glUseProgram(probe->program);
        glUniform1i(pickLocation, pick);
        drawFrame(*probe);
        const Pixel expected = colours[unitOfPick[pick] - 2];
        EXPECT_EQ(pixelAt({0, 0, 0}), expected);
    }
    GLint minFilter = 0;
    glBindTexture(GL_TEXTURE_2D, quad->mesh.colorTexture);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(minFilter, GL_NEAREST) << "the level hands its filter on";

    for (int unit = 2; unit <= 6; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
        EXPECT_EQ(bound, 0) << "unit " << unit;
    }
    glActiveTexture(GL_TEXTURE0);
}

} // namespace
