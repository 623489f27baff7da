#pragma once

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

// A hidden window with a current OpenGL 3.3 core context on a private Xvfb
// display, made once per test process and kept until it ends. The entry
// points are loaded the way the game loads them.
GLFWwindow* sharedGlContext();

// Base fixture for tests that need GL.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override { window = sharedGlContext(); }
    GLFWwindow* window = nullptr;
};
