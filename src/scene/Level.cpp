#include "scene/Level.h"

#include "scene/PlayerObject.h"

#include <algorithm>
#include <set>

namespace {

// The texture unit a light's cube map takes: one per light from the first
// shadow unit on, in the order the lights joined the level.
int32_t shadowUnitOf(size_t lightIndex) { return static_cast<int32_t>(lightIndex) + textureUnits::firstShadowMap; }

void setFilters(GLenum filter)
{
    // Magnification knows no mipmaps (GL refuses such a value): with a
    // mipmapped filter it keeps what it had, and minification takes the filter.
    if (filter == GL_NEAREST || filter == GL_LINEAR)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(filter));
}

} // namespace

Level::Level(LevelAssets levelAssets) : SceneObject(glm::mat4(1.0f)), assets(std::move(levelAssets))
{
    if (!assets.cameras)
        assets.cameras = std::make_unique<CameraList>();
    for (size_t i = 0; i < assets.lights.size(); ++i)
        assets.lights[i]->unit = shadowUnitOf(i);
    setTextureFilter(GL_LINEAR_MIPMAP_LINEAR);
}

// Objects go first: they point at materials and textures, never the reverse.
Level::~Level() { assets.objects.clear(); }

MeshObject* Level::add(std::unique_ptr<MeshObject> object)
{
    if (auto* player = dynamic_cast<PlayerObject*>(object.get()))
        assets.player = player;
    assets.objects.push_back(std::move(object));
    setTextureFilter(appliedTextureFilter);
    return assets.objects.back().get();
}

Light* Level::addLight(std::unique_ptr<Light> light)
{
    light->unit = shadowUnitOf(assets.lights.size());
    assets.lights.push_back(std::move(light));
    return assets.lights.back().get();
}

std::vector<MeshObject*> Level::getObjects() const
{
    std::vector<MeshObject*> objects;
    for (const auto& object : assets.objects)
        objects.push_back(object.get());
    return objects;
}

std::vector<Light*> Level::getLights() const
{
    std::vector<Light*> view;
    for (const auto& light : assets.lights)
        view.push_back(light.get());
    return view;
}

void Level::step(double dt)
{
    for (const auto& object : assets.objects)
        object->step(dt);
}

void Level::update()
{
    for (const auto& object : assets.objects)
        object->update();

    // The last light is the viewer's lamp: it hangs just behind and above the
    // eye. Without a light or a camera there is nothing to move.
    if (assets.lights.empty() || assets.player == nullptr || !assets.player->camera)
        return;
    const Camera& camera = *assets.player->camera;
    assets.lights.back()->position = camera.position - camera.direction + glm::vec3(0.0f, 1.0f, 0.0f);
}

void Level::draw(LitPass& pass, const ViewFrustum* frustum) const { draw(pass, frustum, nullptr); }

void Level::draw(LitPass& pass, const ViewFrustum* frustum, const MeshObject* viewer) const
{
    for (const auto& object : assets.objects)
        if (object.get() != viewer)
            object->draw(pass, frustum);
}

void Level::drawDepth(const LitPass& pass, const ViewFrustum* frustum, const MeshObject* viewer) const
{
    for (const auto& object : assets.objects)
        if (object.get() != viewer)
            object->drawDepth(pass, frustum);
}

std::vector<ShadowCaster> Level::shadowCasters() const
{
    std::vector<ShadowCaster> casters;
    for (const auto& object : assets.objects)
        casters.push_back(object->shadowCaster());
    return casters;
}

std::vector<LitLight> Level::litLights() const
{
    std::vector<LitLight> lights;
    for (const auto& light : assets.lights)
        lights.push_back(light->litLight());
    return lights;
}

Extent Level::extent() const
{
    if (assets.objects.empty())
        return {};
    Extent box{glm::vec3(1e30f), glm::vec3(-1e30f)};
    for (const auto& object : assets.objects) {
        const glm::mat4& placed = object->initialModelMatrix;
        const glm::vec3 centre(placed * glm::vec4(object->boundingSphere.center, 1.0f));
        const float scale = std::max(
            {glm::length(glm::vec3(placed[0])), glm::length(glm::vec3(placed[1])), glm::length(glm::vec3(placed[2]))});
        const glm::vec3 reach(object->boundingSphere.radius * scale);
        box.low = glm::min(box.low, centre - reach);
        box.high = glm::max(box.high, centre + reach);
    }
    return box;
}

void Level::setTextureFilter(GLenum filter)
{
    appliedTextureFilter = filter;
    std::set<GLuint> textures;
    for (const auto& object : assets.objects)
        for (GLuint texture : {object->mesh.colorTexture, object->mesh.normalMap})
            if (texture != 0)
                textures.insert(texture);
    if (textures.empty())
        return;

    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    for (GLuint texture : textures) {
        glBindTexture(GL_TEXTURE_2D, texture);
        setFilters(filter);
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
}
