#pragma once

#include "render/FullScreenQuad.h"
#include "render/GlObjects.h"

// Full-screen bloom: the scene is drawn into target 1; a first pass extracts
// its bright parts, pixel by pixel, into target 2 at half the screen's size
// each way; a horizontal and a vertical blur at that size write targets 3 and
// 4; the last pass stretches the glow back over the screen and composes it
// with the scene. At half size the blurs cost a quarter of what they would at
// full size, and the glow, soft by nature, keeps its look.
class Bloom {
public:
    static constexpr int targetCount = 4;

    // The programs must read "vp" and "vt" at the same locations: one vertex
    // array serves all three.
    Bloom(gl::Program firstPass, gl::Program blur, gl::Program compose, int width, int height);

    // The targets at a new screen size.
    void resize(int width, int height);
    // Binds the scene target (framebuffer 1) and clears its colour and depth.
    void bindSceneTarget();
    // The four passes, without depth testing; leaves the default framebuffer
    // bound, the viewport at the screen and the depth test as it was.
    void render();

    // Target 1 (the scene), 2 (the bright parts), 3 (the horizontal blur) or
    // 4 (the glow) as 0 to 3.
    GLuint targetTexture(int index) const { return targets[index].texture; }

private:
    struct Target {
        gl::Framebuffer framebuffer;
        gl::Texture texture;
    };

    // A target's size: the screen's for the scene, half of it (rounded up) after.
    int targetWidth(int index) const { return index == 0 ? width : (width + 1) / 2; }
    int targetHeight(int index) const { return index == 0 ? height : (height + 1) / 2; }
    void allocateTargets();
    // Draws the quad with `program` into target `index` (-1: the screen),
    // reading `first` and `second` on the picture units.
    void drawPass(GLuint program, int index, GLuint first, GLuint second);
    void blurPass(int index, float directionX, float directionY);

    gl::Program firstPass;
    gl::Program blur;
    gl::Program compose;
    FullScreenQuad quad; // "vp" and "vt" at the blur's locations (the first pass reads no "vt")
    Target targets[targetCount];
    gl::Texture depthTexture; // of the scene target
    int width;
    int height;
    GLint resolutionLocation = -1;
    GLint directionLocation = -1;
};
