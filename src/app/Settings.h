#pragma once

#include "app/KeyActions.h"

#include "render/Gl.h"

#include <array>
#include <string>

struct GLFWwindow;

// The switches the player flips at run time, and the keys that flip them.
class Settings {
public:
    // The edge-triggered keys, in the order handleKeys reads them.
    enum LatchedKey { F12, F10, F6, F3, F4, F5, F7, R, F8, PageUp, PageDown, M, F11, F9, G, LatchedKeyCount };

    // Reads every key of `window` once: latched keys act once per press, the
    // light keys (U, J, H, K, L, O) every frame they are down. Flips this
    // object's own flags and returns what the game must do.
    KeyActions handleKeys(GLFWwindow* window);

    std::string textureFilterName() const;
    std::string mipmapFilterName() const;
    // The filter the level's meshes use: mipmapFilter unless it is 0, else
    // textureFilter; anything unknown becomes GL_LINEAR_MIPMAP_LINEAR.
    GLenum effectiveTextureFilter() const;

    bool normalMapping = true;
    bool wireframe = false;
    bool bloom = true;
    bool overlay = true; // the crosshair and the level's hint
    bool shadowMapping = true;
    bool frustumCulling = true;
    GLenum textureFilter = GL_NEAREST;
    GLenum mipmapFilter = GL_LINEAR_MIPMAP_LINEAR;

    std::array<bool, LatchedKeyCount> latches{}; // set when a key's action fired, cleared on release

private:
    // True on the first frame `key` is seen down or a press of it was noted;
    // not again until it has been seen released or pressed anew.
    bool latched(GLFWwindow* window, LatchedKey latch, int key);
    void toggleWireframe();
    void toggleTextureFilter();
    void cycleMipmapFilter();
};
