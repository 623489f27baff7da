#pragma once

#include "core/Input.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <set>

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

// The keys of `pressed` down, all others up; the pointer at `cursor`.
struct FakeInput final : input::Backend {
    int key(GLFWwindow*, int key) override { return pressed.count(key) ? GLFW_PRESS : GLFW_RELEASE; }
    void cursorPos(GLFWwindow*, double* x, double* y) override { *x = cursor.x, *y = cursor.y; }
    void setCursorPos(GLFWwindow*, double x, double y) override { cursor = {x, y}; }
    bool focused(GLFWwindow*) override { return focus; }
    bool gamepad(input::PadState& state) override
    {
        if (padIn)
            state = pad;
        return padIn;
    }

    std::set<int> pressed;
    input::PadState pad;
    bool padIn = false; // a gamepad plugged in
    glm::dvec2 cursor{0.0};
    bool focus = false;
};

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
