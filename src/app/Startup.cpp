#include "app/Startup.h"

#include "core/Platform.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

GLFWwindow* openGameWindow(int& screenWidth, int& screenHeight, bool windowed)
{
    if (!glfwInit())
        fatalError("GLFW failed", "GLFW: no display or no usable video driver", PauseCommand::Capitalised);

    requestGameContext();

    GLFWmonitor* monitor = windowed ? nullptr : glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (!mode && !windowed) {
        glfwTerminate();
        fatalError("No window ...", "GLFW: no primary monitor");
    }
    if (mode) {
        screenWidth = mode->width;
        screenHeight = mode->height;
    }

    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(screenWidth, screenHeight, "Hello, Zelhan", monitor, nullptr);
    if (!window) {
        glfwTerminate();
        fatalError("No window ...", "GLFW: cannot create an OpenGL 3.3 core window");
    }
    // A desktop may not grant the size asked for: what depends on the size
    // follows the window the game got.
    if (windowed)
        glfwGetFramebufferSize(window, &screenWidth, &screenHeight);
    // From here on a fatal error ends the window library (which gives the
    // screen its video mode back) before it waits for the player at the console.
    setBeforePause([] { glfwTerminate(); });
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
    glfwMakeContextCurrent(window);

    if (!loadGlEntryPoints())
        fatalError("Failed to initialize glew");
    return window;
}

void requestGameContext()
{
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
}

bool loadGlEntryPoints()
{
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        return false;
    glGenVertexArrays = reinterpret_cast<PFNGLGENVERTEXARRAYSPROC>(glfwGetProcAddress("glGenVertexArrays"));
    glBindVertexArray = reinterpret_cast<PFNGLBINDVERTEXARRAYPROC>(glfwGetProcAddress("glBindVertexArray"));
    glDeleteVertexArrays = reinterpret_cast<PFNGLDELETEVERTEXARRAYSPROC>(glfwGetProcAddress("glDeleteVertexArrays"));
    glGenerateMipmap = reinterpret_cast<PFNGLGENERATEMIPMAPPROC>(glfwGetProcAddress("glGenerateMipmap"));
    return true;
}
