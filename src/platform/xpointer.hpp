// The X pointer under GLUT: where it is on the screen, and which window a button release goes to
// while the pop-up menu is open.
#pragma once

namespace xpointer {

// Makes a button released over the open pop-up menu reach the menu's own window, where GLUT
// reads the entry correctly, instead of the viewer's window, where GLUT 3.4 reads it one
// window-offset too high. Call once, right after the window is created (its GL context current).
void routeReleasesToMenu();

// The pointer's position on the screen; false when it cannot be read.
bool pointerOnScreen(int& x, int& y);

}  // namespace xpointer
