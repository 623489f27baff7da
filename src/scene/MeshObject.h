#pragma once

#include "render/GlObjects.h"
#include "render/LitPass.h"
#include "render/ShadowPass.h"
#include "render/VertexLayout.h"
#include "scene/BoundingSphere.h"
#include "scene/MeshData.h"
#include "scene/SceneObject.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <vector>

class PhysicsWorld;
class RigidBody;

// One triangle mesh of the level: GPU buffers, a rigid body, a bounding sphere.
class MeshObject : public kirn::scene::SceneObject {
public:
    // Builds the rigid body from the mesh's triangles first (registered with
    // `physics`), then uploads the mesh, builds the vertex arrays of the lit
    // and the shadow pass after `layout` and the bounding sphere. `mass` is 1
    // for a dynamic object, 0 for a static one. Needs a current GL context.
    MeshObject(const glm::mat4& matrix, const VertexLayout& layout, MeshObject* parent, PhysicsWorld& physics, int mass,
               MeshData mesh);
    ~MeshObject() override;

    // Takes the body's world transform and the shape's scaling into modelMatrix.
    void update() override;
    // One physics sub-step of `dt` seconds is about to run; what moves at the
    // physics rate does its part here. Nothing for a plain object.
    virtual void step(double /*dt*/) {}
    // Frustum test, then the mesh to the lit pass.
    void draw(LitPass& pass, const ViewFrustum* frustum) const override;
    // Frustum test, then the mesh to the depth pre-pass.
    void drawDepth(const LitPass& pass, const ViewFrustum* frustum) const;
    // True when culling is off, there is no frustum, or the bounding sphere
    // reaches into it.
    bool isVisible(const ViewFrustum* frustum) const;
    // The mesh as the lit pass and the shadow pass draw it, where it is now.
    LitMesh litMesh() const;
    ShadowCaster shadowCaster() const;

    // Back to initialModelMatrix with a still body; modelMatrix follows at update.
    virtual void reset();

    MeshData mesh;
    RigidBody* rigidBody = nullptr; // the physics world's
    PhysicsWorld* physics = nullptr;
    float maxScale = 1.0f;
    BoundingSphere boundingSphere;
    glm::vec4 scale{1.0f, 1.0f, 1.0f, 0.0f};
    glm::quat orientation{1.0f, 0.0f, 0.0f, 0.0f};
    MeshObject* parent = nullptr; // whose placement an animated child follows; not owned

private:
    void uploadMesh();
    void buildVertexArrays(const VertexLayout& layout);

    gl::VertexArray vao;      // every attribute, for the lit pass and its depth pre-pass
    gl::VertexArray depthVao; // the positions, for the shadow pass
    gl::VertexArray edgeVao;  // every attribute with the edges' indices, for WebGL's wireframe view
    gl::Buffer edgeBuffer;
    GLsizei edgeCount = 0;
    gl::Buffer positionBuffer;
    gl::Buffer uvBuffer;
    gl::Buffer normalBuffer;
    gl::Buffer indexBuffer;
    gl::Buffer tangentBuffer;
};

// The edges of the triangles of these indices, as pairs of indices for lines.
std::vector<GLuint> edgesOf(const std::vector<GLuint>& triangles);

// The corners of every triangle of `mesh`, three per face, in object space.
std::vector<glm::vec3> triangleCornersOf(const MeshData& mesh);
