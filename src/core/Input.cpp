#include "core/Input.h"

#include <GLFW/glfw3.h>

namespace input {
namespace {

class GlfwBackend final : public Backend {
public:
    int key(GLFWwindow* window, int key) override { return glfwGetKey(window, key); }
    void cursorPos(GLFWwindow* window, double* x, double* y) override { glfwGetCursorPos(window, x, y); }
    void setCursorPos(GLFWwindow* window, double x, double y) override { glfwSetCursorPos(window, x, y); }
    bool focused(GLFWwindow* window) override { return glfwGetWindowAttrib(window, GLFW_FOCUSED) == 1; }
};

GlfwBackend glfwBackend;
Backend* current = &glfwBackend;

} // namespace

int getKey(GLFWwindow* window, int key) { return current->key(window, key); }
bool isPressed(GLFWwindow* window, int key) { return getKey(window, key) == GLFW_PRESS; }
bool isReleased(GLFWwindow* window, int key) { return getKey(window, key) == GLFW_RELEASE; }
void getCursorPos(GLFWwindow* window, double* x, double* y) { current->cursorPos(window, x, y); }
void setCursorPos(GLFWwindow* window, double x, double y) { current->setCursorPos(window, x, y); }
bool isFocused(GLFWwindow* window) { return current->focused(window); }

void setBackend(Backend* backend) { current = backend ? backend : &glfwBackend; }

} // namespace input
