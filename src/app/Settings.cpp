#include "app/Settings.h"

#include "core/Input.h"
#include "physics/BulletDemo.h"
#include "render/BulletDebug.h"
#include "scene/Camera.h"
#include "scene/Level.h"
#include "scene/Light.h"

#include <GLFW/glfw3.h>

Settings::Settings(GLFWwindow* window, BulletDebug* debugDrawer, CameraList* cameraList, Level* level)
    : window(window), debugDrawer(debugDrawer), cameraList(cameraList), level(level)
{
}

void Settings::handleKeys()
{
    latched(F12, GLFW_KEY_F12, &Settings::toggleDebugDrawing);
    if (input::isPressed(window, GLFW_KEY_U))
        moveFirstLight(2, -0.1);
    if (input::isPressed(window, GLFW_KEY_J))
        moveFirstLight(2, +0.1);
    if (input::isPressed(window, GLFW_KEY_H))
        moveFirstLight(0, -0.1);
    if (input::isPressed(window, GLFW_KEY_K))
        moveFirstLight(0, +0.1);
    if (input::isPressed(window, GLFW_KEY_L))
        moveFirstLight(1, -0.1);
    if (input::isPressed(window, GLFW_KEY_O))
        moveFirstLight(1, +0.1);
    latched(F10, GLFW_KEY_F10, &Settings::toggleShadowMapping);
    latched(F6, GLFW_KEY_F6, &Settings::toggleNormalMapping);
    latched(F3, GLFW_KEY_F3, &Settings::toggleWireframe);
    latched(F4, GLFW_KEY_F4, &Settings::toggleTextureFilter);
    latched(F5, GLFW_KEY_F5, &Settings::cycleMipmapFilter);
    latched(F7, GLFW_KEY_F7, &Settings::toggleBloom);
    latched(R, GLFW_KEY_R, &Settings::requestReload);
    latched(F8, GLFW_KEY_F8, &Settings::toggleFrustumCulling);
    latched(PageUp, GLFW_KEY_PAGE_UP, &Settings::nextCamera);
    latched(PageDown, GLFW_KEY_PAGE_DOWN, &Settings::previousCamera);
}

// An edge-triggered key acts on the first frame it is seen down and not again
// until it has been seen released.
void Settings::latched(LatchedKey latch, int key, void (Settings::*action)())
{
    if (input::isPressed(window, key) && !latches[latch]) {
        (this->*action)();
        latches[latch] = true;
    }
    if (input::isReleased(window, key))
        latches[latch] = false;
}

// The light keys move the first light by 0.1 per frame, added in double
// precision and stored back as float.
void Settings::moveFirstLight(int axis, double delta)
{
    if (!level)
        return;
    const auto lights = level->getLights();
    if (lights.empty())
        return;
    float& coordinate = lights.front()->position[axis];
    coordinate = static_cast<float>(static_cast<double>(coordinate) + delta);
}

namespace {
void toggle(int32_t& flag)
{
    if (flag == 1)
        flag = 0;
    else if (flag == 0)
        flag = 1;
}
} // namespace

void Settings::toggleDebugDrawing()
{
    if (!debugDrawer)
        return;
    if (debugDrawer->getDebugMode() == 1)
        debugDrawer->setDebugMode(0);
    else if (debugDrawer->getDebugMode() == 0)
        debugDrawer->setDebugMode(1);
}

void Settings::toggleShadowMapping() { toggle(shadowMapping); }
void Settings::toggleNormalMapping() { toggle(normalMapping); }
void Settings::toggleBloom() { toggle(bloom); }
void Settings::toggleFrustumCulling() { toggle(frustumCulling); }

void Settings::toggleWireframe()
{
    if (wireframe == 1) {
        wireframe = 0;
        normalMapping = 0;
    } else if (wireframe == 0) {
        wireframe = 1;
    }
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

void Settings::requestReload()
{
    if (reloadRequested == 0)
        reloadRequested = 1;
}

void Settings::nextCamera()
{
    if (!cameraList)
        return;
    cameraList->selectedIndex += 1;
    if (cameraList->selectedIndex > cameraList->cameraCount)
        cameraList->selectedIndex = 0;
}

void Settings::previousCamera()
{
    if (!cameraList)
        return;
    cameraList->selectedIndex -= 1;
    if (cameraList->selectedIndex < 0)
        cameraList->selectedIndex = cameraList->cameraCount;
}

std::string Settings::textureFilterName() const
{
    return textureFilter == GL_NEAREST ? "GL_NEAREST" : "GL_LINEAR";
}

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

void updateGame(Settings& settings, BulletDemo& physics, double frameTime)
{
    physics.stepSimulation(frameTime);
    settings.handleKeys();
    settings.level->update(frameTime);
    if (settings.shadowMapping == 1) {
        for (Light* light : settings.level->getLights())
            light->updateShadowTransforms();
    }
}
