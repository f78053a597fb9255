// The pointer under GLUT: where it is on the screen, and which window a button release goes to
// while the pop-up menu is open. One half per window system.
#pragma once

namespace pointer {

// The window system connection the pointer is read through, taken once the window exists.
struct PointerState {
    void* connection = nullptr;  // X: the Display GLUT opened; unused on Windows
    unsigned long window = 0;    // X: the viewer's window; unused on Windows
};
extern PointerState pointerState;

// Makes a button released over the open pop-up menu reach the menu's own window, where GLUT
// reads the entry correctly, instead of the viewer's window, where GLUT 3.4 reads it one
// window-offset too high. Call once, right after the window is created (its GL context current).
void routeReleasesToMenu();

// The pointer's position on the screen; false when it cannot be read.
bool pointerOnScreen(int& x, int& y);

}  // namespace pointer
