#include "core/Input.h"

#include <GLFW/glfw3.h>

#include <bitset>

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
static_assert(leftClick == GLFW_KEY_LAST + 1, "the click is noted after the last key");
std::bitset<leftClick + 1> notedPresses;

bool isKey(int key) { return key >= 0 && key <= leftClick; }

} // namespace

int getKey(GLFWwindow* window, int key) { return current->key(window, key); }
bool isPressed(GLFWwindow* window, int key) { return getKey(window, key) == GLFW_PRESS; }
bool isReleased(GLFWwindow* window, int key) { return getKey(window, key) == GLFW_RELEASE; }
void getCursorPos(GLFWwindow* window, double* x, double* y) { current->cursorPos(window, x, y); }
void setCursorPos(GLFWwindow* window, double x, double y) { current->setCursorPos(window, x, y); }
bool isFocused(GLFWwindow* window) { return current->focused(window); }

void notePress(int key)
{
    if (isKey(key))
        notedPresses.set(static_cast<size_t>(key));
}

bool takePress(int key)
{
    if (!isKey(key) || !notedPresses.test(static_cast<size_t>(key)))
        return false;
    notedPresses.reset(static_cast<size_t>(key));
    return true;
}

void clearPresses() { notedPresses.reset(); }

void setBackend(Backend* backend) { current = backend ? backend : &glfwBackend; }

} // namespace input
