#include "scene/ImportObject.h"
#include "scene/Level.h"

#include "scene/ViewFrustum.h"
#include "support/TempDir.h"

#include "SceneWorld.h"
#include "TestImages.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace {

void expectMatrixNear(const glm::mat4& actual, const glm::mat4& expected, float tolerance)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << "column " << c << ", row " << r;
}

// The whole buffer, as values of type T.
template <typename T> std::vector<T> bufferContents(GLuint buffer)
{
    GLint size = 0;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    std::vector<T> values(static_cast<size_t>(size) / sizeof(T));
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, size, values.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return values;
}

GLint textureParameter(GLuint texture, GLenum name)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

struct AttributeState {
    GLint enabled = 0, components = 0, buffer = 0, type = 0, normalised = -1, stride = -1;
};

AttributeState attribute(GLuint location)
{
    AttributeState s;
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &s.enabled);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &s.components);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &s.buffer);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_TYPE, &s.type);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &s.normalised);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &s.stride);
    return s;
}

// A square of side 1 in the plane z = 0 facing +z: four vertices, two triangles.
MeshArrays unitSquare()
{
    MeshArrays square;
    square.addFace({0, 0, 0}, {0, 0, 1}, {0.5f, 0, 0}, {0, 0.5f, 0});
    return square;
}

class ImportObjectTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        world = std::make_unique<SceneWorld>(window);
        material = std::make_unique<Material>(glm::vec4(0.8f, 0.8f, 0.8f, 1.0f), glm::vec4(5.0f, 5.0f, 5.0f, 1.0f),
                                              glm::vec4(0.0f), glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), 0.0f, 1);
        colorTexture = solidTexture(255, 0, 0);
    }
    void TearDown() override { world.reset(); }

    // A red square whose ambient 5 × 0.2 lets the colour texture through
    // unchanged when no light shines.
    ImportObject* make(const glm::mat4& matrix, int mass, const std::string& name = "square",
                       Shader* lit = nullptr, ImportObject* parent = nullptr)
    {
        return world->addMesh(name, unitSquare(), matrix, mass,
                              {material->getUniformBuffer(), colorTexture, world->flatNormals}, lit, parent);
    }

    // The lit program as the level leaves it before an object draws, with
    // identity view and projection: object space is clip space.
    void prepareLitPass()
    {
        int width = 0, height = 0;
        glfwGetFramebufferSize(window, &width, &height);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, width, height);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const GLuint phong = world->phong.program;
        glUseProgram(phong);
        const glm::mat4 identity(1.0f);
        glUniformMatrix4fv(glGetUniformLocation(phong, "viewMatrix"), 1, GL_FALSE, &identity[0][0]);
        glUniformMatrix4fv(glGetUniformLocation(phong, "projectionMatrix"), 1, GL_FALSE, &identity[0][0]);
        glUniform1i(glGetUniformLocation(phong, "numberoflights"), 0);
        // The level gives each shadow cube sampler its own unit; left on unit 0
        // they would clash with the colour texture and every draw would fail.
        const char* const cubeSamplers[5] = {"depth_map", "depth_map3", "depth_map2", "depth_map4", "depth_map5"};
        for (int i = 0; i < 5; ++i)
            glUniform1i(glGetUniformLocation(phong, cubeSamplers[i]), 2 + i);
        centre = {width / 2, height / 2};
    }

    Rgba pixel(int x, int y)
    {
        glFinish();
        Rgba p{};
        glReadBuffer(GL_BACK);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
        return p;
    }

    // The cube |x|, |y|, |z| < 1 that identity view and projection see.
    static ViewFrustum clipBox()
    {
        ViewFrustum frustum;
        extractFrustumPlanes(frustum, glm::mat4(1.0f), glm::mat4(1.0f));
        return frustum;
    }

    std::unique_ptr<SceneWorld> world;
    std::unique_ptr<Material> material;
    gl::Texture colorTexture;
    glm::ivec2 centre{0};
};

const Rgba red{255, 0, 0, 255};
const Rgba black{0, 0, 0, 255};

} // namespace

TEST_F(ImportObjectTest, BuffersHoldTheMesh)
{
    ImportObject* object = make(glm::mat4(1.0f), 0);
    const MeshArrays& square = world->kept.back();
    EXPECT_EQ(bufferContents<float>(object->positionBuffer), square.positions);
    EXPECT_EQ(bufferContents<float>(object->normalBuffer), square.normals);
    EXPECT_EQ(bufferContents<float>(object->uvBuffer), square.uvs);
    EXPECT_EQ(bufferContents<float>(object->tangentBuffer), square.tangents);
    EXPECT_EQ(bufferContents<uint32_t>(object->indexBuffer), square.indices);
    EXPECT_EQ(object->getFaceCount(), 2u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ImportObjectTest, VertexArraysFeedTheLitAttributesAndOnlyVpOfTheDepthProgram)
{
    // The lit program may leave an attribute unused (and so without a
    // location); this one keeps all four alive.
    const TempDir dir("import-object");
    Shader allAttributes(writeFile(dir, "all.vert", R"(#version 330 core
in vec3 position;
in vec3 normal;
in vec2 uv;
in vec4 tangent;
out vec4 mixed;
void main()
{
    mixed = vec4(normal, 1.0) + vec4(uv, 0.0, 0.0) + tangent;
    gl_Position = vec4(position, 1.0);
}
)"),
                         writeFile(dir, "all.frag", "#version 330 core\nin vec4 mixed;\nout vec4 fragColor;\n"
                                                    "void main() { fragColor = mixed; }\n"));
    ImportObject* object = make(glm::mat4(1.0f), 0, "square", &allAttributes);
    const struct {
        const char* name;
        GLint components;
        GLuint buffer;
    } rows[] = {{"position", 3, object->positionBuffer},
                {"normal", 3, object->normalBuffer},
                {"uv", 2, object->uvBuffer},
                {"tangent", 4, object->tangentBuffer}};
    glBindVertexArray(object->vao);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const GLint location = glGetAttribLocation(allAttributes.program, row.name);
        ASSERT_GE(location, 0);
        const AttributeState s = attribute(GLuint(location));
        EXPECT_EQ(s.enabled, GL_TRUE);
        EXPECT_EQ(s.components, row.components);
        EXPECT_EQ(GLuint(s.buffer), row.buffer);
        EXPECT_EQ(s.type, GL_FLOAT);
        EXPECT_EQ(s.normalised, GL_FALSE);
        EXPECT_EQ(s.stride, 0);
    }
    GLint elements = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
    EXPECT_EQ(GLuint(elements), object->indexBuffer.id());

    EXPECT_EQ(object->getDepthVao(), object->depthVao.id());
    EXPECT_NE(object->getDepthVao(), object->vao.id());
    const GLint vp = glGetAttribLocation(world->depth.program, "vp");
    ASSERT_GE(vp, 0);
    glBindVertexArray(object->getDepthVao());
    const AttributeState s = attribute(GLuint(vp));
    EXPECT_EQ(s.enabled, GL_TRUE);
    EXPECT_EQ(s.components, 3);
    EXPECT_EQ(GLuint(s.buffer), object->positionBuffer.id());
    GLint maxAttributes = 0;
    glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &maxAttributes);
    for (GLint location = 0; location < maxAttributes; ++location) {
        if (location != vp) {
            EXPECT_EQ(attribute(GLuint(location)).enabled, GL_FALSE) << "attribute " << location;
        }
    }
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
    EXPECT_EQ(GLuint(elements), object->indexBuffer.id());
    glBindVertexArray(0);

    GLint arrayBuffer = -1, vertexArray = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_EQ(arrayBuffer, 0);
    EXPECT_EQ(vertexArray, 0);
}

TEST_F(ImportObjectTest, BindsMaterialBlockAndLooksUpUniforms)
{
    ImportObject* object = make(glm::mat4(1.0f), 0);
    const GLuint phong = world->phong.program;
    const GLuint block = glGetUniformBlockIndex(phong, "Material");
    ASSERT_NE(block, GL_INVALID_INDEX);
    GLint binding = -1;
    glGetActiveUniformBlockiv(phong, block, GL_UNIFORM_BLOCK_BINDING, &binding);
    EXPECT_EQ(binding, 2);

    EXPECT_EQ(object->modelMatrixLocation, glGetUniformLocation(phong, "modelMatrix"));
    EXPECT_EQ(object->colorTextureLocation, glGetUniformLocation(phong, "colorTexture"));
    EXPECT_EQ(object->normalMapLocation, glGetUniformLocation(phong, "normal_map"));
    EXPECT_GE(object->modelMatrixLocation, 0);
    EXPECT_GE(object->colorTextureLocation, 0);

    // The depth program has none of the lit attributes and no Material block.
    glGetError();
    ImportObject* plain = make(glm::mat4(1.0f), 0, "plain", &world->depth);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(plain->modelMatrixLocation, -1);
}

TEST_F(ImportObjectTest, KeepsMatrixPartsMeshSphereAndChildren)
{
    const glm::mat4 matrix = glm::translate(glm::mat4(1.0f), {1.0f, 2.0f, 3.0f}) *
                             glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), {0.0f, 1.0f, 0.0f}) *
                             glm::scale(glm::mat4(1.0f), {2.0f, 3.0f, 4.0f});
    ImportObject* parent = make(glm::mat4(1.0f), 0, "parent");
    ImportObject* object = make(matrix, 0, "child", nullptr, parent);
    const MeshArrays& square = world->kept.back();

    EXPECT_EQ(object->modelMatrix, matrix);
    EXPECT_EQ(object->initialModelMatrix, matrix);
    EXPECT_EQ(object->parent, parent);
    EXPECT_NEAR(object->scale.x, 2.0f, 1e-5f);
    EXPECT_NEAR(object->scale.y, 3.0f, 1e-5f);
    EXPECT_NEAR(object->scale.z, 4.0f, 1e-5f);
    EXPECT_EQ(object->scale.w, 0.0f);
    const glm::quat expected = glm::angleAxis(glm::radians(90.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_NEAR(std::fabs(glm::dot(object->orientation, expected)), 1.0f, 1e-5f);

    EXPECT_EQ(object->triangleCorners, square.corners());
    EXPECT_EQ(object->boundingSphere.center, glm::vec3(0.0f));
    EXPECT_NEAR(object->boundingSphere.radius, std::sqrt(0.5f), 1e-6f);

    ASSERT_NE(object->rigidBody, nullptr);
    EXPECT_EQ(object->rigidBody->name, "child");
    EXPECT_EQ(object->rigidBody->getCollisionShape(), object->collisionShape);

    ImportObject* other = make(glm::mat4(1.0f), 0, "other");
    parent->addChild(object);
    std::vector<ImportObject*> children = parent->getChildren();
    ASSERT_EQ(children, std::vector<ImportObject*>{object});
    children.push_back(other);
    children[0] = other;
    EXPECT_EQ(parent->getChildren(), std::vector<ImportObject*>{object}) << "getChildren returns a copy";
    EXPECT_TRUE(object->getChildren().empty());
}

TEST_F(ImportObjectTest, UpdateFollowsTheBodyAndResetPutsItBackStill)
{
    const glm::mat4 matrix = glm::translate(glm::mat4(1.0f), {1.0f, 2.0f, 3.0f}) *
                             glm::rotate(glm::mat4(1.0f), glm::radians(30.0f), {1.0f, 0.0f, 0.0f}) *
                             glm::scale(glm::mat4(1.0f), {2.0f, 5.0f, 3.0f});
    ImportObject* object = make(matrix, 0);
    object->modelMatrix = glm::mat4(1.0f);
    object->update(0.016);
    expectMatrixNear(object->modelMatrix, matrix, 1e-5f);
    EXPECT_FLOAT_EQ(object->maxScale, 5.0f);

    // The body moves: the model matrix follows, the scale stays.
    btTransform moved;
    moved.setIdentity();
    moved.setOrigin({-4.0f, 0.5f, 7.0f});
    object->rigidBody->getMotionState()->setWorldTransform(moved);
    object->update(0.016);
    expectMatrixNear(object->modelMatrix,
                     glm::translate(glm::mat4(1.0f), {-4.0f, 0.5f, 7.0f}) * glm::scale(glm::mat4(1.0f), {2.0f, 5.0f, 3.0f}),
                     1e-5f);
    object->reset();
    object->update(0.0);
    expectMatrixNear(object->modelMatrix, matrix, 1e-5f);

    const glm::mat4 high = glm::translate(glm::mat4(1.0f), {0.0f, 10.0f, 0.0f});
    ImportObject* dynamic = make(high, 1, "dynamicSquare");
    for (int i = 0; i < 30; ++i)
        world->physics->stepSimulation(1.0 / 60.0);
    dynamic->update(0.0);
    ASSERT_LT(dynamic->modelMatrix[3][1], 9.5f) << "the object should have fallen";
    dynamic->reset();
    dynamic->update(0.0);
    expectMatrixNear(dynamic->modelMatrix, high, 1e-5f);
    EXPECT_EQ(dynamic->rigidBody->getLinearVelocity(), btVector3(0, 0, 0));
    EXPECT_EQ(dynamic->rigidBody->getAngularVelocity(), btVector3(0, 0, 0));
}

TEST_F(ImportObjectTest, DrawShowsTheTexturedMeshAndCullsOutsideTheFrustum)
{
    ImportObject* object = make(glm::mat4(1.0f), 0);
    object->update(0.0);
    ViewFrustum frustum = clipBox();
    prepareLitPass();
    object->draw(&frustum);
    EXPECT_EQ(pixel(centre.x, centre.y), red);
    EXPECT_EQ(pixel(2, 2), black);
    EXPECT_EQ(frustum.culledCount, 0);

    GLint active = 0, program = -1, vertexArray = -1, unit0 = -1, unit1 = -1, boundMaterial = 0;
    GLint64 materialSize = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &unit0);
    glActiveTexture(GL_TEXTURE1);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &unit1);
    glActiveTexture(GL_TEXTURE0);
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, 2, &boundMaterial);
    glGetInteger64i_v(GL_UNIFORM_BUFFER_SIZE, 2, &materialSize);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(vertexArray, 0);
    EXPECT_EQ(unit0, 0);
    EXPECT_EQ(unit1, 0);
    EXPECT_EQ(GLuint(boundMaterial), material->getUniformBuffer());
    EXPECT_EQ(materialSize, Material::blockSize);

    // Moved out of view: culled and counted once per test.
    btTransform aside;
    aside.setIdentity();
    aside.setOrigin({3.0f, 0.0f, 0.0f});
    object->rigidBody->getMotionState()->setWorldTransform(aside);
    object->update(0.0);
    EXPECT_FALSE(object->isVisible(&frustum));
    EXPECT_EQ(frustum.culledCount, 1);
    prepareLitPass();
    object->draw(&frustum);
    EXPECT_EQ(frustum.culledCount, 2);
    EXPECT_EQ(pixel(centre.x, centre.y), black);
    // A culled draw leaves the program in use and touches no texture.
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(GLuint(program), world->phong.program.id());
}

TEST_F(ImportObjectTest, LevelFilterSetsBothTexturesAndMagnificationKeepsItsLastPlainOne)
{
    ImportObject* object = make(glm::mat4(1.0f), 0);
    object->update(0.0);
    LevelAssets assets;
    assets.objects.emplace_back(object);
    world->objects.clear();
    Level level(nullptr, std::move(assets));
    ViewFrustum frustum = clipBox();
    const GLuint textures[2] = {colorTexture, world->flatNormals};
    const struct {
        GLenum filter;
        GLint mag, min;
    } rows[] = {
        {GL_NEAREST, GL_NEAREST, GL_NEAREST},
        {GL_LINEAR_MIPMAP_LINEAR, GL_NEAREST, GL_LINEAR_MIPMAP_LINEAR},
        {GL_LINEAR, GL_LINEAR, GL_LINEAR},
        {GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR, GL_NEAREST_MIPMAP_NEAREST},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.filter);
        glGetError();
        level.setTextureFilter(row.filter);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        prepareLitPass();
        object->draw(&frustum);
        for (GLuint texture : textures) {
            EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MAG_FILTER), row.mag);
            EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MIN_FILTER), row.min);
        }
        EXPECT_EQ(pixel(centre.x, centre.y), red);
    }
}
