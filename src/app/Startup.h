#pragma once

#include <string>

struct GLFWwindow;

// Opens the full-screen window on the primary monitor at its current video
// mode, or with `windowed` a window of the size given in screenWidth and
// screenHeight (at most the monitor's) on the desktop, with an OpenGL 3.3 core context; hides the
// cursor and loads the GL entry points. Any failure is fatal. Fills in the
// size the window got.
GLFWwindow* openGameWindow(int& screenWidth, int& screenHeight, bool windowed = false);

// Gives the window the icon of this picture (32 bits, at most 256 pixels a
// side); a picture that cannot be read leaves the window without one.
void setWindowIcon(GLFWwindow* window, const std::string& path);

// Window hints for the context the renderer needs: OpenGL 3.3 core.
void requestGameContext();

// glewInit with glewExperimental, then the vertex-array and mipmap entry
// points taken from the window library, as the renderer expects them.
// Returns false when GLEW cannot initialise.
bool loadGlEntryPoints();
