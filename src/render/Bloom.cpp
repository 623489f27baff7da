#include "render/Bloom.h"

#include "render/TextureUnits.h"

#include <iostream>

namespace {

void allocateColorTexture(GLuint texture, int width, int height)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void allocateDepthTexture(GLuint texture, int width, int height)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    // WebGL takes only a sized depth format here.
    if (gl::web)
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, width, height, 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT,
                     nullptr);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, width, height, 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE,
                     nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

// The targets filter linearly without mipmaps, so no pass reads a level
// below the first: regenerating them cost a fifth of the bloom for nothing.
void bindTexture(GLint unit, GLuint texture)
{
    glActiveTexture(textureUnits::glUnit(unit));
    glBindTexture(GL_TEXTURE_2D, texture);
}

void unbindTextures()
{
    bindTexture(textureUnits::secondPicture, 0);
    bindTexture(textureUnits::picture, 0);
}

} // namespace

Bloom::Bloom(gl::Program firstPassProgram, gl::Program secondPassProgram, int width, int height)
    : firstPass(std::move(firstPassProgram)), secondPass(std::move(secondPassProgram)), quad(firstPass), width(width),
      height(height)
{
    for (int n = 0; n < 3; ++n) {
        framebuffers[n] = gl::Framebuffer::create();
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[n]);
        colorTextures[n] = gl::Texture::create();
        allocateColorTexture(colorTextures[n], width, height);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTextures[n], 0);
        // Only the scene needs depth; the passes after it cover the screen
        // with one quad each.
        if (n == 0) {
            depthTexture = gl::Texture::create();
            allocateDepthTexture(depthTexture, width, height);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depthTexture, 0);
        }
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
            std::cerr << "ERROR: incomplete framebuffer\n";
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);

    resolutionLocation = glGetUniformLocation(secondPass, "resolution");
    directionLocation = glGetUniformLocation(secondPass, "direction");
    endLocation = glGetUniformLocation(secondPass, "end");
    glUseProgram(firstPass);
    glUniform1i(glGetUniformLocation(firstPass, "tex"), textureUnits::picture);
    glUseProgram(secondPass);
    glUniform1i(glGetUniformLocation(secondPass, "tex"), textureUnits::picture);
    glUniform1i(glGetUniformLocation(secondPass, "tex2"), textureUnits::secondPicture);
    glUseProgram(0);
}

void Bloom::resize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
    for (const gl::Texture& texture : colorTextures)
        allocateColorTexture(texture, width, height);
    allocateDepthTexture(depthTexture, width, height);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void Bloom::bindSceneTarget()
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[0]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void Bloom::render()
{
    // Each pass covers its whole target with one quad: no depth to test,
    // whatever the target's depth buffer holds.
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    extractBrightParts();
    blurPass(framebuffers[2], 1.0f, 0.0f, colorTextures[1], false);
    blurPass(0, 0.0f, 1.0f, colorTextures[2], true);
    if (depthTest)
        glEnable(GL_DEPTH_TEST);
}

// First pass: the bright parts of the scene into target 2.
void Bloom::extractBrightParts()
{
    const GLenum colorAttachment = GL_COLOR_ATTACHMENT0;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[1]);
    glViewport(0, 0, width, height);
    glUseProgram(firstPass);
    glBindVertexArray(quad.vertexArray);
    bindTexture(textureUnits::picture, colorTextures[0]);
    glDrawBuffers(1, &colorAttachment);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glBindVertexArray(0);
    glUseProgram(0);
}

// One direction of the separable blur of `source` into `target`; the last
// pass (`compose`) adds the blur to the scene image on the way.
void Bloom::blurPass(GLuint target, float directionX, float directionY, GLuint source, bool compose)
{
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    glViewport(0, 0, width, height);
    glUseProgram(secondPass);
    glUniform2f(resolutionLocation, static_cast<float>(width), static_cast<float>(height));
    glUniform2f(directionLocation, directionX, directionY);
    glUniform2f(endLocation, compose ? 1.0f : 0.0f, 0.0f);
    bindTexture(textureUnits::picture, colorTextures[0]);
    bindTexture(textureUnits::secondPicture, source);
    glBindVertexArray(quad.vertexArray);
    if (target != 0) {
        const GLenum colorAttachment = GL_COLOR_ATTACHMENT0;
        glDrawBuffers(1, &colorAttachment);
    }
    glDrawArrays(GL_TRIANGLES, 0, 6);
    unbindTextures();
    glBindVertexArray(0);
    glUseProgram(0);
}
