#pragma once

#include "render/GlObjects.h"

#include <string>

class Bloom;
class Shader;

// Passes the benchmark measures the game's own passes against. None of them
// is part of the game.

// Full-screen work a bloom cannot do without: two plain copies of a
// screen-sized picture (into a target, then onto the screen) and the five
// mipmap regenerations the game's bloom is required to make.
class CopyReference {
public:
    CopyReference(int width, int height);
    // Reads the bloom's scene target and regenerates mipmaps on its textures,
    // exactly as many as Bloom::render does. Ends on the default framebuffer.
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
    GLint texLocation = -1;
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
    GLint imageLocation = -1;
    GLint horizontalLocation = -1;
    GLint texelLocation = -1;
};

// The lit program with one shadow tap per light instead of the game's
// pattern, built so that it can stand in for the game's program: the same
// attribute and uniform locations and the same uniform block binding, checked
// after linking.
class OneTapLitProgram {
public:
    // Empty when the program is ready; otherwise why it could not be built.
    std::string build(const Shader& litProgram, const std::string& vertexPath, const std::string& fragmentPath);

    gl::Program program;
};

// A fragment source may fix its number of shadow taps with this macro, under
// #ifndef, so that a variant can define it first.
constexpr const char* shadowTapCountMacro = "SHADOW_TAP_COUNT";

// The lit program's fragment source made to take one shadow tap: the macro
// defined to 1 right after #version where the source has it; otherwise a
// one-tap lookup put in place of shadowFactor (int, vec3) just before main.
// Empty when the source offers neither.
std::string oneTapFragmentSource(const std::string& source);
