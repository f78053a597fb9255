#include "platform/xpointer.hpp"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace xpointer {

namespace {

struct Connection {
    Display* display = nullptr;  // the connection GLUT opened
    Window window = 0;           // the viewer's window
} connection;

}  // namespace

// A press opens the menu and starts an implicit grab on the viewer's window. With OwnerGrabButton
// selected on it, X reports the pointer to whichever of our windows is under it, so the release
// over the menu goes to the menu. That holds only for core events: GLUT also selects XInput 2
// button and motion events, whose implicit grab reports everything to the grabbing window, so
// they are deselected here and GLUT reads the same input from the core events it selects anyway.
void routeReleasesToMenu() {
    connection.display = glXGetCurrentDisplay();
    connection.window = glXGetCurrentDrawable();
    if (connection.display == nullptr || connection.window == 0) return;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(connection.display, connection.window, &attributes)) return;
    XSelectInput(connection.display, connection.window, attributes.your_event_mask | OwnerGrabButtonMask);
    int opcode = 0, event = 0, error = 0;
    if (XQueryExtension(connection.display, "XInputExtension", &opcode, &event, &error)) {
        unsigned char none[XIMaskLen(XI_LASTEVENT)] = {};
        XIEventMask mask{XIAllMasterDevices, sizeof none, none};
        XISelectEvents(connection.display, connection.window, &mask, 1);
    }
    XFlush(connection.display);
}

bool pointerOnScreen(int& x, int& y) {
    if (connection.display == nullptr) return false;
    Window root = 0, child = 0;
    int windowX = 0, windowY = 0;
    unsigned buttons = 0;
    return XQueryPointer(connection.display, DefaultRootWindow(connection.display), &root, &child, &x, &y,
                         &windowX, &windowY, &buttons);
}

}  // namespace xpointer
