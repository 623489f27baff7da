#pragma once

#include "core/Result.h"
#include "render/GlObjects.h"
#include "render/LitPass.h"

#include <string>

class Bloom;

// Passes the benchmark measures the game's own passes against. None of them
// is part of the game.

// Full-screen work to weigh the bloom against: two plain copies of a
// screen-sized picture (into a target, then onto the screen) and five mipmap
// regenerations of screen-sized pictures, what the game's bloom cost before
// it dropped its mipmaps. The figure keeps comparing with earlier runs.
class CopyReference {
public:
    CopyReference(int width, int height);
    // Reads the bloom's scene target and regenerates mipmaps on its targets.
    // Ends on the default framebuffer.
    void render(const Bloom& bloom);
    // The two halves of render, for telling their costs apart.
    void regenerateMipmaps(const Bloom& bloom);
    void copy(const Bloom& bloom);

private:
    int width;
    int height;
    gl::Program program;
    gl::VertexArray vertexArray;
    gl::Framebuffer framebuffer;
    gl::Texture texture;
};

// The bloom of the common tutorial kind: ten alternating horizontal and
// vertical passes of a 9-tap Gaussian at full resolution between two
// ping-pong targets.
class PingPongGaussianReference {
public:
    static constexpr int passes = 10;

    PingPongGaussianReference(int width, int height);
    // Blurs `source` (a screen-sized texture). Ends on the default framebuffer.
    void render(GLuint source);

private:
    int width;
    int height;
    gl::Program program;
    gl::VertexArray vertexArray;
    gl::Framebuffer framebuffers[2];
    gl::Texture textures[2];
    GLint horizontalLocation = -1;
};

// The lit program's fragment source with `definition` ("NAME VALUE") defined
// right after #version, for a variant that leaves a part of the lighting out.
// Empty when the source has no #version or never tests NAME.
std::string fragmentSourceWith(const std::string& source, const std::string& definition);

// The game's lit pass built from the programs in `shaderFolder` with
// `definition` in its fragment stage.
Result<LitPass> litPassWith(const std::string& shaderFolder, const std::string& definition);
