#include "platform/pointer.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <windowsx.h>

#include <cstring>

namespace pointer {

PointerState pointerState;

namespace {

WNDPROC viewerProcedure = nullptr;  // freeglut's own procedure of the viewer's window

// A pop-up menu window of this program's GLUT.
bool isMenuWindow(HWND window) {
    char title[32] = {};
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId() && GetWindowTextA(window, title, sizeof title) > 0 &&
           std::strcmp(title, "freeglut menu") == 0;
}

// Pointer motion and button releases that the viewer's window receives while the pointer is over
// an open menu (the press that opened the menu keeps them there) go on to the menu's window, in
// its own coordinates, where GLUT highlights and reads the entry under the pointer.
LRESULT CALLBACK routeToMenu(HWND window, UINT message, WPARAM flags, LPARAM position) {
    if (message == WM_MOUSEMOVE || message == WM_LBUTTONUP || message == WM_MBUTTONUP || message == WM_RBUTTONUP) {
        POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
        ClientToScreen(window, &at);
        const HWND under = WindowFromPoint(at);
        if (under != nullptr && under != window && isMenuWindow(under)) {
            ScreenToClient(under, &at);
            return SendMessageA(under, message, flags, MAKELPARAM(at.x, at.y));
        }
    }
    return CallWindowProcA(viewerProcedure, window, message, flags, position);
}

}  // namespace

// The window is the one whose GL context is current, right after its creation.
void routeReleasesToMenu() {
    const HWND window = WindowFromDC(wglGetCurrentDC());
    if (window == nullptr || viewerProcedure != nullptr) return;
    viewerProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(routeToMenu)));
}

bool pointerOnScreen(int& x, int& y) {
    POINT where{};
    if (!GetCursorPos(&where)) return false;
    x = where.x;
    y = where.y;
    return true;
}

}  // namespace pointer
