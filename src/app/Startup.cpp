#include "app/Startup.h"

#include "core/Input.h"
#include "core/Platform.h"
#include "render/Picture.h"

#include "render/Gl.h"
#include <GLFW/glfw3.h>

#include <algorithm>
#include <vector>

GLFWwindow* openGameWindow(int& screenWidth, int& screenHeight, bool windowed)
{
    if (!glfwInit())
        fatalError("GLFW failed", "GLFW: no display or no usable video driver", PauseCommand::Capitalised);

    requestGameContext();

    GLFWmonitor* primary = glfwGetPrimaryMonitor();
    GLFWmonitor* monitor = windowed ? nullptr : primary;
    const GLFWvidmode* mode = primary ? glfwGetVideoMode(primary) : nullptr;
    if (!mode && !windowed) {
        glfwTerminate();
        fatalError("No window ...", "GLFW: no primary monitor");
    }
    // Full screen takes the monitor's size; a window is no larger than it.
    if (mode && (!windowed || screenWidth > mode->width || screenHeight > mode->height)) {
        screenWidth = windowed ? std::min(screenWidth, mode->width) : mode->width;
        screenHeight = windowed ? std::min(screenHeight, mode->height) : mode->height;
    }

    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
#ifndef __EMSCRIPTEN__
    // Task bars group windows by their class and show their icon.
    glfwWindowHintString(GLFW_X11_CLASS_NAME, "quarrystack");
    glfwWindowHintString(GLFW_X11_INSTANCE_NAME, "quarrystack");
#endif
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
    input::capturePointer(window, true);
    if (!gl::web)
        setWindowIcon(window, "Textures/menu/icon.png");
    glfwMakeContextCurrent(window);

    if (!loadGlEntryPoints())
        fatalError("Failed to initialize glew");
    return window;
}

void setWindowIcon(GLFWwindow* window, const std::string& path)
{
#ifdef __EMSCRIPTEN__
    (void)window, (void)path; // a page's icon is its own
#else
    // A 32-bit picture, rows bottom-up in BGRA; the window wants RGBA from the top.
    const DecodedPicture picture = readPicture(path, 256);
    if (!picture.bitmap || FreeImage_GetBPP(picture.bitmap.get()) != 32)
        return;
    const int width = static_cast<int>(picture.width), height = static_cast<int>(picture.height);
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(picture.bitmap.get(), height - 1 - y);
        for (int x = 0; x < width; ++x) {
            unsigned char* pixel = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            pixel[0] = row[x * 4 + FI_RGBA_RED];
            pixel[1] = row[x * 4 + FI_RGBA_GREEN];
            pixel[2] = row[x * 4 + FI_RGBA_BLUE];
            pixel[3] = row[x * 4 + FI_RGBA_ALPHA];
        }
    }
    const GLFWimage icon{width, height, rgba.data()};
    glfwSetWindowIcon(window, 1, &icon);
#endif
}

void requestGameContext()
{
    if (gl::web) { // WebGL 2
        glfwWindowHint(GLFW_CLIENT_API, GLFW_OPENGL_ES_API);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
        return;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
}

bool loadGlEntryPoints()
{
#ifdef __EMSCRIPTEN__
    return true; // WebGL's entry points are there from the start
#else
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        return false;
    glGenVertexArrays = reinterpret_cast<PFNGLGENVERTEXARRAYSPROC>(glfwGetProcAddress("glGenVertexArrays"));
    glBindVertexArray = reinterpret_cast<PFNGLBINDVERTEXARRAYPROC>(glfwGetProcAddress("glBindVertexArray"));
    glDeleteVertexArrays = reinterpret_cast<PFNGLDELETEVERTEXARRAYSPROC>(glfwGetProcAddress("glDeleteVertexArrays"));
    glGenerateMipmap = reinterpret_cast<PFNGLGENERATEMIPMAPPROC>(glfwGetProcAddress("glGenerateMipmap"));
    return true;
#endif
}
