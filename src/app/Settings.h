#pragma once

#include <GL/glew.h>

#include <array>
#include <cstdint>
#include <string>

struct GLFWwindow;
class BulletDebug;
class CameraList;
class Level;
class BulletDemo;

// The switches the player flips at run time, and the keys that flip them.
class Settings {
public:
    // The edge-triggered keys, in the order handleKeys reads them.
    enum LatchedKey { F12, F10, F6, F3, F4, F5, F7, R, F8, PageUp, PageDown, LatchedKeyCount };

    Settings(GLFWwindow* window, BulletDebug* debugDrawer, CameraList* cameraList, Level* level);

    // Reads every key once: latched keys act once per press, the light keys
    // (U, J, H, K, L, O) every frame they are down.
    void handleKeys();

    std::string textureFilterName() const;
    std::string mipmapFilterName() const;
    // The filter the level's meshes use: mipmapFilter unless it is 0, else
    // textureFilter; anything unknown becomes GL_LINEAR_MIPMAP_LINEAR.
    GLenum effectiveTextureFilter() const;

    GLFWwindow* window;
    BulletDebug* debugDrawer;
    CameraList* cameraList;
    Level* level;
    int32_t normalMapping = 1;
    int32_t wireframe = 0;
    int32_t bloom = 1;
    int32_t shadowMapping = 1;
    int32_t frustumCulling = 1;
    GLenum textureFilter = GL_NEAREST;
    GLenum mipmapFilter = GL_LINEAR_MIPMAP_LINEAR;
    int32_t reloadRequested = 0;

    std::array<bool, LatchedKeyCount> latches{}; // set when a key's action fired, cleared on release

private:
    void latched(LatchedKey latch, int key, void (Settings::*action)());
    void moveFirstLight(int axis, double delta);
    void toggleDebugDrawing();
    void toggleShadowMapping();
    void toggleNormalMapping();
    void toggleWireframe();
    void toggleTextureFilter();
    void cycleMipmapFilter();
    void toggleBloom();
    void requestReload();
    void toggleFrustumCulling();
    void nextCamera();
    void previousCamera();
};

// One game frame's update: a physics step of at most 7 sub-steps, the keys,
// the level's update and, with shadows on, every light's shadow matrices.
void updateGame(Settings& settings, BulletDemo& physics, double frameTime);
