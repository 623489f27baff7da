#include "support/GlContext.h"

#include "support/Xvfb.h"

#include <cstdlib>
#include <memory>
#include <stdexcept>

GLFWwindow* sharedGlContext()
{
    static std::unique_ptr<XvfbDisplay> display;
    static GLFWwindow* window = nullptr;
    if (window)
        return window;

    display = std::make_unique<XvfbDisplay>(640, 360);
    setenv("DISPLAY", display->name().c_str(), 1);
    if (!glfwInit())
        throw std::runtime_error("GL test: glfwInit failed");
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    window = glfwCreateWindow(640, 360, "gl test", nullptr, nullptr);
    if (!window)
        throw std::runtime_error("GL test: no window");
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        throw std::runtime_error("GL test: glewInit failed");
    glGetError(); // glewInit leaves GL_INVALID_ENUM behind on core contexts
    return window;
}
