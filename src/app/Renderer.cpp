#include "app/Renderer.h"

#include "app/Overlay.h"
#include "app/Settings.h"
#include "physics/PhysicsWorld.h"
#include "render/Picture.h"
#include "render/Program.h"
#include "scene/Camera.h"
#include "scene/Level.h"

#include <algorithm>
#include <optional>

namespace {

const char* const menuPictureFiles[MenuScreen::pictureCount] = {
    "welcome16_9.png", "gameOver16_9.png", "win16_9.png", "pause16_9.png", "settings16_9.png",
    "welcome4_3.png",  "gameOver4_3.png",  "win4_3.png",  "pause4_3.png",  "settings4_3.png",
};

// Runs `load` unless an earlier step failed, keeping its value or its failure.
template <typename T, typename Load> bool take(T& into, std::optional<Failure>& failure, Load load)
{
    if (failure)
        return false;
    Result<T> result = load();
    if (!result) {
        failure = result.failure();
        return false;
    }
    into = std::move(result.value());
    return true;
}

} // namespace

struct Renderer::Parts {
    gl::Program lit, depthOnly, line, shadowDebug, shadowFirstPass, shadow, bloomFirst, bloomSecond, bloomCompose, text,
        menu, sky;
    gl::Texture fontAtlas, skyPicture;
    std::array<gl::Texture, MenuScreen::pictureCount> menuPictures;
};

Result<std::unique_ptr<Renderer>> Renderer::load(const std::string& dataFolder, int width, int height)
{
    const std::string shaders = dataFolder + "Shader/";
    const std::string menu = dataFolder + "Textures/menu/";
    Parts p;
    std::optional<Failure> failure;
    auto program = [&](gl::Program& into, const char* name, bool geometry = false) {
        return take(into, failure, [&] { return loadProgram(shaders, name, geometry); });
    };
    auto picture = [&](gl::Texture& into, const std::string& path) {
        return take(into, failure, [&] { return loadPicture(path); });
    };
    program(p.lit, "PhongCombined");
    take(p.depthOnly, failure,
         [&] { return loadProgramFiles(shaders + "PhongCombined.vert", shaders + "depthOnly.frag"); });
    program(p.line, "line");
    program(p.shadowDebug, "shadowMapDebugCubeShader");
    program(p.shadowFirstPass, "shadowMapFirstPassFrameBuffer");
    if (gl::web) // no geometry stage: the shadow maps are drawn a face at a time
        take(p.shadow, failure, [&] {
            return loadProgramFiles(shaders + "shadowMapOmniFace.vert", shaders + "shadowMapOmniFirstPass.frag");
        });
    else
        program(p.shadow, "shadowMapOmniFirstPass", true);
    program(p.bloomFirst, "bloomFirstPassFrameBuffer");
    program(p.bloomSecond, "bloomSecondPassFrameBuffer");
    take(p.bloomCompose, failure,
         [&] { return loadProgramFiles(shaders + "bloomSecondPassFrameBuffer.vert", shaders + "bloomCompose.frag"); });
    program(p.text, "TextVertexShader");
    picture(p.fontAtlas, menu + "fontArialMirrored.png");
    program(p.menu, "menu");
    program(p.sky, "sky");
    for (int i = 0; i < MenuScreen::pictureCount; ++i)
        picture(p.menuPictures[i], menu + menuPictureFiles[i]);
    picture(p.skyPicture, dataFolder + "Textures/sky/dusk.png");
    if (failure)
        return *failure;
    return std::unique_ptr<Renderer>(new Renderer(std::move(p), width, height));
}

Renderer::Renderer(Parts p, int width, int height)
    : width(width), height(height), litPass(std::move(p.lit), std::move(p.depthOnly)),
      shadowPass(std::move(p.shadow), LitPass::maxShadowMaps, !gl::web),
      bloom(std::move(p.bloomFirst), std::move(p.bloomSecond), std::move(p.bloomCompose), width, height),
      sky(std::move(p.sky), std::move(p.skyPicture)),
      menuScreen(std::move(p.menu), std::move(p.menuPictures), isFourByThree(width, height)),
      textRenderer(std::move(p.text), std::move(p.fontAtlas)),
      debugDrawer(std::make_unique<DebugLineRecorder>(std::move(p.line))), unusedPrograms{std::move(p.shadowDebug),
                                                                                          std::move(p.shadowFirstPass)}
{
}

void Renderer::resize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
    bloom.resize(width, height);
    menuScreen.setFourByThree(isFourByThree(width, height));
    glViewport(0, 0, width, height);
}

VertexLayout Renderer::vertexLayout() const
{
    VertexLayout layout = litPass.vertexLayout();
    layout.shadowPosition = shadowPass.positionLocation();
    return layout;
}

void Renderer::drawPicture(MenuScreen::Picture picture) const { menuScreen.draw(picture); }

// The crosshair in the screen's middle, the hint low over the ground.
void Renderer::drawOverlay(const Overlay& overlay)
{
    std::vector<TextLine> lines = {{"+", 960.0f, 516.0f, 48.0f, glm::vec4(1.0f, 1.0f, 1.0f, 0.85f)}};
    if (overlay.hintStrength() > 0.0f)
        lines.push_back({overlay.hint(), 960.0f, 150.0f, 48.0f, glm::vec4(1.0f, 0.93f, 0.75f, overlay.hintStrength())});
    drawText(lines);
}

// The dark copy keeps a line readable on bright rock.
void Renderer::drawText(const std::vector<TextLine>& lines)
{
    for (const TextLine& line : lines) {
        textRenderer.draw(line.text, line.centreX + 3.0f, line.bottom - 3.0f, line.size,
                          glm::vec4(0.0f, 0.0f, 0.0f, 0.6f * line.colour.a));
        textRenderer.draw(line.text, line.centreX, line.bottom, line.size, line.colour);
    }
}

// A level with fewer than five lights simply has fewer shadow casters.
void Renderer::renderShadows(const Level& level, bool wireframe)
{
    // Lines in wireframe as in the scene pass, filled otherwise: the mode the
    // last pass left may be a frame out of date.
    gl::setWireframe(wireframe);
    const std::vector<ShadowCaster> casters = level.shadowCasters();
    const std::vector<Light*> lights = level.getLights();
    const int count = std::min(shadowPass.mapCount(), static_cast<int>(lights.size()));
    for (int i = 0; i < count; ++i)
        litPass.setShadowMap(static_cast<size_t>(i), shadowPass.render(i, lights[i]->shadowLight(), casters));
    glViewport(0, 0, width, height);
}

void Renderer::renderScene(const Level& level, const Camera& camera, const MeshObject* viewer, const Settings& settings,
                           PhysicsWorld& physics, LitPass* variant)
{
    LitPass& pass = variant ? *variant : litPass;
    if (variant)
        variant->useShadowMapsOf(litPass);
    if (settings.bloom && !settings.wireframe)
        bloom.bindSceneTarget();
    viewFrustum.cullingEnabled = settings.frustumCulling;
    if (settings.frustumCulling)
        extractFrustumPlanes(viewFrustum, camera.getProjection(), camera.getView());
    gl::setWireframe(settings.wireframe);

    LitView view;
    view.view = camera.getView();
    view.projection = camera.getProjection();
    view.normalMapping = settings.normalMapping;
    view.shadowMapping = settings.shadowMapping;

    // Depth first, then the lit pass shades only the fragments at the depth
    // it left: a software rasteriser's time goes by shaded fragments, and the
    // lit program reads some twenty cube map texels per fragment. Both
    // programs share the vertex stage and place fragments alike (see
    // depthOnly.frag). Lines (wireframe) would tie with each other at equal
    // depth: that debug view keeps the single pass.
    const bool filled = !settings.wireframe;
    if (filled) {
        pass.beginDepth(view);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        level.drawDepth(pass, &viewFrustum, viewer);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_FALSE);
    }
    pass.begin(view, level.litLights());
    level.draw(pass, &viewFrustum, viewer);
    pass.end();
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
    // Wireframe shows the level's lines alone.
    if (filled)
        sky.draw(camera.getViewProjection());
    physics.drawDebugLines();
    debugDrawer->flush(camera.getViewProjection());
}
