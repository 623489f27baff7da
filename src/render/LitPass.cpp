#include "render/LitPass.h"

#include "core/Tuning.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <string>

namespace {

// The samplers of textureUnits::shadowMapSamplers, in that order.
const char* const shadowSamplerNames[LitPass::maxShadowMaps] = {"depth_map", "depth_map2", "depth_map3", "depth_map4",
                                                                "depth_map5"};

void drawElements(const LitMesh& mesh)
{
    if (gl::wireframe() && mesh.edgeCount > 0) {
        glBindVertexArray(mesh.edgeArray);
        glDrawElements(GL_LINES, mesh.edgeCount, GL_UNSIGNED_INT, nullptr);
        return;
    }
    glBindVertexArray(mesh.vertexArray);
    glDrawElements(GL_TRIANGLES, mesh.indexCount, GL_UNSIGNED_INT, nullptr);
}

} // namespace

LitPass::LitPass(gl::Program litProgram, gl::Program depthOnlyProgram)
    : lit(std::move(litProgram)), depthOnly(std::move(depthOnlyProgram))
{
    for (auto [program, at] : {std::pair{GLuint(lit), &litAt}, {GLuint(depthOnly), &depthAt}})
        *at = {glGetUniformLocation(program, "modelMatrix"), glGetUniformLocation(program, "viewMatrix"),
               glGetUniformLocation(program, "projectionMatrix")};
    normalMappingLocation = glGetUniformLocation(lit, "normalMapping");
    shadowMappingLocation = glGetUniformLocation(lit, "shadowMapping");
    lightCountLocation = glGetUniformLocation(lit, "numberoflights");
    for (int i = 0; i < maxLights; ++i) {
        const std::string prefix = "light[" + std::to_string(i) + "]";
        LightLocations& at = lightAt[i];
        at.position = glGetUniformLocation(lit, (prefix + ".position").c_str());
        at.color = glGetUniformLocation(lit, (prefix + ".color").c_str());
        at.power = glGetUniformLocation(lit, (prefix + ".power").c_str());
        at.nearFar = glGetUniformLocation(lit, (prefix + ".near_far").c_str());
        at.unit = glGetUniformLocation(lit, (prefix + ".unit").c_str());
    }
    const GLuint blockIndex = glGetUniformBlockIndex(lit, "Material");
    if (blockIndex != GL_INVALID_INDEX)
        glUniformBlockBinding(lit, blockIndex, textureUnits::materialBlockBinding);

    // Samplers default to unit 0, where the colour texture lives; a 2D and a
    // cube sampler on one unit make every draw fail. Each sampler gets its
    // unit once, whether or not a map has been rendered yet.
    GLint previous = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
    glUseProgram(lit);
    glUniform1i(glGetUniformLocation(lit, "colorTexture"), textureUnits::color);
    glUniform1i(glGetUniformLocation(lit, "normal_map"), textureUnits::normalMap);
    for (int i = 0; i < maxShadowMaps; ++i)
        glUniform1i(glGetUniformLocation(lit, shadowSamplerNames[i]), textureUnits::shadowMapSamplers[i]);
    glUseProgram(static_cast<GLuint>(previous));
}

VertexLayout LitPass::vertexLayout() const
{
    VertexLayout layout;
    layout.position = glGetAttribLocation(lit, "position");
    layout.normal = glGetAttribLocation(lit, "normal");
    layout.uv = glGetAttribLocation(lit, "uv");
    layout.tangent = glGetAttribLocation(lit, "tangent");
    return layout;
}

void LitPass::beginDepth(const LitView& view)
{
    glUseProgram(depthOnly);
    glUniformMatrix4fv(depthAt.view, 1, GL_FALSE, glm::value_ptr(view.view));
    glUniformMatrix4fv(depthAt.projection, 1, GL_FALSE, glm::value_ptr(view.projection));
}

void LitPass::drawDepth(const LitMesh& mesh) const
{
    glUniformMatrix4fv(depthAt.model, 1, GL_FALSE, glm::value_ptr(mesh.model));
    drawElements(mesh);
}

void LitPass::begin(const LitView& view, const std::vector<LitLight>& lights)
{
    glUseProgram(lit);
    glUniform1i(normalMappingLocation, view.normalMapping ? 1 : 0);
    glUniform1i(shadowMappingLocation, view.shadowMapping ? 1 : 0);
    glUniformMatrix4fv(litAt.view, 1, GL_FALSE, glm::value_ptr(view.view));
    glUniformMatrix4fv(litAt.projection, 1, GL_FALSE, glm::value_ptr(view.projection));
    uploadLights(lights);
    bindShadowMaps(lights);
}

void LitPass::draw(const LitMesh& mesh) const
{
    glBindBufferBase(GL_UNIFORM_BUFFER, textureUnits::materialBlockBinding, mesh.materialBuffer);
    glUniformMatrix4fv(litAt.model, 1, GL_FALSE, glm::value_ptr(mesh.model));
    glActiveTexture(textureUnits::glUnit(textureUnits::color));
    glBindTexture(GL_TEXTURE_2D, mesh.colorTexture);
    glActiveTexture(textureUnits::glUnit(textureUnits::normalMap));
    glBindTexture(GL_TEXTURE_2D, mesh.normalMap);
    drawElements(mesh);
}

void LitPass::end()
{
    glBindVertexArray(0);
    for (int i = 0; i < maxShadowMaps; ++i) {
        if (!boundShadowUnits[i])
            continue;
        glActiveTexture(textureUnits::glUnit(textureUnits::firstShadowMap + i));
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        boundShadowUnits[i] = false;
    }
    for (GLint unit : {textureUnits::normalMap, textureUnits::color}) {
        glActiveTexture(textureUnits::glUnit(unit));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glUseProgram(0);
}

void LitPass::setShadowMap(size_t index, GLuint cubeMap)
{
    if (shadowMaps.size() <= index)
        shadowMaps.resize(index + 1, 0);
    shadowMaps[index] = cubeMap;
}

void LitPass::uploadLights(const std::vector<LitLight>& lights)
{
    const int count = std::min(static_cast<int>(lights.size()), maxLights);
    glUniform1i(lightCountLocation, count);
    for (int i = 0; i < count; ++i) {
        const LitLight& light = lights[i];
        const LightLocations& at = lightAt[i];
        glUniform3fv(at.position, 1, glm::value_ptr(light.position));
        glUniform3fv(at.color, 1, glm::value_ptr(light.color));
        glUniform1f(at.power, light.power * tuning::lightPowerScale);
        const GLfloat nearFar[2] = {light.nearPlane, light.farPlane};
        glUniform2fv(at.nearFar, 1, nearFar);
        glUniform1f(at.unit, static_cast<float>(light.unit));
    }
}

void LitPass::bindShadowMaps(const std::vector<LitLight>& lights)
{
    for (int sampler = 0; sampler < maxShadowMaps; ++sampler) {
        const int unit = textureUnits::shadowMapSamplers[sampler];
        const auto first =
            std::find_if(lights.begin(), lights.end(), [unit](const LitLight& light) { return light.unit == unit; });
        const size_t index = static_cast<size_t>(first - lights.begin());
        const GLuint map = first != lights.end() && index < shadowMaps.size() ? shadowMaps[index] : 0;
        if (map == 0)
            continue;
        glActiveTexture(textureUnits::glUnit(unit));
        glBindTexture(GL_TEXTURE_CUBE_MAP, map);
        boundShadowUnits[unit - textureUnits::firstShadowMap] = true;
    }
}
