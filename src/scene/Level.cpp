#include "scene/Level.h"

#include "render/Shader.h"
#include "scene/PlayerObject.h"

#include <algorithm>
#include <set>
#include <string>

namespace {

// The samplers of textureUnits::shadowMapSamplers, in that order.
const char* const shadowSamplerNames[Level::maxShadowMaps] = {"depth_map", "depth_map2", "depth_map3", "depth_map4",
                                                              "depth_map5"};

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

Level::Level(Shader* shader, LevelAssets levelAssets)
    : SceneObject(glm::mat4(1.0f)), player(levelAssets.player), assets(std::move(levelAssets)), shader(shader)
{
    for (size_t i = 0; i < assets.lights.size(); ++i)
        assets.lights[i]->unit = shadowUnitOf(i);
    if (shader)
        findUniforms();
    setTextureFilter(GL_LINEAR_MIPMAP_LINEAR);
}

// Objects go first: they point at materials and textures, never the reverse.
Level::~Level() { assets.objects.clear(); }

std::vector<ImportObject*> Level::getObjects() const
{
    std::vector<ImportObject*> objects;
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

void Level::update(double frameTime)
{
    for (const auto& object : assets.objects)
        object->update(frameTime);

    // The last light is the viewer's lamp: it hangs just behind and above the
    // eye. Without a light or a camera there is nothing to move.
    if (assets.lights.empty() || player == nullptr || !player->camera)
        return;
    const Camera& camera = *player->camera;
    assets.lights.back()->position = camera.position - camera.direction + glm::vec3(0.0f, 1.0f, 0.0f);
}

void Level::draw(ViewFrustum* frustum)
{
    const GLuint program = shader->program;
    glUseProgram(program);
    uploadLights();
    bool bound[maxShadowMaps] = {};
    bindShadowMaps(bound);

    for (const auto& object : assets.objects) {
        // Each object's draw ends with program 0.
        glUseProgram(program);
        object->draw(frustum);
    }

    for (int i = 0; i < maxShadowMaps; ++i) {
        if (!bound[i])
            continue;
        glActiveTexture(textureUnits::glUnit(textureUnits::firstShadowMap + i));
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
    glActiveTexture(textureUnits::glUnit(textureUnits::color));
}

void Level::drawDepth(ViewFrustum* frustum, GLint modelLocation)
{
    for (const auto& object : assets.objects)
        object->drawDepth(frustum, modelLocation);
}

void Level::uploadLights()
{
    const int count = std::min(getLightCount(), maxLights);
    glUniform1i(lightCountLocation, count);
    for (int i = 0; i < count; ++i) {
        const Light& light = *assets.lights[i];
        const LightUniforms& at = lightLocations[i];
        glUniform3fv(at.position, 1, &light.position[0]);
        glUniform3fv(at.color, 1, &light.color[0]);
        glUniform1f(at.power, light.power * 4.0f);
        const GLfloat nearFar[2] = {light.nearPlane, light.farPlane};
        glUniform2fv(at.nearFar, 1, nearFar);
        glUniform1f(at.unit, static_cast<float>(light.unit));
    }
}

// Binds every rendered cube map on its light's unit, for the sampler that
// reads that unit; `bound` records which of the shadow units got one.
void Level::bindShadowMaps(bool bound[])
{
    for (int sampler = 0; sampler < maxShadowMaps; ++sampler) {
        const int unit = textureUnits::shadowMapSamplers[sampler];
        const int map = getShadowMap(unit);
        if (map == -1)
            continue;
        glActiveTexture(textureUnits::glUnit(unit));
        glUniform1i(shadowSamplerLocations[sampler], unit);
        glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(map));
        bound[unit - textureUnits::firstShadowMap] = true;
    }
}

Light* Level::addLight(std::unique_ptr<Light> light)
{
    light->unit = shadowUnitOf(assets.lights.size());
    assets.lights.push_back(std::move(light));
    return assets.lights.back().get();
}

int Level::getShadowMap(int unit) const
{
    for (const auto& light : assets.lights)
        if (light->unit == unit)
            return light->depthMap;
    return -1;
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

// Every location the lit pass needs, once: the program keeps them for its life.
void Level::findUniforms()
{
    const GLuint program = shader->program;
    for (int i = 0; i < maxShadowMaps; ++i)
        shadowSamplerLocations[i] = glGetUniformLocation(program, shadowSamplerNames[i]);
    lightCountLocation = glGetUniformLocation(program, "numberoflights");
    for (int i = 0; i < maxLights; ++i) {
        const std::string prefix = "light[" + std::to_string(i) + "]";
        LightUniforms& at = lightLocations[i];
        at.position = glGetUniformLocation(program, (prefix + ".position").c_str());
        at.color = glGetUniformLocation(program, (prefix + ".color").c_str());
        at.power = glGetUniformLocation(program, (prefix + ".power").c_str());
        at.nearFar = glGetUniformLocation(program, (prefix + ".near_far").c_str());
        at.unit = glGetUniformLocation(program, (prefix + ".unit").c_str());
    }

    // Samplers default to unit 0, where the colour texture lives; a 2D and a
    // cube sampler on one unit make every draw fail. Give each cube sampler its
    // own unit from the start, whether or not a map has been rendered yet.
    GLint previous = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
    glUseProgram(program);
    for (int i = 0; i < maxShadowMaps; ++i)
        glUniform1i(shadowSamplerLocations[i], textureUnits::shadowMapSamplers[i]);
    glUseProgram(static_cast<GLuint>(previous));
}
