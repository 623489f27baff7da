#pragma once

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

// A hidden window with a current OpenGL 3.3 core context on a private Xvfb
// display, made once per test process and kept until it ends. The context and
// the entry points are set up the way the game sets them up.
GLFWwindow* sharedGlContext();

// The current value of an integer GL state, such as a binding.
inline GLint glInteger(GLenum name)
{
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

// Base fixture for tests that need GL.
class GlTest : public ::testing::Test {
protected:
    // Every test starts with a clean GL error state, whatever ran before it.
    void SetUp() override
    {
        window = sharedGlContext();
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    GLFWwindow* window = nullptr;
};
