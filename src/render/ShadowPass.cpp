#include "render/ShadowPass.h"

#include <glm/gtc/type_ptr.hpp>

#include <iostream>
#include <string>

namespace {

gl::Texture depthCubeMap(int size)
{
    gl::Texture cubeMap = gl::Texture::create();
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    // Read with comparison, which linear filtering turns into four compared
    // texels, weighted, for the price of one lookup.
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    for (GLenum face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT24, size, size, 0, GL_DEPTH_COMPONENT,
                     GL_UNSIGNED_INT, nullptr);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return cubeMap;
}

// A framebuffer that writes depth only, to `attach`'s texture.
template <typename Attach> gl::Framebuffer depthFramebuffer(Attach attach)
{
    gl::Framebuffer framebuffer = gl::Framebuffer::create();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    // Nothing to read either: a 3.3 driver may call a framebuffer whose read
    // buffer names a missing colour attachment incomplete.
    const GLenum none = GL_NONE;
    glDrawBuffers(1, &none);
    glReadBuffer(GL_NONE);
    attach();
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        std::cerr << "ERROR: incomplete framebuffer\n";
    return framebuffer;
}

} // namespace

ShadowPass::ShadowPass(gl::Program depthProgram, int mapCount, bool layered)
    : program(std::move(depthProgram)), layered(layered)
{
    positionAt = glGetAttribLocation(program, "vp");
    for (int face = 0; face < 6; ++face) {
        const std::string name = layered ? "cm_mat[" + std::to_string(face) + "]" : "face_mat";
        faceMatrixLocations[face] = glGetUniformLocation(program, name.c_str());
    }
    modelLocation = glGetUniformLocation(program, "M");
    nearFarLocation = glGetUniformLocation(program, "near_far");
    lightPositionLocation = glGetUniformLocation(program, "light_pos");

    for (int i = 0; i < mapCount; ++i) {
        CubeMap map{depthCubeMap(size), {}};
        const GLuint texture = map.texture;
#ifndef __EMSCRIPTEN__
        if (layered) // all six faces as layers of one attachment
            map.framebuffers.push_back(
                depthFramebuffer([texture] { glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, texture, 0); }));
        else
#endif
            for (GLenum face = 0; face < 6; ++face)
                map.framebuffers.push_back(depthFramebuffer([texture, face] {
                    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face,
                                           texture, 0);
                }));
        maps.push_back(std::move(map));
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void ShadowPass::drawCasters(const std::vector<ShadowCaster>& casters) const
{
    for (const ShadowCaster& caster : casters) {
        glBindVertexArray(caster.vertexArray);
        glUniformMatrix4fv(modelLocation, 1, GL_FALSE, glm::value_ptr(caster.model));
        glDrawElements(GL_TRIANGLES, caster.indexCount, GL_UNSIGNED_INT, nullptr);
    }
}

GLuint ShadowPass::render(int index, const ShadowLight& light, const std::vector<ShadowCaster>& casters)
{
    const CubeMap& map = maps.at(static_cast<size_t>(index));
    glViewport(0, 0, size, size);
    glUseProgram(program);
    const GLfloat nearFar[2] = {light.nearPlane, light.farPlane};
    glUniform2fv(nearFarLocation, 1, nearFar);
    const GLfloat position[4] = {light.position.x, light.position.y, light.position.z, 1.0f};
    glUniform4fv(lightPositionLocation, 1, position);

    for (size_t face = 0; face < map.framebuffers.size(); ++face) {
        glBindFramebuffer(GL_FRAMEBUFFER, map.framebuffers[face]);
        glClear(GL_DEPTH_BUFFER_BIT);
        if (layered)
            for (size_t each = 0; each < 6; ++each)
                glUniformMatrix4fv(faceMatrixLocations[each], 1, GL_FALSE, glm::value_ptr(light.faceMatrices[each]));
        else
            glUniformMatrix4fv(faceMatrixLocations[face], 1, GL_FALSE, glm::value_ptr(light.faceMatrices[face]));
        drawCasters(casters);
    }
    glBindVertexArray(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(0);
    return map.texture;
}
