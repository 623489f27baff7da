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

} // namespace

Bloom::Bloom(gl::Program firstPassProgram, gl::Program blurProgram, gl::Program composeProgram, int width, int height)
    : firstPass(std::move(firstPassProgram)), blur(std::move(blurProgram)), compose(std::move(composeProgram)),
      quad(blur), width(width), height(height)
{
    depthTexture = gl::Texture::create();
    for (Target& target : targets) {
        target.framebuffer = gl::Framebuffer::create();
        target.texture = gl::Texture::create();
    }
    allocateTargets();
    for (int n = 0; n < targetCount; ++n) {
        glBindFramebuffer(GL_FRAMEBUFFER, targets[n].framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, targets[n].texture, 0);
        // Only the scene needs depth; the passes after it cover their target
        // with one quad each.
        if (n == 0)
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depthTexture, 0);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
            std::cerr << "ERROR: incomplete framebuffer\n";
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    resolutionLocation = glGetUniformLocation(blur, "resolution");
    directionLocation = glGetUniformLocation(blur, "direction");
    for (const GLuint program : {GLuint(firstPass), GLuint(blur), GLuint(compose)}) {
        glUseProgram(program);
        glUniform1i(glGetUniformLocation(program, "tex"), textureUnits::picture);
        glUniform1i(glGetUniformLocation(program, "tex2"), textureUnits::secondPicture);
    }
    glUseProgram(0);
}

void Bloom::allocateTargets()
{
    for (int n = 0; n < targetCount; ++n)
        allocateColorTexture(targets[n].texture, targetWidth(n), targetHeight(n));
    allocateDepthTexture(depthTexture, width, height);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void Bloom::resize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
    allocateTargets();
}

void Bloom::bindSceneTarget()
{
    glBindFramebuffer(GL_FRAMEBUFFER, targets[0].framebuffer);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void Bloom::render()
{
    // Each pass covers its whole target with one quad: no depth to test,
    // whatever the target's depth buffer holds.
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    drawPass(firstPass, 1, targets[0].texture, 0);
    blurPass(2, 1.0f, 0.0f);
    blurPass(3, 0.0f, 1.0f);
    drawPass(compose, -1, targets[0].texture, targets[3].texture);
    if (depthTest)
        glEnable(GL_DEPTH_TEST);
}

void Bloom::drawPass(GLuint program, int index, GLuint first, GLuint second)
{
    if (index < 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, width, height);
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, targets[index].framebuffer);
        glViewport(0, 0, targetWidth(index), targetHeight(index));
        const GLenum colorAttachment = GL_COLOR_ATTACHMENT0;
        glDrawBuffers(1, &colorAttachment);
    }
    glUseProgram(program);
    bindTexture(textureUnits::picture, first);
    bindTexture(textureUnits::secondPicture, second);
    quad.draw();
    bindTexture(textureUnits::secondPicture, 0);
    bindTexture(textureUnits::picture, 0);
    glUseProgram(0);
}

// One direction of the separable blur of the target before `index` into
// target `index`. The taps are spaced in screen pixels whatever the sizes.
void Bloom::blurPass(int index, float directionX, float directionY)
{
    glUseProgram(blur);
    glUniform2f(resolutionLocation, static_cast<float>(width), static_cast<float>(height));
    glUniform2f(directionLocation, directionX, directionY);
    drawPass(blur, index, 0, targets[index - 1].texture);
}
