#include "lib/ScriptedRun.h"

#include "app/Startup.h"
#include "core/Input.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cmath>

CameraPose lookingAt(const glm::vec3& eye, const glm::vec3& target)
{
    const glm::dvec3 d = glm::dvec3(target) - glm::dvec3(eye);
    const double horizontal = std::sqrt(d.x * d.x + d.z * d.z);
    CameraPose pose;
    pose.eye = eye;
    pose.horizontalAngle = static_cast<float>(std::atan2(d.x, d.z));
    pose.verticalAngle = static_cast<float>(std::atan2(d.y, horizontal));
    return pose;
}

CameraPose benchmarkPathPose(double t)
{
    // An ellipse over the quarry floor, above the props, looking across to
    // the far side: every direction comes into view once per loop.
    const double a = 2.0 * 3.14159265358979323846 * (t - std::floor(t));
    const glm::vec3 eye(static_cast<float>(9.0 * std::cos(a)), static_cast<float>(5.0 + 0.5 * std::sin(2.0 * a)),
                        static_cast<float>(-5.0 + 5.0 * std::sin(a)));
    const glm::vec3 target(static_cast<float>(-6.0 * std::cos(a)), 1.5f, static_cast<float>(-2.0 - 7.0 * std::sin(a)));
    return lookingAt(eye, target);
}

GLFWwindow* openFixedSizeWindow(int width, int height, const char* title, bool visible, std::string& error)
{
    glfwDefaultWindowHints();
    requestGameContext();
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_VISIBLE, visible ? GLFW_TRUE : GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(width, height, title, nullptr, nullptr);
    if (!window) {
        error = "cannot create a " + std::to_string(width) + "x" + std::to_string(height) +
                " window with an OpenGL 3.3 core context";
        return nullptr;
    }
    glfwMakeContextCurrent(window);
    if (!loadGlEntryPoints()) {
        glfwDestroyWindow(window);
        error = "GLEW cannot load the OpenGL entry points";
        return nullptr;
    }
    int framebufferWidth = 0;
    int framebufferHeight = 0;
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
    if (framebufferWidth != width || framebufferHeight != height) {
        glfwDestroyWindow(window);
        error = "the window's framebuffer is " + std::to_string(framebufferWidth) + "x" +
                std::to_string(framebufferHeight) + " (is the display smaller?)";
        return nullptr;
    }
    return window;
}

// Nothing pressed, the cursor where the player last put it and the window
// focused: the player's mouse look then turns by exactly nothing.
class ScriptedRun::NoInput : public input::Backend {
public:
    int key(GLFWwindow*, int) override { return GLFW_RELEASE; }
    void cursorPos(GLFWwindow*, double* x, double* y) override
    {
        *x = cursorX;
        *y = cursorY;
    }
    void setCursorPos(GLFWwindow*, double x, double y) override
    {
        cursorX = x;
        cursorY = y;
    }
    bool focused(GLFWwindow*) override { return true; }

    double cursorX = 0.0;
    double cursorY = 0.0;
};

ScriptedRun::ScriptedRun(Game& game, double timeStep)
    : game(game), step(timeStep), now(game.stats().clock), input(std::make_unique<NoInput>())
{
    input::setBackend(input.get());
}

ScriptedRun::~ScriptedRun() { input::setBackend(nullptr); }

bool ScriptedRun::frame()
{
    now += step;
    return game.runFrame(now);
}

void ScriptedRun::place(const CameraPose& pose)
{
    game.placePlayer(pose);
    const FrameStats stats = game.stats();
    input->cursorX = static_cast<double>(stats.width / 2);
    input->cursorY = static_cast<double>(stats.height / 2);
}

int FrameTimeLineFilter::overflow(int c)
{
    if (c == traits_type::eof())
        return 0;
    if (c == '\n') {
        if (line.rfind("frametime: ", 0) != 0)
            sink << line << '\n';
        line.clear();
    } else {
        line.push_back(static_cast<char>(c));
    }
    return c;
}
