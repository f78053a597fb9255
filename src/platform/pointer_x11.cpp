#include "platform/pointer.hpp"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace pointer {

PointerState pointerState;

namespace {
Display* display() { return static_cast<Display*>(pointerState.connection); }
}  // namespace

// A press opens the menu and starts an implicit grab on the viewer's window. With OwnerGrabButton
// selected on it, X reports the pointer to whichever of our windows is under it, so the release
// over the menu goes to the menu. That holds only for core events: GLUT also selects XInput 2
// button and motion events, whose implicit grab reports everything to the grabbing window, so
// they are deselected here and GLUT reads the same input from the core events it selects anyway.
void routeReleasesToMenu() {
    pointerState.connection = glXGetCurrentDisplay();
    pointerState.window = glXGetCurrentDrawable();
    if (display() == nullptr || pointerState.window == 0) return;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display(), pointerState.window, &attributes)) return;
    XSelectInput(display(), pointerState.window, attributes.your_event_mask | OwnerGrabButtonMask);
    int opcode = 0, event = 0, error = 0;
    if (XQueryExtension(display(), "XInputExtension", &opcode, &event, &error)) {
        unsigned char none[XIMaskLen(XI_LASTEVENT)] = {};
        XIEventMask mask{XIAllMasterDevices, sizeof none, none};
        XISelectEvents(display(), pointerState.window, &mask, 1);
    }
    XFlush(display());
}

bool pointerOnScreen(int& x, int& y) {
    if (display() == nullptr) return false;
    Window root = 0, child = 0;
    int windowX = 0, windowY = 0;
    unsigned buttons = 0;
    return XQueryPointer(display(), DefaultRootWindow(display()), &root, &child, &x, &y,
                         &windowX, &windowY, &buttons);
}

}  // namespace pointer
