#include "app/Settings.h"

#include "core/Input.h"
#include "core/Tuning.h"

#include <GLFW/glfw3.h>

namespace {

void toggle(bool& flag) { flag = !flag; }

} // namespace

KeyActions Settings::handleKeys(GLFWwindow* window)
{
    KeyActions actions;
    // G as well: a browser keeps F12 for its developer tools. Both latches are read.
    const bool f12 = latched(window, F12, GLFW_KEY_F12);
    const bool g = latched(window, G, GLFW_KEY_G);
    actions.toggleDebugLines = f12 || g;
    // The light keys move the first light by a step each physics step.
    constexpr double step = tuning::lightKeyStep;
    const struct {
        int key;
        LightStep step;
    } lightKeys[] = {
        {GLFW_KEY_U, {2, -step}}, {GLFW_KEY_J, {2, +step}}, {GLFW_KEY_H, {0, -step}},
        {GLFW_KEY_K, {0, +step}}, {GLFW_KEY_L, {1, -step}}, {GLFW_KEY_O, {1, +step}},
    };
    for (const auto& light : lightKeys)
        if (input::isPressed(window, light.key))
            actions.lightSteps.push_back(light.step);
    if (latched(window, F10, GLFW_KEY_F10))
        toggle(shadowMapping);
    if (latched(window, F6, GLFW_KEY_F6))
        toggle(normalMapping);
    if (latched(window, F3, GLFW_KEY_F3))
        toggleWireframe();
    if (latched(window, F4, GLFW_KEY_F4))
        toggleTextureFilter();
    if (latched(window, F5, GLFW_KEY_F5))
        cycleMipmapFilter();
    if (latched(window, F7, GLFW_KEY_F7))
        toggle(bloom);
    if (latched(window, F9, GLFW_KEY_F9))
        toggle(overlay);
    actions.reload = latched(window, R, GLFW_KEY_R);
    if (latched(window, F8, GLFW_KEY_F8))
        toggle(frustumCulling);
    if (latched(window, PageUp, GLFW_KEY_PAGE_UP))
        actions.cameraStep += 1;
    if (latched(window, PageDown, GLFW_KEY_PAGE_DOWN))
        actions.cameraStep -= 1;
    actions.toggleMute = latched(window, M, GLFW_KEY_M);
    actions.toggleFullScreen = latched(window, F11, GLFW_KEY_F11);
    return actions;
}

// A press the key callback noted acts even when the key is up again by the
// time the frame reads it (a tap between two frames), and a new press acts
// though the latch is still set from before.
bool Settings::latched(GLFWwindow* window, LatchedKey latch, int key)
{
    const bool down = input::isPressed(window, key);
    const bool fired = input::takePress(key) || (down && !latches[latch]);
    if (fired || input::isReleased(window, key))
        latches[latch] = down;
    return fired;
}

// Leaving wireframe turns normal mapping off as well.
void Settings::toggleWireframe()
{
    if (wireframe)
        normalMapping = false;
    wireframe = !wireframe;
}

void Settings::toggleTextureFilter()
{
    if (textureFilter == GL_NEAREST)
        textureFilter = GL_LINEAR;
    else if (textureFilter == GL_LINEAR)
        textureFilter = GL_NEAREST;
}

void Settings::cycleMipmapFilter()
{
    if (mipmapFilter == GL_NEAREST_MIPMAP_NEAREST)
        mipmapFilter = GL_LINEAR_MIPMAP_LINEAR;
    else if (mipmapFilter == GL_LINEAR_MIPMAP_LINEAR)
        mipmapFilter = 0;
    else if (mipmapFilter == 0)
        mipmapFilter = GL_NEAREST_MIPMAP_NEAREST;
}

std::string Settings::textureFilterName() const { return textureFilter == GL_NEAREST ? "GL_NEAREST" : "GL_LINEAR"; }

std::string Settings::mipmapFilterName() const
{
    if (mipmapFilter == GL_LINEAR_MIPMAP_LINEAR)
        return "GL_LINEAR_MIPMAP_LINEAR";
    if (mipmapFilter == GL_NEAREST_MIPMAP_NEAREST)
        return "GL_NEAREST_MIPMAP_NEAREST";
    return "OFF";
}

GLenum Settings::effectiveTextureFilter() const
{
    const GLenum filter = mipmapFilter != 0 ? mipmapFilter : textureFilter;
    switch (filter) {
    case GL_LINEAR:
    case GL_NEAREST:
    case GL_NEAREST_MIPMAP_NEAREST:
    case GL_LINEAR_MIPMAP_LINEAR:
        return filter;
    default:
        return GL_LINEAR_MIPMAP_LINEAR;
    }
}
