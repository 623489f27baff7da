#pragma once

#include "render/GlObjects.h"
#include "scene/BoundingSphere.h"
#include "scene/MeshData.h"
#include "scene/SceneObject.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <memory>
#include <vector>

class PhysicsWorld;
class RigidBody;
class Shader;

// One triangle mesh of the level: GPU buffers, a rigid body, a bounding sphere.
class ImportObject : public kirn::scene::SceneObject {
public:
    // Builds the rigid body from the mesh's triangles first (registered with
    // `physics`), then uploads the mesh, builds the two vertex arrays and the
    // bounding sphere. `mass` is 1 for a dynamic object, 0 for a static one.
    // Needs a current GL context.
    ImportObject(const glm::mat4& matrix, Shader* shader, Shader* depthShader, ImportObject* parent,
                 PhysicsWorld* physics, int mass, MeshData mesh);
    ~ImportObject() override;

    // Takes the body's world transform and the shape's scaling into modelMatrix.
    void update(double frameTime) override;
    // One physics sub-step of `dt` seconds is about to run; what moves at the
    // physics rate does its part here. Nothing for a plain object.
    virtual void step(double /*dt*/) {}
    // Frustum test, then one indexed draw with the lit program already in use.
    void draw(ViewFrustum* frustum) override;
    // Frustum test, then the same draw for depth only, with a program in use
    // that shares the lit pass's vertex stage.
    void drawDepth(ViewFrustum* frustum, GLint modelLocation);
    bool isVisible(ViewFrustum* frustum);

    void addChild(ImportObject* child) { children.push_back(child); }
    const std::vector<ImportObject*>& getChildren() const { return children; }
    GLuint getDepthVao() const { return depthVao; }
    uint32_t getFaceCount() const { return mesh.faceCount(); }
    // Back to initialModelMatrix with a still body; modelMatrix follows at update.
    virtual void reset();

    MeshData mesh;
    RigidBody* rigidBody = nullptr; // the physics world's
    PhysicsWorld* physics = nullptr;
    float maxScale = 1.0f;
    BoundingSphere boundingSphere;
    glm::vec4 scale{1.0f, 1.0f, 1.0f, 0.0f};
    glm::quat orientation{1.0f, 0.0f, 0.0f, 0.0f};
    ImportObject* parent = nullptr; // not owned
    std::vector<ImportObject*> children; // not owned
    Shader* shader = nullptr;
    Shader* depthShader = nullptr;
    gl::VertexArray vao;
    gl::VertexArray depthVao;
    gl::Buffer positionBuffer;
    gl::Buffer uvBuffer;
    gl::Buffer normalBuffer;
    gl::Buffer indexBuffer;
    gl::Buffer tangentBuffer;
    GLint modelMatrixLocation = -1;
    GLint colorTextureLocation = -1;
    GLint normalMapLocation = -1;

private:
    void uploadMesh();
    void buildVertexArrays();
    void findUniforms();
};

// The corners of every triangle of `mesh`, three per face, in object space.
std::vector<glm::vec3> triangleCornersOf(const MeshData& mesh);
