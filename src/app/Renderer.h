#pragma once

#include "app/PictureText.h"
#include "core/Result.h"
#include "render/Bloom.h"
#include "render/DebugLineRecorder.h"
#include "render/LitPass.h"
#include "render/MenuScreen.h"
#include "render/ShadowPass.h"
#include "render/Sky.h"
#include "render/TextRenderer.h"
#include "render/VertexLayout.h"
#include "scene/ViewFrustum.h"

#include <array>
#include <memory>
#include <string>

class Camera;
class Level;
class MeshObject;
class PhysicsWorld;
class Settings;

// Everything the game draws with, and the passes of a frame: the menu
// pictures, the shadow maps, the scene (depth pre-pass, lit pass, sky,
// physics debug lines) and the bloom. It owns every program and picture of
// the game but the level's own textures.
class Overlay;

class Renderer {
public:
    // Loads the programs from "Shader/" and the pictures from "Textures/" under
    // `dataFolder` (ending in a slash, or empty for the working directory) in
    // the game's fixed order, each fully before the next, and builds the
    // passes for a screen of `width` × `height`. The failure is that of the
    // first program or picture that cannot be had.
    static Result<std::unique_ptr<Renderer>> load(const std::string& dataFolder, int width, int height);

    // Every pass at a new screen size, the viewport too.
    void resize(int width, int height);

    // Where the mesh objects' vertex arrays must put their attributes.
    VertexLayout vertexLayout() const;
    // Where the physics world's debug drawing goes (F12).
    DebugLineRecorder& debugLines() { return *debugDrawer; }

    void drawPicture(MenuScreen::Picture picture) const;
    // The cube maps of the first five lights of `level`, from its objects,
    // in lines when `wireframe`. Leaves the viewport at the screen.
    void renderShadows(const Level& level, bool wireframe);
    // The scene pass into the bloom's target, or the screen when `bloom` is
    // off: culling planes from `camera`, the depth pre-pass (not in
    // wireframe), the lit pass, the sky and the debug lines of `physics`.
    // `viewer`, the object the camera sits in (if any), is left out.
    // `litPass` stands in for the game's own lit pass when given (the
    // benchmark measures variants with it).
    void renderScene(const Level& level, const Camera& camera, const MeshObject* viewer, const Settings& settings,
                     PhysicsWorld& physics, LitPass* litPass = nullptr);
    // The bloom passes onto the screen, from the target of the scene pass.
    void renderBloom() { bloom.render(); }
    // Over the finished frame: the crosshair, and the overlay's hint as strong as it is now.
    void drawOverlay(const Overlay& overlay);
    // Over the finished frame, each line over a dark copy of itself a little lower.
    void drawText(const std::vector<TextLine>& lines);
    const Bloom& bloomPasses() const { return bloom; }

private:
    // The programs and pictures in the order load reads them.
    struct Parts;
    Renderer(Parts parts, int width, int height);

    int width;
    int height;
    LitPass litPass;
    ShadowPass shadowPass;
    Bloom bloom;
    Sky sky;
    MenuScreen menuScreen;
    TextRenderer textRenderer;
    std::unique_ptr<DebugLineRecorder> debugDrawer; // the physics world keeps its address
    // Never drawn with, but a game without their files does not start.
    std::array<gl::Program, 2> unusedPrograms;
    ViewFrustum viewFrustum;
};
