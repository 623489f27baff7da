#pragma once

#include "render/FullScreenQuad.h"
#include "render/GlObjects.h"

// Full-screen bloom: the scene is drawn into target 1; a first pass extracts
// the bright parts into target 2, a horizontal blur writes target 3, and the
// vertical blur composes with the scene onto the screen.
class Bloom {
public:
    // The programs must read "vp" and "vt" at the same locations: one vertex
    // array serves both.
    Bloom(gl::Program firstPass, gl::Program secondPass, int width, int height);

    // The targets at a new screen size.
    void resize(int width, int height);
    // Binds the scene target (framebuffer 1) and clears its colour and depth.
    void bindSceneTarget();
    // The three passes, without depth testing; leaves the default framebuffer
    // bound and the depth test as it was.
    void render();

    // Target 1 (the scene), 2 (the bright parts) or 3 (the horizontal blur)
    // as 0, 1 or 2.
    GLuint targetTexture(int index) const { return colorTextures[index]; }

private:
    void extractBrightParts();
    void blurPass(GLuint target, float directionX, float directionY, GLuint source, bool compose);

    gl::Program firstPass;
    gl::Program secondPass;
    FullScreenQuad quad; // "vp" and "vt" at the first-pass program's locations
    gl::Framebuffer framebuffers[3];
    gl::Texture colorTextures[3];
    gl::Texture depthTexture; // of the scene target
    int width;
    int height;
    GLint resolutionLocation = -1;
    GLint directionLocation = -1;
    GLint endLocation = -1;
};
