#include "render/ShadowMap.h"

#include "render/Shader.h"

#include <glm/gtc/type_ptr.hpp>

#include <iostream>
#include <string>

ShadowMap::ShadowMap(Shader* depthProgram) : depthProgram(depthProgram)
{
    framebuffer = gl::Framebuffer::create();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    cubeMap = gl::Texture::create();
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    for (GLenum face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT24, size, size, 0,
                     GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);

    // Depth only, all six faces as layers of one attachment.
    // Nothing to read either: a 3.3 driver may call a framebuffer whose read
    // buffer names a missing colour attachment incomplete.
    const GLenum none = GL_NONE;
    glDrawBuffers(1, &none);
    glReadBuffer(GL_NONE);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, cubeMap, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        std::cerr << "ERROR: incomplete framebuffer\n";
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);

    glUseProgram(depthProgram->program);
    for (int face = 0; face < 6; ++face) {
        const std::string name = "cm_mat[" + std::to_string(face) + "]";
        faceMatrixLocations[face] = glGetUniformLocation(depthProgram->program, name.c_str());
    }
    modelLocation = glGetUniformLocation(depthProgram->program, "M");
    nearFarLocation = glGetUniformLocation(depthProgram->program, "near_far");
    lightPositionLocation = glGetUniformLocation(depthProgram->program, "light_pos");
    glUseProgram(0);
}

GLuint ShadowMap::render(const ShadowLight& light, const std::vector<ShadowCaster>& casters)
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, size, size);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_DEPTH_BUFFER_BIT);

    glUseProgram(depthProgram->program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
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
        glBindVertexArray(0);
    }

    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(0);
    return cubeMap.id();
}
