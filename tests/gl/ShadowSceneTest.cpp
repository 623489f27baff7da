#include "RenderTarget.h"

#include "physics/BulletDemo.h"
#include "render/ShadowMap.h"
#include "scene/ImportObject.h"
#include "scene/Level.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "support/GlContext.h"

#include <FreeImage.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>

namespace {

// Vertex arrays of quads; MeshData only points at them, so they live in the
// fixture as long as the objects.
struct QuadMesh {
    std::vector<float> positions, normals, uvs, tangents;
    std::vector<uint32_t> indices;
    std::vector<glm::vec3> corners;

    // Corners c − u − v, c + u − v, c + u + v, c − u + v: the front faces u × v.
    void addQuad(const glm::vec3& c, const glm::vec3& u, const glm::vec3& v)
    {
        const glm::vec3 n = glm::normalize(glm::cross(u, v));
        const glm::vec3 t = glm::normalize(u);
        const uint32_t first = static_cast<uint32_t>(positions.size() / 3);
        const glm::vec3 quad[4] = {c - u - v, c + u - v, c + u + v, c - u + v};
        const float quadUvs[8] = {0, 0, 1, 0, 1, 1, 0, 1};
        for (int i = 0; i < 4; ++i) {
            positions.insert(positions.end(), {quad[i].x, quad[i].y, quad[i].z});
            normals.insert(normals.end(), {n.x, n.y, n.z});
            uvs.insert(uvs.end(), {quadUvs[2 * i], quadUvs[2 * i + 1]});
            tangents.insert(tangents.end(), {t.x, t.y, t.z, 1.0f});
        }
        for (uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u}) {
            indices.push_back(first + i);
            corners.push_back(quad[i]);
        }
    }

    // A box with its faces turned outwards.
    void addBox(const glm::vec3& c, const glm::vec3& h)
    {
        addQuad(c + glm::vec3(h.x, 0, 0), {0, h.y, 0}, {0, 0, h.z});
        addQuad(c - glm::vec3(h.x, 0, 0), {0, 0, h.z}, {0, h.y, 0});
        addQuad(c + glm::vec3(0, h.y, 0), {0, 0, h.z}, {h.x, 0, 0});
        addQuad(c - glm::vec3(0, h.y, 0), {h.x, 0, 0}, {0, 0, h.z});
        addQuad(c + glm::vec3(0, 0, h.z), {h.x, 0, 0}, {0, h.y, 0});
        addQuad(c - glm::vec3(0, 0, h.z), {0, h.y, 0}, {h.x, 0, 0});
    }
};

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
        physics.initPhysics();
        const std::string dir = std::string(QUARRYSTACK_SOURCE_DIR) + "/Shader/";
        phong = std::make_unique<Shader>(dir + "PhongCombined.vert", dir + "PhongCombined.frag");
        depth = std::make_unique<Shader>(dir + "shadowMapOmniFirstPass.vert", dir + "shadowMapOmniFirstPass.geom",
                                         dir + "shadowMapOmniFirstPass.frag");
        debug = gameProgram("shadowMapDebugCubeShader");
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
        physics.exitPhysics();
    }

    void addObject(QuadMesh geometry, const std::string& name)
    {
        meshes.push_back(std::move(geometry));
        QuadMesh& m = meshes.back();
        physicsMeshes.push_back(std::make_unique<btTriangleMesh>());
        for (size_t i = 0; i < m.corners.size(); i += 3)
            physicsMeshes.back()->addTriangle({m.corners[i].x, m.corners[i].y, m.corners[i].z},
                                              {m.corners[i + 1].x, m.corners[i + 1].y, m.corners[i + 1].z},
                                              {m.corners[i + 2].x, m.corners[i + 2].y, m.corners[i + 2].z});
        MeshData data;
        data.materialBuffer = grey->getUniformBuffer();
        data.positions = m.positions.data();
        data.normals = m.normals.data();
        data.uvs = m.uvs.data();
        data.tangents = m.tangents.data();
        data.indices = m.indices.data();
        data.vertexCount = static_cast<uint32_t>(m.positions.size() / 3);
        data.faceCount = static_cast<uint32_t>(m.indices.size() / 3);
        data.name = name;
        objects.push_back(new ImportObject(glm::mat4(1.0f), phong.get(), depth.get(), nullptr,
                                           physicsMeshes.back().get(), &physics, 0, m.corners, data));
    }

    // The level takes the objects made so far (and owns them), and the light.
    void makeLevel(Light& light)
    {
        level = std::make_unique<Level>(glm::mat4(1.0f), phong.get(), objects, std::vector<Light*>{},
                                        std::vector<Material*>{}, nullptr);
        level->addLight(&light);
    }

    // One lit frame the way the game draws it, into `target`.
    Image litFrame(const RenderTarget& target, const glm::mat4& view, const glm::mat4& projection, int shadows)
    {
        target.bind();
        glEnable(GL_CULL_FACE);
        const GLuint program = phong->program;
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

    BulletDemo physics;
    std::unique_ptr<Shader> phong, depth, debug;
    std::unique_ptr<Material> grey;
    std::deque<QuadMesh> meshes;
    std::vector<std::unique_ptr<btTriangleMesh>> physicsMeshes;
    std::vector<ImportObject*> objects;
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

void writeImage(const Image& image, const std::string& path)
{
    FIBITMAP* bitmap = FreeImage_Allocate(image.width, image.height, 24);
    for (int y = 0; y < image.height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < image.width; ++x) {
            const auto px = image.at(x, y);
            row[3 * x + FI_RGBA_RED] = static_cast<BYTE>(px[0]);
            row[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>(px[1]);
            row[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>(px[2]);
        }
    }
    FreeImage_Save(FIF_PNG, bitmap, path.c_str());
    FreeImage_Unload(bitmap);
}

} // namespace

// Six walls facing the light at six distances: each face's centre texel holds
// the distance to its own wall, encoded as distance / far.
TEST_F(ShadowScene, EachFaceHoldsTheDistanceToItsWall)
{
    const glm::vec3 l(1.0f, 2.0f, 3.0f);
    const float distances[6] = {2, 3, 4, 5, 6, 7};
    const glm::vec3 axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    QuadMesh walls;
    for (int face = 0; face < 6; ++face) {
        const glm::vec3 a = axes[face];
        const glm::vec3 side = std::abs(a.y) > 0.5f ? glm::vec3(1, 0, 0) : glm::vec3(0, 1, 0);
        const glm::vec3 other = glm::cross(a, side);
        // u × v = −a: the wall faces the light.
        walls.addQuad(l + a * distances[face], other * 20.0f, side * 20.0f);
    }
    addObject(walls, "walls");
    Light light(l, glm::vec3(1.0f), 1.0f);
    makeLevel(light);
    ShadowMap shadowMap(debug.get(), depth.get(), level.get());
    shadowMap.render(light);

    EXPECT_EQ(light.depthMap, static_cast<GLint>(shadowMap.cubeMap.id()));
    GLint value = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &value);
    EXPECT_EQ(value, 0);
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
    QuadMesh quad;
    // y from l.y − 1 to l.y + 4, z from l.z − 1 to l.z + 4, facing −X.
    quad.addQuad(l + glm::vec3(5.0f, 1.5f, 1.5f), {0, 0, 2.5f}, {0, 2.5f, 0});
    addObject(quad, "quad");
    Light light(l, glm::vec3(1.0f), 1.0f);
    makeLevel(light);
    ShadowMap shadowMap(debug.get(), depth.get(), level.get());
    shadowMap.render(light);

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
        QuadMesh floor;
        floor.addQuad({0, 0, 0}, {0, 0, 9}, {9, 0, 0});
        addObject(floor, "slab");
        QuadMesh boxMesh;
        boxMesh.addBox((box.low + box.high) * 0.5f, (box.high - box.low) * 0.5f);
        addObject(boxMesh, "crate");
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

        if (const char* dir = std::getenv("QUARRYSTACK_SHADOW_DUMP"))
            writeImage(shadowed, std::string(dir) + "/" + c.name + ".png");
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
    makeLevel(light);
    ShadowMap shadowMap(debug.get(), depth.get(), level.get());
    for (const LightCase& c : lightCases) {
        SCOPED_TRACE(c.name);
        light.position = c.light;
        light.updateShadowTransforms();
        shadowMap.render(light);
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
    level = std::make_unique<Level>(glm::mat4(1.0f), phong.get(), objects, std::vector<Light*>{},
                                    std::vector<Material*>{}, nullptr);
    for (auto& light : lights)
        level->addLight(light.get());
    std::vector<std::unique_ptr<ShadowMap>> shadowMaps;
    for (int i = 0; i < 5; ++i)
        shadowMaps.push_back(std::make_unique<ShadowMap>(debug.get(), depth.get(), level.get()));

    const LightCase& c = lightCases[1];
    for (int active = 0; active < 5; ++active) {
        SCOPED_TRACE("light " + std::to_string(active) + " on unit " + std::to_string(lights[active]->unit));
        for (int i = 0; i < 5; ++i) {
            lights[i]->position = i == active ? c.light : glm::vec3(2.0f * i - 4.0f, -2.0f, 0.0f);
            lights[i]->power = 0.0f;
            lights[i]->updateShadowTransforms();
            shadowMaps[i]->render(*lights[i]);
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
    makeLevel(light);
    ShadowMap shadowMap(debug.get(), depth.get(), level.get());
    shadowMap.render(light);
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
