#include "scene/ImportObject.h"

#include "physics/BulletDemo.h"
#include "physics/MyRigidBody.h"
#include "render/Shader.h"
#include "scene/Material.h"
#include "scene/ViewFrustum.h"
#include "support/GlContext.h"
#include "TestImages.h"

#include <glm/gtc/matrix_transform.hpp>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace {

const std::string shaderDir = std::string(QUARRYSTACK_SOURCE_DIR) + "/Shader/";

using Rgba = std::array<uint8_t, 4>;

// A square of side 1 in the z = 0 plane facing +z: four vertices, two triangles.
struct SquareMesh {
    std::vector<float> positions{-0.5f, -0.5f, 0.0f, 0.5f, -0.5f, 0.0f, 0.5f, 0.5f, 0.0f, -0.5f, 0.5f, 0.0f};
    std::vector<float> normals{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    std::vector<float> uvs{0, 0, 1, 0, 1, 1, 0, 1};
    std::vector<float> tangents{1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1};
    std::vector<uint32_t> indices{0, 1, 2, 2, 3, 0};

    glm::vec3 corner(uint32_t i) const { return {positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]}; }

    std::vector<glm::vec3> triangleCorners() const
    {
        std::vector<glm::vec3> corners;
        for (uint32_t i : indices)
            corners.push_back(corner(i));
        return corners;
    }

    std::unique_ptr<btTriangleMesh> physicsMesh() const
    {
        auto mesh = std::make_unique<btTriangleMesh>();
        for (size_t t = 0; t < indices.size(); t += 3) {
            const glm::vec3 a = corner(indices[t]), b = corner(indices[t + 1]), c = corner(indices[t + 2]);
            mesh->addTriangle({a.x, a.y, a.z}, {b.x, b.y, b.z}, {c.x, c.y, c.z});
        }
        return mesh;
    }

    MeshData data(const std::string& name)
    {
        MeshData mesh;
        mesh.positions = positions.data();
        mesh.normals = normals.data();
        mesh.uvs = uvs.data();
        mesh.tangents = tangents.data();
        mesh.indices = indices.data();
        mesh.vertexCount = 4;
        mesh.faceCount = 2;
        mesh.name = name;
        return mesh;
    }
};

GLuint solidTexture(const Rgba& colour)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const std::vector<Rgba> texels(16, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

GLint textureParameter(GLuint texture, GLenum name)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

void expectMatrixNear(const glm::mat4& actual, const glm::mat4& expected, float tolerance)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << "column " << c << ", row " << r;
}

class ImportObjectTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        physics.initPhysics();
        phong = std::make_unique<Shader>(shaderDir + "PhongCombined.vert", shaderDir + "PhongCombined.frag");
        depth = std::make_unique<Shader>(shaderDir + "shadowMapOmniFirstPass.vert", shaderDir + "shadowMapOmniFirstPass.geom",
                                         shaderDir + "shadowMapOmniFirstPass.frag");
        // Ambient 5 × 0.2 lets the colour texture through unchanged when no light shines.
        material = std::make_unique<Material>(glm::vec4(0.8f, 0.8f, 0.8f, 1.0f), glm::vec4(5.0f, 5.0f, 5.0f, 1.0f),
                                              glm::vec4(0.0f), glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), 0.0f, 1);
        colorTexture = solidTexture({255, 0, 0, 255});
        normalMap = solidTexture({128, 128, 255, 255});
    }

    void TearDown() override
    {
        objects.clear();
        physics.exitPhysics();
        glDeleteTextures(1, &colorTexture);
        glDeleteTextures(1, &normalMap);
    }

    ImportObject* make(const glm::mat4& matrix, int mass, const std::string& name = "square",
                       Shader* lit = nullptr, ImportObject* parent = nullptr)
    {
        physicsMeshes.push_back(square.physicsMesh());
        MeshData mesh = square.data(name);
        mesh.materialBuffer = material->getUniformBuffer();
        mesh.colorTexture = colorTexture;
        mesh.normalMap = normalMap;
        objects.push_back(std::make_unique<ImportObject>(matrix, lit ? lit : phong.get(), depth.get(), parent,
                                                         physicsMeshes.back().get(), &physics, mass,
                                                         square.triangleCorners(), mesh));
        return objects.back().get();
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
        glUseProgram(phong->program);
        const glm::mat4 identity(1.0f);
        glUniformMatrix4fv(glGetUniformLocation(phong->program, "viewMatrix"), 1, GL_FALSE, &identity[0][0]);
        glUniformMatrix4fv(glGetUniformLocation(phong->program, "projectionMatrix"), 1, GL_FALSE, &identity[0][0]);
        glUniform1i(glGetUniformLocation(phong->program, "numberoflights"), 0);
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
    ViewFrustum clipBox()
    {
        ViewFrustum frustum;
        extractFrustumPlanes(frustum, glm::mat4(1.0f), glm::mat4(1.0f));
        return frustum;
    }

    BulletDemo physics;
    std::unique_ptr<Shader> phong, depth;
    std::unique_ptr<Material> material;
    GLuint colorTexture = 0, normalMap = 0;
    SquareMesh square;
    std::vector<std::unique_ptr<btTriangleMesh>> physicsMeshes;
    std::vector<std::unique_ptr<ImportObject>> objects;
    glm::ivec2 centre{0};
};

GLint bufferSize(GLenum target, GLuint buffer)
{
    GLint size = -1;
    glBindBuffer(target, buffer);
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    glBindBuffer(target, 0);
    return size;
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

} // namespace

TEST_F(ImportObjectTest, BuffersHaveTheSizesOfTheMesh)
{
    ImportObject* object = make(glm::mat4(1.0f), 0);
    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, object->positionBuffer), 4 * 12);
    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, object->normalBuffer), 4 * 12);
    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, object->uvBuffer), 4 * 8);
    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, object->tangentBuffer), 4 * 16);
    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, object->indexBuffer), 2 * 12);

    std::vector<uint32_t> indices(6);
    glBindBuffer(GL_ARRAY_BUFFER, object->indexBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, 24, indices.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(indices, square.indices);
    std::vector<float> tangents(16);
    glBindBuffer(GL_ARRAY_BUFFER, object->tangentBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, 64, tangents.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(tangents, square.tangents);

    EXPECT_EQ(object->getFaceCount(), 2u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ImportObjectTest, LitVertexArrayFeedsTheFourAttributesAndTheIndices)
{
    // The lit program may leave an attribute unused (and so without a
    // location); this one keeps all four alive.
    TempImageDir dir;
    const std::string vert = dir.writeBytes("all.vert", R"(#version 330 core
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
)");
    const std::string frag = dir.writeBytes("all.frag", R"(#version 330 core
in vec4 mixed;
out vec4 fragColor;
void main() { fragColor = mixed; }
)");
    Shader allAttributes(vert, frag);
    ImportObject* object = make(glm::mat4(1.0f), 0, "square", &allAttributes);
    struct Expected {
        const char* name;
        GLint components;
        GLuint buffer;
    };
    const Expected rows[] = {{"position", 3, object->positionBuffer},
                             {"normal", 3, object->normalBuffer},
                             {"uv", 2, object->uvBuffer},
                             {"tangent", 4, object->tangentBuffer}};
    glBindVertexArray(object->vao);
    for (const Expected& row : rows) {
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
    glBindVertexArray(0);

    GLint arrayBuffer = -1, vertexArray = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_EQ(arrayBuffer, 0);
    EXPECT_EQ(vertexArray, 0);
}

TEST_F(ImportObjectTest, DepthVertexArrayFeedsOnlyVpOfTheDepthProgram)
{
    ImportObject* object = make(glm::mat4(1.0f), 0);
    EXPECT_EQ(object->getDepthVao(), object->depthVao.id());
    EXPECT_NE(object->getDepthVao(), object->vao.id());

    const GLint vp = glGetAttribLocation(depth->program, "vp");
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
    GLint elements = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
    EXPECT_EQ(GLuint(elements), object->indexBuffer.id());
    glBindVertexArray(0);
}

TEST_F(ImportObjectTest, BindsMaterialBlockAndLooksUpUniforms)
{
    ImportObject* object = make(glm::mat4(1.0f), 0);
    EXPECT_EQ(object->materialBinding, 2u);
    const GLuint block = glGetUniformBlockIndex(phong->program, "Material");
    ASSERT_NE(block, GL_INVALID_INDEX);
    GLint binding = -1;
    glGetActiveUniformBlockiv(phong->program, block, GL_UNIFORM_BLOCK_BINDING, &binding);
    EXPECT_EQ(binding, 2);

    EXPECT_EQ(object->modelMatrixLocation, glGetUniformLocation(phong->program, "modelMatrix"));
    EXPECT_EQ(object->colorTextureLocation, glGetUniformLocation(phong->program, "colorTexture"));
    EXPECT_EQ(object->normalMapLocation, glGetUniformLocation(phong->program, "normal_map"));
    EXPECT_GE(object->modelMatrixLocation, 0);
    EXPECT_GE(object->colorTextureLocation, 0);
    EXPECT_EQ(object->textureFilter, GLenum(GL_LINEAR_MIPMAP_LINEAR));
}

TEST_F(ImportObjectTest, ProgramWithoutTheAttributesRaisesNoGlError)
{
    // The depth program has none of the lit attributes and no Material block.
    glGetError();
    ImportObject* object = make(glm::mat4(1.0f), 0, "plain", depth.get());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(object->modelMatrixLocation, -1);
}

TEST_F(ImportObjectTest, KeepsMatrixPartsMeshAndSphere)
{
    const glm::mat4 matrix = glm::translate(glm::mat4(1.0f), {1.0f, 2.0f, 3.0f}) *
                             glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), {0.0f, 1.0f, 0.0f}) *
                             glm::scale(glm::mat4(1.0f), {2.0f, 3.0f, 4.0f});
    ImportObject* parent = make(glm::mat4(1.0f), 0, "parent");
    ImportObject* object = make(matrix, 0, "child", nullptr, parent);

    EXPECT_EQ(object->modelMatrix, matrix);
    EXPECT_EQ(object->initialModelMatrix, matrix);
    EXPECT_EQ(object->parent, parent);
    EXPECT_NEAR(object->scale.x, 2.0f, 1e-5f);
    EXPECT_NEAR(object->scale.y, 3.0f, 1e-5f);
    EXPECT_NEAR(object->scale.z, 4.0f, 1e-5f);
    EXPECT_EQ(object->scale.w, 0.0f);
    const glm::quat expected = glm::angleAxis(glm::radians(90.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_NEAR(std::fabs(glm::dot(object->orientation, expected)), 1.0f, 1e-5f);

    EXPECT_EQ(object->mesh.name, "child");
    EXPECT_EQ(object->getVertices(), square.positions.data());
    EXPECT_EQ(object->triangleCorners, square.triangleCorners());
    const BoundingSphere sphere = computeBoundingSphere(square.triangleCorners());
    EXPECT_EQ(object->boundingSphere.center, sphere.center);
    EXPECT_EQ(object->boundingSphere.radius, sphere.radius);
    EXPECT_NEAR(object->boundingSphere.radius, std::sqrt(0.5f), 1e-6f);

    ASSERT_NE(object->rigidBody, nullptr);
    ASSERT_NE(object->collisionShape, nullptr);
    EXPECT_EQ(object->rigidBody->name, "child");
    EXPECT_EQ(object->rigidBody->getCollisionShape(), object->collisionShape);
}

TEST_F(ImportObjectTest, UpdateFollowsTheBodyAndTheShapeScaling)
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
}

TEST_F(ImportObjectTest, ResetPutsAFallenDynamicObjectBackStill)
{
    const glm::mat4 matrix = glm::translate(glm::mat4(1.0f), {0.0f, 10.0f, 0.0f});
    ImportObject* dynamic = make(matrix, 1, "dynamicSquare");
    ImportObject* fixed = make(glm::translate(glm::mat4(1.0f), {5.0f, 0.0f, 0.0f}), 0, "Floor");
    for (int i = 0; i < 30; ++i)
        physics.stepSimulation(1.0 / 60.0);
    dynamic->update(0.0);
    ASSERT_LT(dynamic->modelMatrix[3][1], 9.5f) << "the object should have fallen";

    dynamic->reset();
    fixed->reset();
    dynamic->update(0.0);
    fixed->update(0.0);
    expectMatrixNear(dynamic->modelMatrix, matrix, 1e-5f);
    expectMatrixNear(fixed->modelMatrix, glm::translate(glm::mat4(1.0f), {5.0f, 0.0f, 0.0f}), 1e-5f);
    EXPECT_EQ(dynamic->rigidBody->getLinearVelocity(), btVector3(0, 0, 0));
    EXPECT_EQ(dynamic->rigidBody->getAngularVelocity(), btVector3(0, 0, 0));
}

TEST_F(ImportObjectTest, GetChildrenReturnsACopy)
{
    ImportObject* parent = make(glm::mat4(1.0f), 0, "parent");
    ImportObject* child = make(glm::mat4(1.0f), 0, "child", nullptr, parent);
    ImportObject* other = make(glm::mat4(1.0f), 0, "other");
    parent->addChild(child);

    std::vector<ImportObject*> children = parent->getChildren();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0], child);
    children.push_back(other);
    children[0] = other;
    EXPECT_EQ(parent->getChildren(), std::vector<ImportObject*>{child});
    EXPECT_TRUE(child->getChildren().empty());
}

TEST_F(ImportObjectTest, SettersOnlyReplaceThePointers)
{
    ImportObject* object = make(glm::mat4(1.0f), 0);
    std::vector<float> otherPositions(12, 9.0f), otherNormals(12, 1.0f), otherUvs(8, 0.5f);
    std::vector<uint32_t> otherIndices{2, 1, 0, 0, 3, 2};
    EXPECT_EQ(object->setVertices(otherPositions.data()), otherPositions.data());
    EXPECT_EQ(object->setNormals(otherNormals.data()), otherNormals.data());
    EXPECT_EQ(object->setUvs(otherUvs.data()), otherUvs.data());
    EXPECT_EQ(object->setIndices(otherIndices.data()), otherIndices.data());
    EXPECT_EQ(object->getVertices(), otherPositions.data());
    EXPECT_EQ(object->getNormals(), otherNormals.data());
    EXPECT_EQ(object->getUvs(), otherUvs.data());
    EXPECT_EQ(object->getIndices(), otherIndices.data());

    std::vector<float> uploaded(12);
    glBindBuffer(GL_ARRAY_BUFFER, object->positionBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, 48, uploaded.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(uploaded, square.positions);
}

TEST_F(ImportObjectTest, DrawShowsTheTexturedMeshWithItsMaterial)
{
    ImportObject* object = make(glm::mat4(1.0f), 0);
    object->update(0.0);
    ViewFrustum frustum = clipBox();
    prepareLitPass();
    object->draw(&frustum);
    EXPECT_EQ(pixel(centre.x, centre.y), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixel(2, 2), (Rgba{0, 0, 0, 255}));
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
}

TEST_F(ImportObjectTest, DrawUsesTheModelMatrixAndCullsOutsideTheFrustum)
{
    ImportObject* object = make(glm::translate(glm::mat4(1.0f), {3.0f, 0.0f, 0.0f}), 0);
    object->update(0.0);
    ViewFrustum frustum = clipBox();
    EXPECT_FALSE(object->isVisible(&frustum));
    EXPECT_EQ(frustum.culledCount, 1);

    prepareLitPass();
    object->draw(&frustum);
    EXPECT_EQ(frustum.culledCount, 2);
    EXPECT_EQ(pixel(centre.x, centre.y), (Rgba{0, 0, 0, 255}));
    // A culled draw leaves the program in use and touches no texture.
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(GLuint(program), phong->program.id());

    // With culling off it draws even where the frustum would reject it; moved back into view it shows.
    frustum.cullingEnabled = false;
    EXPECT_TRUE(object->isVisible(&frustum));
    btTransform back;
    back.setIdentity();
    object->rigidBody->getMotionState()->setWorldTransform(back);
    object->update(0.0);
    frustum.cullingEnabled = true;
    prepareLitPass();
    object->draw(&frustum);
    EXPECT_EQ(frustum.culledCount, 2);
    EXPECT_EQ(pixel(centre.x, centre.y), (Rgba{255, 0, 0, 255}));
}

TEST_F(ImportObjectTest, DrawSetsBothFiltersAndGlRefusesMipmapMagnification)
{
    ImportObject* object = make(glm::mat4(1.0f), 0);
    object->update(0.0);
    ViewFrustum frustum = clipBox();
    for (GLuint texture : {colorTexture, normalMap}) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    glBindTexture(GL_TEXTURE_2D, 0);

    struct Row {
        GLenum filter;
        GLint mag, min;
        GLenum error;
    };
    const Row rows[] = {
        {GL_NEAREST, GL_NEAREST, GL_NEAREST, GL_NO_ERROR},
        {GL_LINEAR_MIPMAP_LINEAR, GL_NEAREST, GL_LINEAR_MIPMAP_LINEAR, GL_INVALID_ENUM},
        {GL_LINEAR, GL_LINEAR, GL_LINEAR, GL_NO_ERROR},
        {GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR, GL_NEAREST_MIPMAP_NEAREST, GL_INVALID_ENUM},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.filter);
        object->textureFilter = row.filter;
        prepareLitPass();
        glGetError();
        object->draw(&frustum);
        EXPECT_EQ(glGetError(), row.error);
        for (GLuint texture : {colorTexture, normalMap}) {
            EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MAG_FILTER), row.mag);
            EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MIN_FILTER), row.min);
        }
        EXPECT_EQ(pixel(centre.x, centre.y), (Rgba{255, 0, 0, 255}));
    }
}
