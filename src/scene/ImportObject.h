#pragma once

#include "render/GlObjects.h"
#include "scene/BoundingSphere.h"
#include "scene/MeshData.h"
#include "scene/SceneObject.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <vector>

class btCollisionShape;
class btTriangleMesh;
class PhysicsWorld;
class RigidBody;
class Shader;

// One triangle mesh of the level: GPU buffers, a rigid body, a bounding sphere.
class ImportObject : public kirn::scene::SceneObject {
public:
    // Builds the rigid body first (registered with `physics`), then uploads the
    // mesh, builds the two vertex arrays and the bounding sphere. `mass` is 1
    // for a dynamic object, 0 for a static one. Needs a current GL context.
    ImportObject(const glm::mat4& matrix, Shader* shader, Shader* depthShader, ImportObject* parent,
                 btTriangleMesh* triangleMesh, PhysicsWorld* physics, int mass,
                 std::vector<glm::vec3> triangleCorners, MeshData mesh);
    ~ImportObject() override;

    // Takes the body's world transform and the shape's scaling into modelMatrix.
    void update(double frameTime) override;
    // Frustum test, then one indexed draw with the lit program already in use.
    void draw(ViewFrustum* frustum) override;
    virtual bool isVisible(ViewFrustum* frustum);

    virtual float* setVertices(float* vertices);
    virtual float* getVertices();
    virtual float* setNormals(float* normals);
    virtual float* getNormals();
    virtual float* setUvs(float* uvs);
    virtual float* getUvs();
    virtual uint32_t* setIndices(uint32_t* indices);
    virtual uint32_t* getIndices();
    virtual void addChild(ImportObject* child);
    virtual std::vector<ImportObject*> getChildren();
    virtual GLuint getDepthVao();
    virtual uint32_t getFaceCount();
    // Back to initialModelMatrix with a still body; modelMatrix follows at update.
    virtual void reset();

    std::vector<glm::vec3> triangleCorners; // object space, three per triangle
    btCollisionShape* collisionShape = nullptr; // owned by the physics world owner
    RigidBody* rigidBody = nullptr;           // owned by the physics world owner
    PhysicsWorld* physics = nullptr;
    float maxScale = 1.0f;
    BoundingSphere boundingSphere;
    glm::vec4 scale{1.0f, 1.0f, 1.0f, 0.0f};
    glm::quat orientation{1.0f, 0.0f, 0.0f, 0.0f};
    ImportObject* parent = nullptr; // not owned
    MeshData mesh;
    gl::VertexArray vao;
    gl::VertexArray depthVao;
    GLuint materialBinding = 2;
    gl::Buffer positionBuffer;
    gl::Buffer uvBuffer;
    gl::Buffer normalBuffer;
    gl::Buffer indexBuffer;
    gl::Buffer tangentBuffer;
    Shader* shader = nullptr;
    Shader* depthShader = nullptr;
    std::vector<ImportObject*> children; // not owned
    GLint modelMatrixLocation = -1;
    GLint colorTextureLocation = -1;
    GLint normalMapLocation = -1;
    GLenum textureFilter = GL_LINEAR_MIPMAP_LINEAR;
};
