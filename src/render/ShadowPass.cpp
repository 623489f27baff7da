#include "render/ShadowPass.h"

#include <glm/gtc/type_ptr.hpp>

#include <iostream>
#include <string>

namespace {

gl::Texture depthCubeMap(int size)
{
    gl::Texture cubeMap = gl::Texture::create();
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    for (GLenum face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT24, size, size, 0, GL_DEPTH_COMPONENT,
                     GL_FLOAT, nullptr);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return cubeMap;
}

} // namespace

ShadowPass::ShadowPass(gl::Program depthProgram, int mapCount) : program(std::move(depthProgram))
{
    positionAt = glGetAttribLocation(program, "vp");
    for (int face = 0; face < 6; ++face) {
        const std::string name = "cm_mat[" + std::to_string(face) + "]";
        faceMatrixLocations[face] = glGetUniformLocation(program, name.c_str());
    }
    modelLocation = glGetUniformLocation(program, "M");
    nearFarLocation = glGetUniformLocation(program, "near_far");
    lightPositionLocation = glGetUniformLocation(program, "light_pos");

    for (int i = 0; i < mapCount; ++i) {
        CubeMap map{gl::Framebuffer::create(), depthCubeMap(size)};
        glBindFramebuffer(GL_FRAMEBUFFER, map.framebuffer);
        // Depth only, all six faces as layers of one attachment.
        // Nothing to read either: a 3.3 driver may call a framebuffer whose read
        // buffer names a missing colour attachment incomplete.
        const GLenum none = GL_NONE;
        glDrawBuffers(1, &none);
        glReadBuffer(GL_NONE);
        glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, map.texture, 0);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
            std::cerr << "ERROR: incomplete framebuffer\n";
        maps.push_back(std::move(map));
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

GLuint ShadowPass::render(int index, const ShadowLight& light, const std::vector<ShadowCaster>& casters)
{
    const CubeMap& map = maps.at(static_cast<size_t>(index));
    glBindFramebuffer(GL_FRAMEBUFFER, map.framebuffer);
    glViewport(0, 0, size, size);
    glClear(GL_DEPTH_BUFFER_BIT);

    glUseProgram(program);
    for (size_t face = 0; face < 6; ++face)
        glUniformMatrix4fv(faceMatrixLocations[face], 1, GL_FALSE, glm::value_ptr(light.faceMatrices[face]));
    const GLfloat nearFar[2] = {light.nearPlane, light.farPlane};
    glUniform2fv(nearFarLocation, 1, nearFar);
    const GLfloat position[4] = {light.position.x, light.position.y, light.position.z, 1.0f};
    glUniform4fv(lightPositionLocation, 1, position);

    for (const ShadowCaster& caster : casters) {
        glBindVertexArray(caster.vertexArray);
        glUniformMatrix4fv(modelLocation, 1, GL_FALSE, glm::value_ptr(caster.model));
        glDrawElements(GL_TRIANGLES, caster.indexCount, GL_UNSIGNED_INT, nullptr);
    }
    glBindVertexArray(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(0);
    return map.texture;
}
