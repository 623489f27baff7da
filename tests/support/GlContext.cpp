#include "support/GlContext.h"

#include "app/Startup.h"
#include "support/Game.h"

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
    requestGameContext();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    window = glfwCreateWindow(640, 360, "gl test", nullptr, nullptr);
    if (!window)
        throw std::runtime_error("GL test: no window");
    glfwMakeContextCurrent(window);
    if (!loadGlEntryPoints())
        throw std::runtime_error("GL test: glewInit failed");
    glGetError(); // glewInit leaves GL_INVALID_ENUM behind on core contexts; tests read the error state
    return window;
}
