#include "scene/Level.h"

#include "render/Shader.h"
#include "scene/Camera.h"
#include "scene/ImportObject.h"
#include "scene/Light.h"
#include "scene/PlayerObject.h"

#include <algorithm>
#include <string>

namespace {

const char* const depthMapNames[Level::maxShadowMaps] = {"depth_map", "depth_map2", "depth_map3", "depth_map4",
                                                         "depth_map5"};

constexpr int firstShadowUnit = 2;

// Index into depthMapNames of the sampler that reads the cube map on `unit`.
// Units 3 and 4 are crossed over relative to the names.
int samplerIndexForUnit(int unit)
{
    static const int table[Level::maxShadowMaps] = {0, 2, 1, 3, 4};
    return table[unit - firstShadowUnit];
}

GLint uniformLocation(GLuint program, const std::string& name)
{
    return glGetUniformLocation(program, name.c_str());
}

} // namespace

Level::Level(const glm::mat4& matrix, Shader* shader, std::vector<ImportObject*> objects, std::vector<Light*> lights,
             std::vector<Material*> materials, PlayerObject* player)
    : SceneObject(matrix), objects(std::move(objects)), lights(std::move(lights)), materials(std::move(materials)),
      shader(shader), player(player)
{
}

Level::~Level()
{
    for (ImportObject* object : objects)
        delete object;
}

void Level::update(double frameTime)
{
    for (ImportObject* object : objects)
        object->update(frameTime);

    // The last light is the viewer's lamp: it hangs just behind and above the
    // eye. Without a light or a camera there is nothing to move.
    if (lights.empty() || player == nullptr || !player->camera)
        return;
    const Camera& camera = *player->camera;
    lights.back()->position = camera.position - camera.direction + glm::vec3(0.0f, 1.0f, 0.0f);
}

void Level::draw(ViewFrustum* frustum)
{
    initUniforms();

    const GLuint program = shader->program;
    glUseProgram(program);
    const int count = std::min(getLightCount(), maxLights);
    glUniform1i(numberOfLightsLocation, count);
    for (int i = 0; i < count; ++i) {
        const Light& light = *lights[i];
        glUniform3fv(positionLocations[i], 1, &light.position[0]);
        glUniform3fv(colorLocations[i], 1, &light.color[0]);
        glUniform1f(powerLocations[i], light.power * 4.0f);
        const GLfloat nearFar[2] = {light.nearPlane, light.farPlane};
        glUniform2fv(nearFarLocations[i], 1, nearFar);
        glUniform1f(unitLocations[i], static_cast<float>(light.unit));
    }

    bool bound[maxShadowMaps] = {};
    for (int unit = firstShadowUnit; unit < firstShadowUnit + maxShadowMaps; ++unit) {
        const int map = getShadowMap(unit);
        if (map == -1)
            continue;
        glActiveTexture(GL_TEXTURE0 + unit);
        glUniform1i(depthMapLocations[samplerIndexForUnit(unit)], unit);
        glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(map));
        bound[unit - firstShadowUnit] = true;
    }

    for (ImportObject* object : objects) {
        // Each object's draw ends with program 0.
        glUseProgram(program);
        object->textureFilter = textureFilter;
        object->draw(frustum);
    }

    for (int unit = firstShadowUnit; unit < firstShadowUnit + maxShadowMaps; ++unit) {
        if (!bound[unit - firstShadowUnit])
            continue;
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
    glActiveTexture(GL_TEXTURE0);
}

void Level::addLight(Light* light)
{
    light->unit = static_cast<int32_t>(lights.size()) + firstShadowUnit;
    lights.push_back(light);
}

int Level::getShadowMap(int unit)
{
    for (const Light* light : lights)
        if (light->unit == unit)
            return light->depthMap;
    return -1;
}

std::vector<Light*> Level::getLights() { return lights; }

int Level::getLightCount() { return static_cast<int>(lights.size()); }

void Level::initUniforms()
{
    const GLuint program = shader->program;
    glUseProgram(program);
    for (int i = 0; i < maxShadowMaps; ++i)
        depthMapLocations[i] = uniformLocation(program, depthMapNames[i]);
    numberOfLightsLocation = uniformLocation(program, "numberoflights");

    const int count = std::min(getLightCount(), maxLights);
    for (int i = 0; i < count; ++i) {
        const std::string prefix = "light[" + std::to_string(i) + "]";
        positionLocations[i] = uniformLocation(program, prefix + ".position");
        colorLocations[i] = uniformLocation(program, prefix + ".color");
        powerLocations[i] = uniformLocation(program, prefix + ".power");
        nearFarLocations[i] = uniformLocation(program, prefix + ".near_far");
        unitLocations[i] = uniformLocation(program, prefix + ".unit");
    }

    // Samplers default to unit 0, where the colour texture lives; a 2D and a
    // cube sampler on one unit make every draw fail. Give each cube sampler its
    // own unit from the start, whether or not a map has been rendered yet.
    for (int unit = firstShadowUnit; unit < firstShadowUnit + maxShadowMaps; ++unit)
        glUniform1i(depthMapLocations[samplerIndexForUnit(unit)], unit);

    glUseProgram(0);
}
