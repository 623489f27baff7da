#include "scene/ImportObject.h"

#include "physics/PhysicsWorld.h"
#include "physics/BulletMath.h"
#include "physics/RigidBody.h"
#include "render/Shader.h"
#include "render/TextureUnits.h"
#include "scene/Material.h"
#include "core/MatrixMath.h"
#include "scene/ViewFrustum.h"

#include <btBulletCollisionCommon.h>

std::vector<glm::vec3> triangleCornersOf(const MeshData& mesh)
{
    std::vector<glm::vec3> corners;
    corners.reserve(mesh.indices.size());
    for (uint32_t index : mesh.indices)
        corners.emplace_back(mesh.positions[3 * index], mesh.positions[3 * index + 1], mesh.positions[3 * index + 2]);
    return corners;
}

ImportObject::ImportObject(const glm::mat4& matrix, Shader* shader, Shader* depthShader, ImportObject* parent,
                           PhysicsWorld* physics, int mass, MeshData meshData)
    : SceneObject(matrix), mesh(std::move(meshData)), physics(physics), parent(parent), shader(shader),
      depthShader(depthShader)
{
    const Decomposed parts = decompose(matrix);
    scale = glm::vec4(parts.scale, 0.0f);
    orientation = parts.rotation;

    const std::vector<glm::vec3> corners = triangleCornersOf(mesh);
    rigidBody = physics->addMeshBody(corners, matrix, mass, mesh.name);
    uploadMesh();
    buildVertexArrays();
    boundingSphere = computeBoundingSphere(corners);
    findUniforms();
}

// The GL handles free themselves; the body stays with the physics world.
ImportObject::~ImportObject() = default;

void ImportObject::uploadMesh()
{
    auto upload = [](GLenum target, const auto& values) {
        return gl::uploadBuffer(target, values.data(), values.size() * sizeof(values[0]));
    };
    positionBuffer = upload(GL_ARRAY_BUFFER, mesh.positions);
    normalBuffer = upload(GL_ARRAY_BUFFER, mesh.normals);
    uvBuffer = upload(GL_ARRAY_BUFFER, mesh.uvs);
    indexBuffer = upload(GL_ELEMENT_ARRAY_BUFFER, mesh.indices);
    tangentBuffer = upload(GL_ARRAY_BUFFER, mesh.tangents);
}

// The lit pass reads every attribute; the shadow pass only the positions.
void ImportObject::buildVertexArrays()
{
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
        glUniformBlockBinding(program, blockIndex, textureUnits::materialBlockBinding);

    depthVao = gl::VertexArray::create();
    glBindVertexArray(depthVao);
    gl::pointAttribute(depthShader->program, "vp", positionBuffer, 3);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void ImportObject::findUniforms()
{
    const GLuint program = shader->program;
    modelMatrixLocation = glGetUniformLocation(program, "modelMatrix");
    colorTextureLocation = glGetUniformLocation(program, "colorTexture");
    normalMapLocation = glGetUniformLocation(program, "normal_map");
}

void ImportObject::update(double /*frameTime*/)
{
    btTransform transform;
    rigidBody->getMotionState()->getWorldTransform(transform);
    const btVector3 shapeScale = rigidBody->getCollisionShape()->getLocalScaling();
    maxScale = largestComponent(shapeScale);
    modelMatrix = modelMatrixOf(transform.getOrigin(), transform.getRotation(), shapeScale);
}

void ImportObject::draw(ViewFrustum* frustum)
{
    if (!isVisible(frustum))
        return;

    glBindBufferRange(GL_UNIFORM_BUFFER, textureUnits::materialBlockBinding, mesh.materialBuffer, 0,
                      Material::blockSize);
    glUniformMatrix4fv(modelMatrixLocation, 1, GL_FALSE, &modelMatrix[0][0]);

    glActiveTexture(textureUnits::glUnit(textureUnits::color));
    glUniform1i(colorTextureLocation, textureUnits::color);
    glBindTexture(GL_TEXTURE_2D, mesh.colorTexture);

    glActiveTexture(textureUnits::glUnit(textureUnits::normalMap));
    glUniform1i(normalMapLocation, textureUnits::normalMap);
    glBindTexture(GL_TEXTURE_2D, mesh.normalMap);

    glBindVertexArray(vao);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.indices.size()), GL_UNSIGNED_INT, nullptr);

    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(textureUnits::glUnit(textureUnits::color));
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
    glUseProgram(0);
}

void ImportObject::drawDepth(ViewFrustum* frustum, GLint modelLocation)
{
    if (!isVisible(frustum))
        return;
    glUniformMatrix4fv(modelLocation, 1, GL_FALSE, &modelMatrix[0][0]);
    glBindVertexArray(vao);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.indices.size()), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

bool ImportObject::isVisible(ViewFrustum* frustum)
{
    return !frustum || frustumTest(*frustum, modelMatrix, boundingSphere, maxScale);
}

void ImportObject::reset() { physics->resetBody(*rigidBody, initialModelMatrix); }
