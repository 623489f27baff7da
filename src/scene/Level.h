#pragma once

#include "render/GlObjects.h"
#include "render/TextureUnits.h"
#include "scene/Camera.h"
#include "scene/ImportObject.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/SceneObject.h"

#include <GL/glew.h>

#include <memory>
#include <vector>

class PlayerObject;
class Shader;

// Everything the import makes for one level, handed to the Level whole.
struct LevelAssets {
    std::vector<std::unique_ptr<ImportObject>> objects; // parents before their children
    std::vector<std::unique_ptr<Material>> materials;   // one per mesh object
    std::vector<std::unique_ptr<Light>> lights;          // the file's lights, in file order
    std::vector<gl::Texture> textures;                   // colour textures and normal maps
    std::unique_ptr<CameraList> cameras;                 // the cameras after the player's
    PlayerObject* player = nullptr;                      // one of objects, or null
};

// The whole loaded level: it owns its objects, lights, materials, textures and
// cameras. Updates every object and runs the lit pass.
class Level : public kirn::scene::SceneObject {
public:
    static constexpr int maxLights = 10;
    static constexpr int maxShadowMaps = textureUnits::shadowMapCount;

    // Finds the lit program's uniforms and gives each file light its shadow
    // unit. `shader` may be null for a level that never draws.
    Level(Shader* shader, LevelAssets assets);
    ~Level() override;

    // One physics sub-step of `dt` is about to run: every object's step.
    void step(double dt);
    // Updates every object, then moves the last light behind the player's camera.
    void update(double frameTime) override;
    // The lit pass: light uniforms, shadow samplers, every object.
    void draw(ViewFrustum* frustum) override;
    // Every object's depth, with a program in use that shares the lit pass's
    // vertex stage (modelMatrix at `modelLocation`).
    void drawDepth(ViewFrustum* frustum, GLint modelLocation);
    // Appends a light; it takes the next shadow unit. Returns the light.
    Light* addLight(std::unique_ptr<Light> light);
    // The depth cube map of the first light on texture `unit`; -1 for none.
    int getShadowMap(int unit) const;
    // Sets minification and magnification of every texture the objects use.
    void setTextureFilter(GLenum filter);
    GLenum textureFilter() const { return appliedTextureFilter; }

    std::vector<ImportObject*> getObjects() const;
    std::vector<Light*> getLights() const;
    int getLightCount() const { return static_cast<int>(assets.lights.size()); }
    CameraList* getCameras() const { return assets.cameras.get(); }

    PlayerObject* player = nullptr; // one of the objects

private:
    struct LightUniforms {
        GLint position = -1;
        GLint color = -1;
        GLint power = -1;
        GLint nearFar = -1;
        GLint unit = -1;
    };

    void findUniforms();
    void uploadLights();
    void bindShadowMaps(bool bound[]);

    LevelAssets assets;
    Shader* shader = nullptr;
    GLenum appliedTextureFilter = 0;
    GLint lightCountLocation = -1;
    GLint shadowSamplerLocations[maxShadowMaps] = {-1, -1, -1, -1, -1};
    LightUniforms lightLocations[maxLights];
};
