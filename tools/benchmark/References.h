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

// A fragment source may fix its number of shadow taps with this macro, under
// #ifndef, so that a variant can define it first.
constexpr const char* shadowTapCountMacro = "SHADOW_TAP_COUNT";

// The lit program's fragment source made to take one shadow tap: the macro
// defined to 1 right after #version. Empty when the source has no #version
// or does not use the macro.
std::string oneTapFragmentSource(const std::string& source);

// The game's lit pass built with one shadow tap per light instead of the
// game's pattern, from the programs in `shaderFolder`.
Result<LitPass> oneTapLitPass(const std::string& shaderFolder);
