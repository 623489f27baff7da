#pragma once

#include "core/Extent.h"
#include "render/GlObjects.h"
#include "render/LitPass.h"
#include "render/ShadowPass.h"
#include "render/TextureUnits.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/MeshObject.h"
#include "scene/SceneObject.h"

#include "render/Gl.h"

#include <memory>
#include <vector>

class PlayerObject;

// Everything the import makes for one level, handed to the Level whole.
struct LevelAssets {
    std::vector<std::unique_ptr<MeshObject>> objects; // parents before their children
    std::vector<std::unique_ptr<Material>> materials; // one per mesh object
    std::vector<std::unique_ptr<Light>> lights;       // the file's lights, in file order
    std::vector<gl::Texture> textures;                // colour textures and normal maps
    std::unique_ptr<CameraList> cameras;              // the cameras after the player's
    PlayerObject* player = nullptr;                   // one of objects, or null
};

// The whole loaded level: it owns its objects, lights, materials, textures and
// cameras, steps and updates every object, and hands its meshes and lights to
// the passes that draw them.
class Level : public kirn::scene::SceneObject {
public:
    static constexpr int maxLights = LitPass::maxLights;
    static constexpr int maxShadowMaps = LitPass::maxShadowMaps;

    // Gives each file light its shadow unit and the textures their filter.
    explicit Level(LevelAssets assets);
    ~Level() override;

    // Appends an object (after its parent, if it has one); a player becomes
    // the level's player. Returns the object.
    MeshObject* add(std::unique_ptr<MeshObject> object);
    // Appends a light; it takes the next shadow unit. Returns the light.
    Light* addLight(std::unique_ptr<Light> light);

    // One physics sub-step of `dt` is about to run: every object's step.
    void step(double dt);
    // Updates every object, then moves the last light behind the player's camera.
    void update() override;
    // Every object to the lit pass, which the caller has begun.
    void draw(LitPass& pass, const ViewFrustum* frustum) const override;
    // The same without `viewer`, the object the camera sits in: the player
    // does not see the inside of its own body.
    void draw(LitPass& pass, const ViewFrustum* frustum, const MeshObject* viewer) const;
    // Every object but `viewer` to the depth pre-pass, which the caller has begun.
    void drawDepth(const LitPass& pass, const ViewFrustum* frustum, const MeshObject* viewer = nullptr) const;
    // Every object as the shadow pass draws it.
    std::vector<ShadowCaster> shadowCasters() const;
    // Every light as the lit pass takes it.
    std::vector<LitLight> litLights() const;

    // The box around every object where the level placed it.
    Extent extent() const;

    // Sets minification and magnification of every texture the objects use.
    void setTextureFilter(GLenum filter);
    GLenum textureFilter() const { return appliedTextureFilter; }

    std::vector<MeshObject*> getObjects() const;
    std::vector<Light*> getLights() const;
    int getLightCount() const { return static_cast<int>(assets.lights.size()); }
    CameraList* getCameras() const { return assets.cameras.get(); }
    PlayerObject* player() const { return assets.player; }

private:
    LevelAssets assets;
    GLenum appliedTextureFilter = 0;
};
