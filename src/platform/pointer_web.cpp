#include "platform/pointer.hpp"

namespace pointer {

PointerState pointerState;

// The page's menu is an element of the page: the entry under the pointer gets the release.
void routeReleasesToMenu() {}

// A page cannot read the pointer's place on the screen; GLUT's window-relative position stands.
bool pointerOnScreen(int&, int&) { return false; }

}  // namespace pointer
