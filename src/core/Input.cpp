#include "core/Input.h"

#include <GLFW/glfw3.h>

#include "core/Tuning.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <algorithm>
#include <bitset>
#include <cmath>
#include <iterator>
#include <utility>

namespace input {
namespace {

class GlfwBackend final : public Backend {
public:
    int key(GLFWwindow* window, int key) override { return glfwGetKey(window, key); }
#ifdef __EMSCRIPTEN__
    // A page cannot move the pointer: the cursor is read relative to where
    // the game last put it. Under the pointer lock the browser adds up the
    // mouse's movements as the position.
    void cursorPos(GLFWwindow* window, double* x, double* y) override
    {
        glfwGetCursorPos(window, x, y);
        *x += shiftX, *y += shiftY;
    }
    void setCursorPos(GLFWwindow* window, double x, double y) override
    {
        double atX = 0.0, atY = 0.0;
        glfwGetCursorPos(window, &atX, &atY);
        shiftX = x - atX, shiftY = y - atY;
    }
    bool focused(GLFWwindow*) override { return true; }
    // Emscripten's GLFW maps no gamepads.
    bool gamepad(PadState&) override { return false; }
    void freeCursor() { shiftX = shiftY = 0.0; }

private:
    double shiftX = 0.0, shiftY = 0.0;
#else
    void cursorPos(GLFWwindow* window, double* x, double* y) override { glfwGetCursorPos(window, x, y); }
    void setCursorPos(GLFWwindow* window, double x, double y) override { glfwSetCursorPos(window, x, y); }
    bool focused(GLFWwindow* window) override { return glfwGetWindowAttrib(window, GLFW_FOCUSED) == 1; }
    bool gamepad(PadState& state) override
    {
        static_assert(sizeof(PadState::buttons) == sizeof(GLFWgamepadstate::buttons) &&
                      sizeof(PadState::axes) == sizeof(GLFWgamepadstate::axes));
        for (int joystick = GLFW_JOYSTICK_1; joystick <= GLFW_JOYSTICK_LAST; ++joystick) {
            GLFWgamepadstate glfw;
            if (glfwJoystickIsGamepad(joystick) && glfwGetGamepadState(joystick, &glfw)) {
                std::copy(std::begin(glfw.buttons), std::end(glfw.buttons), state.buttons);
                std::copy(std::begin(glfw.axes), std::end(glfw.axes), state.axes);
                return true;
            }
        }
        return false;
    }
#endif
};

GlfwBackend glfwBackend;
Backend* current = &glfwBackend;
static_assert(leftClick == GLFW_KEY_LAST + 1, "the click is noted after the last key");
std::bitset<leftClick + 1> notedPresses;
std::bitset<leftClick + 1> padHeld; // the keys the gamepad holds down
PadState lastPad;
double padLookX = 0.0, padLookY = 0.0;

bool isKey(int key) { return key >= 0 && key <= leftClick; }

// A stick's axis past its dead zone, rescaled to reach 1 at full tilt.
double pastDeadZone(float axis)
{
    constexpr double deadZone = 0.2;
    const double beyond = std::max(0.0, std::abs(static_cast<double>(axis)) - deadZone) / (1.0 - deadZone);
    return axis < 0.0f ? -beyond : beyond;
}

} // namespace

int getKey(GLFWwindow* window, int key)
{
    return isKey(key) && padHeld.test(static_cast<size_t>(key)) ? GLFW_PRESS : current->key(window, key);
}
bool isPressed(GLFWwindow* window, int key) { return getKey(window, key) == GLFW_PRESS; }
bool isReleased(GLFWwindow* window, int key) { return getKey(window, key) == GLFW_RELEASE; }
void getCursorPos(GLFWwindow* window, double* x, double* y) { current->cursorPos(window, x, y); }
void setCursorPos(GLFWwindow* window, double x, double y) { current->setCursorPos(window, x, y); }
bool isFocused(GLFWwindow* window) { return current->focused(window); }

void capturePointer(GLFWwindow* window, bool captured)
{
#ifdef __EMSCRIPTEN__
    // The page locks the pointer on a click while the game wants it.
    (void)window;
    glfwBackend.freeCursor();
    EM_ASM(
        {
            Module.wantsPointer = !!$0;
            if (!$0 && document.pointerLockElement)
                document.exitPointerLock();
        },
        captured);
#else
    glfwSetInputMode(window, GLFW_CURSOR, captured ? GLFW_CURSOR_HIDDEN : GLFW_CURSOR_NORMAL);
#endif
}

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

void readGamepad(const WalkKeys& keys, double seconds)
{
    PadState pad;
    if (!current->gamepad(pad))
        pad = PadState();
    const auto down = [&pad](int button) { return pad.buttons[button] != 0; };
    const auto tapped = [&](int button) { return down(button) && !lastPad.buttons[button]; };
    constexpr float tilt = 0.5f; // of the left stick, to walk
    const std::pair<int, bool> held[] = {{keys.forward, pad.axes[PadState::LeftY] < -tilt},
                                         {keys.back, pad.axes[PadState::LeftY] > tilt},
                                         {keys.left, pad.axes[PadState::LeftX] < -tilt},
                                         {keys.right, pad.axes[PadState::LeftX] > tilt},
                                         {keys.jump, down(PadState::South)},
                                         {GLFW_KEY_UP, down(PadState::DpadUp)},
                                         {GLFW_KEY_DOWN, down(PadState::DpadDown)},
                                         {GLFW_KEY_LEFT, down(PadState::DpadLeft)},
                                         {GLFW_KEY_RIGHT, down(PadState::DpadRight)}};
    padHeld.reset();
    for (const auto& [key, isDown] : held)
        if (isDown && isKey(key))
            padHeld.set(static_cast<size_t>(key));
    const std::pair<int, int> pressed[] = {{PadState::South, keys.jump},          {PadState::South, GLFW_KEY_ENTER},
                                           {PadState::Start, GLFW_KEY_P},         {PadState::DpadUp, GLFW_KEY_UP},
                                           {PadState::DpadDown, GLFW_KEY_DOWN},   {PadState::DpadLeft, GLFW_KEY_LEFT},
                                           {PadState::DpadRight, GLFW_KEY_RIGHT}, {PadState::Back, GLFW_KEY_TAB}};
    for (const auto& [button, key] : pressed)
        if (tapped(button))
            notePress(key);
    padLookX += pastDeadZone(pad.axes[PadState::RightX]) * tuning::padTurnPixelsPerSecond * seconds;
    padLookY += pastDeadZone(pad.axes[PadState::RightY]) * tuning::padTurnPixelsPerSecond * seconds;
    lastPad = pad;
}

void takePadLook(double& x, double& y)
{
    x = std::exchange(padLookX, 0.0);
    y = std::exchange(padLookY, 0.0);
}

void setBackend(Backend* backend) { current = backend ? backend : &glfwBackend; }

} // namespace input
