#include "render/ShadowMap.h"

#include "render/Shader.h"
#include "scene/ImportObject.h"
#include "scene/Level.h"
#include "scene/Light.h"

#include <glm/gtc/type_ptr.hpp>

#include <iostream>
#include <string>

namespace {

// The debug-view cube, four corners per face.
const GLfloat cubePositions[24 * 3] = {
    -1, -1, -1, -1, 1,  -1, 1,  1,  -1, 1,  -1, -1, //
    -1, -1, 1,  1,  -1, 1,  1,  1,  1,  -1, 1,  1,  //
    1,  1,  1,  1,  1,  -1, -1, 1,  -1, -1, 1,  1,  //
    1,  -1, 1,  -1, -1, 1,  -1, -1, -1, 1,  -1, -1, //
    1,  1,  1,  1,  -1, 1,  1,  -1, -1, 1,  1,  -1, //
    -1, 1,  1,  -1, 1,  -1, -1, -1, -1, -1, -1, 1,  //
};

struct CubeIndices {
    GLuint values[36];
    CubeIndices()
    {
        for (GLuint face = 0; face < 6; ++face) {
            const GLuint first = 4 * face;
            const GLuint corners[6] = {first, first + 1, first + 2, first, first + 2, first + 3};
            for (int i = 0; i < 6; ++i)
                values[6 * face + i] = corners[i];
        }
    }
};

} // namespace

ShadowMap::ShadowMap(Shader* debugProgram, Shader* depthProgram, Level* level)
    : debugProgram(debugProgram), depthProgram(depthProgram), level(level)
{
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    static_assert(sizeof(cubePositions) == 288, "24 positions of 3 floats");
    cubeVertexBuffer = gl::uploadBuffer(GL_ARRAY_BUFFER, cubePositions, sizeof cubePositions);
    const CubeIndices indices;
    static_assert(sizeof(indices.values) == 144, "36 indices of 32 bits");
    // Filled through the array target: element-array bindings belong to a
    // vertex array, and none is bound yet.
    cubeIndexBuffer = gl::uploadBuffer(GL_ARRAY_BUFFER, indices.values, sizeof indices.values);

    cubeVertexArray = gl::VertexArray::create();
    glBindVertexArray(cubeVertexArray);
    gl::pointAttribute(debugProgram->program, "vp", cubeVertexBuffer, 3);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, cubeIndexBuffer);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

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
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT24, width, height, 0,
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
    glUseProgram(debugProgram->program);
    debugModelLocation = glGetUniformLocation(debugProgram->program, "model");
    debugViewLocation = glGetUniformLocation(debugProgram->program, "view");
    debugProjectionLocation = glGetUniformLocation(debugProgram->program, "projection");
    glUseProgram(0);
}

void ShadowMap::render(Light& light)
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_DEPTH_BUFFER_BIT);

    const std::vector<ImportObject*> objects = level->getObjects();
    const std::vector<glm::mat4> faceViews = light.shadowTransforms;
    const glm::mat4 projection = light.shadowProjection;

    glUseProgram(depthProgram->program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    for (size_t face = 0; face < 6 && face < faceViews.size(); ++face) {
        const glm::mat4 faceMatrix = projection * faceViews[face];
        glUniformMatrix4fv(faceMatrixLocations[face], 1, GL_FALSE, glm::value_ptr(faceMatrix));
    }
    const GLfloat nearFar[2] = {light.nearPlane, light.farPlane};
    glUniform2fv(nearFarLocation, 1, nearFar);
    const GLfloat position[4] = {light.position.x, light.position.y, light.position.z, 1.0f};
    glUniform4fv(lightPositionLocation, 1, position);

    for (ImportObject* object : objects) {
        glBindVertexArray(object->getDepthVao());
        glUniformMatrix4fv(modelLocation, 1, GL_FALSE, glm::value_ptr(object->modelMatrix));
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * object->getFaceCount()), GL_UNSIGNED_INT, nullptr);
        glBindVertexArray(0);
    }

    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(0);
    light.depthMap = static_cast<GLint>(cubeMap.id());
}
