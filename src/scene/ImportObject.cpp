#include "scene/ImportObject.h"

#include "physics/PhysicsWorld.h"
#include "physics/BulletMath.h"
#include "physics/RigidBody.h"
#include "render/Shader.h"
#include "scene/Material.h"
#include "core/MatrixMath.h"
#include "scene/ViewFrustum.h"


namespace {

void setFilters(GLenum filter)
{
    // A mipmapped value is refused for magnification (GL_INVALID_ENUM) and the
    // old magnification filter stays; minification takes it.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(filter));
}

} // namespace

ImportObject::ImportObject(const glm::mat4& matrix, Shader* shader, Shader* depthShader, ImportObject* parent,
                           btTriangleMesh* triangleMesh, PhysicsWorld* physics, int mass,
                           std::vector<glm::vec3> triangleCorners, MeshData mesh)
    : SceneObject(matrix), triangleCorners(std::move(triangleCorners)), physics(physics), parent(parent),
      mesh(std::move(mesh)), shader(shader), depthShader(depthShader)
{
    const Decomposed parts = decompose(matrix);
    scale = glm::vec4(parts.scale, 0.0f);
    orientation = parts.rotation;

    const ImportedBody imported = createImportedBody(physics, triangleMesh, matrix, mass, this->mesh.name);
    collisionShape = imported.shape;
    rigidBody = imported.body;

    const size_t vertices = this->mesh.vertexCount;
    const size_t faces = this->mesh.faceCount;
    positionBuffer = gl::uploadBuffer(GL_ARRAY_BUFFER, this->mesh.positions, vertices * 3 * sizeof(float));
    normalBuffer = gl::uploadBuffer(GL_ARRAY_BUFFER, this->mesh.normals, vertices * 3 * sizeof(float));
    uvBuffer = gl::uploadBuffer(GL_ARRAY_BUFFER, this->mesh.uvs, vertices * 2 * sizeof(float));
    indexBuffer = gl::uploadBuffer(GL_ELEMENT_ARRAY_BUFFER, this->mesh.indices, faces * 3 * sizeof(uint32_t));
    tangentBuffer = gl::uploadBuffer(GL_ARRAY_BUFFER, this->mesh.tangents, vertices * 4 * sizeof(float));

    const GLuint program = shader->program;
    vao = gl::VertexArray::create();
    glBindVertexArray(vao);
    gl::pointAttribute(program, "position", positionBuffer, 3);
    gl::pointAttribute(program, "normal", normalBuffer, 3);
    gl::pointAttribute(program, "uv", uvBuffer, 2);
    gl::pointAttribute(program, "tangent", tangentBuffer, 4);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    const GLuint blockIndex = glGetUniformBlockIndex(program, "Material");
    if (blockIndex != GL_INVALID_INDEX)
        glUniformBlockBinding(program, blockIndex, materialBinding);

    boundingSphere = computeBoundingSphere(this->triangleCorners);

    depthVao = gl::VertexArray::create();
    glBindVertexArray(depthVao);
    gl::pointAttribute(depthShader->program, "vp", positionBuffer, 3);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    modelMatrixLocation = glGetUniformLocation(program, "modelMatrix");
    colorTextureLocation = glGetUniformLocation(program, "colorTexture");
    normalMapLocation = glGetUniformLocation(program, "normal_map");
}

// The GL handles free themselves; body, motion state and shape stay with the
// physics owner, and the vertex arrays with the importer.
ImportObject::~ImportObject() = default;

void ImportObject::update(double /*frameTime*/)
{
    btTransform transform;
    rigidBody->getMotionState()->getWorldTransform(transform);
    const btVector3 shapeScale = collisionShape->getLocalScaling();
    maxScale = largestComponent(shapeScale);
    modelMatrix = modelMatrixOf(transform.getOrigin(), transform.getRotation(), shapeScale);
}

void ImportObject::draw(ViewFrustum* frustum)
{
    if (frustum && !frustumTest(*frustum, modelMatrix, boundingSphere, maxScale))
        return;

    glBindBufferRange(GL_UNIFORM_BUFFER, materialBinding, mesh.materialBuffer, 0, Material::blockSize);
    glUniformMatrix4fv(modelMatrixLocation, 1, GL_FALSE, &modelMatrix[0][0]);

    glActiveTexture(GL_TEXTURE0);
    glUniform1i(colorTextureLocation, 0);
    glBindTexture(GL_TEXTURE_2D, mesh.colorTexture);
    setFilters(textureFilter);

    glActiveTexture(GL_TEXTURE1);
    glUniform1i(normalMapLocation, 1);
    glBindTexture(GL_TEXTURE_2D, mesh.normalMap);
    setFilters(textureFilter);

    glBindVertexArray(vao);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * mesh.faceCount), GL_UNSIGNED_INT, nullptr);

    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
    glUseProgram(0);
}

bool ImportObject::isVisible(ViewFrustum* frustum)
{
    return !frustum || frustumTest(*frustum, modelMatrix, boundingSphere, maxScale);
}

float* ImportObject::setVertices(float* vertices) { return mesh.positions = vertices; }
float* ImportObject::getVertices() { return mesh.positions; }
float* ImportObject::setNormals(float* normals) { return mesh.normals = normals; }
float* ImportObject::getNormals() { return mesh.normals; }
float* ImportObject::setUvs(float* uvs) { return mesh.uvs = uvs; }
float* ImportObject::getUvs() { return mesh.uvs; }
uint32_t* ImportObject::setIndices(uint32_t* indices) { return mesh.indices = indices; }
uint32_t* ImportObject::getIndices() { return mesh.indices; }
void ImportObject::addChild(ImportObject* child) { children.push_back(child); }
std::vector<ImportObject*> ImportObject::getChildren() { return children; }
GLuint ImportObject::getDepthVao() { return depthVao; }
uint32_t ImportObject::getFaceCount() { return mesh.faceCount; }

void ImportObject::reset() { resetBody(physics, rigidBody, initialModelMatrix); }
