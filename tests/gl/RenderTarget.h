#pragma once

#include "render/GlObjects.h"
#include "render/Shader.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A program built from the game's own sources under Shader/.
inline std::unique_ptr<Shader> gameProgram(const std::string& name)
{
    const std::string base = std::string(QUARRYSTACK_SOURCE_DIR) + "/Shader/" + name;
    return std::make_unique<Shader>(base + ".vert", base + ".frag");
}

// An RGBA8 colour target with a depth buffer, for reading pixels back.
class RenderTarget {
public:
    RenderTarget(int width, int height) : width(width), height(height)
    {
        framebuffer = gl::Framebuffer::create();
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        color = gl::Texture::create();
        glBindTexture(GL_TEXTURE_2D, color);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color, 0);
        depth = gl::Texture::create();
        glBindTexture(GL_TEXTURE_2D, depth);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, width, height, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                     nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depth, 0);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    void bind(float r = 0, float g = 0, float b = 0) const
    {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glViewport(0, 0, width, height);
        glClearColor(r, g, b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    int width;
    int height;
    gl::Framebuffer framebuffer;
    gl::Texture color;
    gl::Texture depth;
};

// RGBA8 pixels of a 2D texture's level 0, rows bottom-up.
class Image {
public:
    static Image ofTexture(GLuint texture)
    {
        Image image;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &image.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &image.height);
        image.pixels.resize(static_cast<size_t>(image.width * image.height * 4));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return image;
    }

    // The bound read framebuffer's colour buffer (of the current read buffer).
    static Image ofFramebuffer(int width, int height)
    {
        Image image;
        image.width = width;
        image.height = height;
        image.pixels.resize(static_cast<size_t>(width * height * 4));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
        return image;
    }

    std::array<int, 4> at(int x, int y) const
    {
        const size_t i = static_cast<size_t>((y * width + x) * 4);
        return {pixels[i], pixels[i + 1], pixels[i + 2], pixels[i + 3]};
    }
    int red(int x, int y) const { return at(x, y)[0]; }

    GLint width = 0;
    GLint height = 0;
    std::vector<uint8_t> pixels;
};
