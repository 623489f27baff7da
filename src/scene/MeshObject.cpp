#include "scene/MeshObject.h"

#include "core/MatrixMath.h"
#include "physics/BulletMath.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
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

MeshObject::MeshObject(const glm::mat4& matrix, const VertexLayout& layout, MeshObject* parent, PhysicsWorld& physics,
                       int mass, MeshData meshData)
    : SceneObject(matrix), mesh(std::move(meshData)), physics(&physics), parent(parent)
{
    const Decomposed parts = decompose(matrix);
    scale = glm::vec4(parts.scale, 0.0f);
    orientation = parts.rotation;

    const std::vector<glm::vec3> corners = triangleCornersOf(mesh);
    rigidBody = physics.addMeshBody(corners, matrix, mass, mesh.name);
    uploadMesh();
    buildVertexArrays(layout);
    boundingSphere = computeBoundingSphere(corners);
}

// The GL handles free themselves; the body stays with the physics world.
MeshObject::~MeshObject() = default;

void MeshObject::uploadMesh()
{
    auto upload = [](GLenum target, const auto& values) {
        return gl::uploadBuffer(target, values.data(), values.size() * sizeof(values[0]));
    };
    positionBuffer = upload(GL_ARRAY_BUFFER, mesh.positions);
    normalBuffer = upload(GL_ARRAY_BUFFER, mesh.normals);
    uvBuffer = upload(GL_ARRAY_BUFFER, mesh.uvs);
    indexBuffer = upload(GL_ELEMENT_ARRAY_BUFFER, mesh.indices);
    tangentBuffer = upload(GL_ARRAY_BUFFER, mesh.tangents);
    if (gl::web) { // no polygon mode: the wireframe view draws the edges
        const std::vector<GLuint> edges = edgesOf(mesh.indices);
        edgeCount = static_cast<GLsizei>(edges.size());
        edgeBuffer = upload(GL_ELEMENT_ARRAY_BUFFER, edges);
    }
}

void MeshObject::buildVertexArrays(const VertexLayout& layout)
{
    const auto everyAttribute = [&](GLuint indices) {
        gl::VertexArray array = gl::VertexArray::create();
        glBindVertexArray(array);
        gl::pointAttribute(layout.position, positionBuffer, 3);
        gl::pointAttribute(layout.normal, normalBuffer, 3);
        gl::pointAttribute(layout.uv, uvBuffer, 2);
        gl::pointAttribute(layout.tangent, tangentBuffer, 4);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices);
        return array;
    };
    vao = everyAttribute(indexBuffer);
    if (gl::web)
        edgeVao = everyAttribute(edgeBuffer);

    depthVao = gl::VertexArray::create();
    glBindVertexArray(depthVao);
    gl::pointAttribute(layout.shadowPosition, positionBuffer, 3);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void MeshObject::update()
{
    btTransform transform;
    rigidBody->getMotionState()->getWorldTransform(transform);
    const btVector3 shapeScale = rigidBody->getCollisionShape()->getLocalScaling();
    maxScale = largestComponent(shapeScale);
    modelMatrix = modelMatrixOf(transform.getOrigin(), transform.getRotation(), shapeScale);
}

void MeshObject::draw(LitPass& pass, const ViewFrustum* frustum) const
{
    if (isVisible(frustum))
        pass.draw(litMesh());
}

void MeshObject::drawDepth(const LitPass& pass, const ViewFrustum* frustum) const
{
    if (isVisible(frustum))
        pass.drawDepth(litMesh());
}

bool MeshObject::isVisible(const ViewFrustum* frustum) const
{
    return !frustum || frustumTest(*frustum, modelMatrix, boundingSphere, maxScale);
}

LitMesh MeshObject::litMesh() const
{
    return {vao,
            static_cast<GLsizei>(mesh.indices.size()),
            mesh.materialBuffer,
            mesh.colorTexture,
            mesh.normalMap,
            modelMatrix,
            edgeVao,
            edgeCount};
}

std::vector<GLuint> edgesOf(const std::vector<GLuint>& triangles)
{
    std::vector<GLuint> edges;
    edges.reserve(triangles.size() * 2);
    for (std::size_t t = 0; t + 2 < triangles.size(); t += 3)
        for (std::size_t corner = 0; corner < 3; ++corner) {
            edges.push_back(triangles[t + corner]);
            edges.push_back(triangles[t + (corner + 1) % 3]);
        }
    return edges;
}

ShadowCaster MeshObject::shadowCaster() const
{
    return {depthVao, static_cast<GLsizei>(mesh.indices.size()), modelMatrix};
}

void MeshObject::reset() { physics->resetBody(*rigidBody, initialModelMatrix); }
