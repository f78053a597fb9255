#include "platform/pointer.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace pointer {

PointerState pointerState;

// freeglut's Windows menu reads a release over it where it happens: nothing to route.
void routeReleasesToMenu() {}

bool pointerOnScreen(int& x, int& y) {
    POINT where{};
    if (!GetCursorPos(&where)) return false;
    x = where.x;
    y = where.y;
    return true;
}

}  // namespace pointer
