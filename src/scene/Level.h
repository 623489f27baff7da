#pragma once

#include "scene/SceneObject.h"

#include <GL/glew.h>

#include <vector>

class ImportObject;
class Material;
class PlayerObject;
class Shader;
struct Light;

// The whole loaded level: its objects (owned), lights (not owned), materials
// and the player. Updates every object and runs the lit pass.
class Level : public kirn::scene::SceneObject {
public:
    static constexpr int maxLights = 10;
    static constexpr int maxShadowMaps = 5;

    Level(const glm::mat4& matrix, Shader* shader, std::vector<ImportObject*> objects, std::vector<Light*> lights,
          std::vector<Material*> materials, PlayerObject* player);
    ~Level() override;

    // Updates every object, then moves the last light behind the player's camera.
    void update(double frameTime) override;
    // The lit pass: light uniforms, shadow samplers on units 2 to 6, every object.
    void draw(ViewFrustum* frustum) override;
    virtual void addLight(Light* light);
    virtual int getShadowMap(int unit);
    virtual std::vector<Light*> getLights();
    virtual int getLightCount();
    virtual void initUniforms();

    std::vector<ImportObject*> getObjects() const { return objects; }

    std::vector<ImportObject*> objects; // owned
    std::vector<Light*> lights;         // not owned
    std::vector<Material*> materials;   // only the list is owned
    Shader* shader = nullptr;
    PlayerObject* player = nullptr; // one of objects
    GLint depthMapLocations[maxShadowMaps] = {-1, -1, -1, -1, -1};
    GLint numberOfLightsLocation = -1;
    GLint positionLocations[maxLights] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    GLint powerLocations[maxLights] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    GLint colorLocations[maxLights] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    GLint nearFarLocations[maxLights] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    GLint unitLocations[maxLights] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    GLenum textureFilter = GL_LINEAR_MIPMAP_LINEAR;
};
