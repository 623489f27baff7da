#pragma once

struct GLFWwindow;

// Keyboard, cursor and focus queries. Game code reads input only through these
// functions; they forward to GLFW unless a test installs its own backend, which
// lets key latches, menus and the player run without a window.
namespace input {

// A gamepad as GLFW's built-in mappings give it (GLFWgamepadstate's layout).
struct PadState {
    enum Axis { LeftX, LeftY, RightX, RightY }; // -1 to 1, y down
    enum Button { South = 0, Back = 6, Start = 7, DpadUp = 11, DpadRight = 12, DpadDown = 13, DpadLeft = 14 };
    unsigned char buttons[15] = {}; // 1 while down
    float axes[6] = {};
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual int key(GLFWwindow* window, int key) = 0; // GLFW_PRESS or GLFW_RELEASE
    virtual void cursorPos(GLFWwindow* window, double* x, double* y) = 0;
    virtual void setCursorPos(GLFWwindow* window, double x, double y) = 0;
    virtual bool focused(GLFWwindow* window) = 0;
    // The first gamepad plugged in, if any.
    virtual bool gamepad(PadState& state)
    {
        (void)state;
        return false;
    }
};

int getKey(GLFWwindow* window, int key);
bool isPressed(GLFWwindow* window, int key);  // getKey reports GLFW_PRESS
bool isReleased(GLFWwindow* window, int key); // getKey reports GLFW_RELEASE
void getCursorPos(GLFWwindow* window, double* x, double* y);
void setCursorPos(GLFWwindow* window, double x, double y);
bool isFocused(GLFWwindow* window);
// Hides the cursor over the window for the mouse look, or frees it; in the
// browser the page locks the pointer on the next click.
void capturePointer(GLFWwindow* window, bool captured);

// The keys the player walks and jumps with (the arrows walk as well). Key
// codes of letters, digits and space are their ASCII codes.
struct WalkKeys {
    int forward = 'W', left = 'A', back = 'S', right = 'D', jump = ' ';
};

// Noted like a key for a press of the left mouse button.
constexpr int leftClick = 349;

// Presses that key events reported, kept until taken: a tap that begins and
// ends between two reads of the key still counts once. The game's key
// callback notes them; a test may note its own.
void notePress(int key);
// True once for each key noted since the last take (or clear).
bool takePress(int key);
void clearPresses();

// Once a frame: the first gamepad (plugged in or out at any time) as the keys
// it stands for. The left stick holds the walking keys and the d-pad the
// arrows; the south button holds the jump key and presses Enter, start
// presses P, back presses Tab, the d-pad presses the arrows; the right stick turns the view as
// `seconds` of mouse travel at tuning::padTurnPixelsPerSecond would.
void readGamepad(const WalkKeys& keys, double seconds);
// The right stick's turn since the last take, in mouse pixels (x right, y down).
void takePadLook(double& x, double& y);

// Replaces the GLFW backend (nullptr restores it). Not owned.
void setBackend(Backend* backend);

} // namespace input
