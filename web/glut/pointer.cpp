// GLUT's pointer on the page: the mouse, one finger on the canvas, and glutWarpPointer. The
// pointer's position is held here alone; the viewer hears of it through its motion callbacks.
#include <emscripten/eventloop.h>

#include <cmath>

#include "state.hpp"

namespace glut {

namespace {

// ---- the mouse -------------------------------------------------------------------------------------

bool mousePressed(int button, int x, int y) {
    state.pointerX = x;
    state.pointerY = y;
    if (button == state.menuButton && state.menuCallback) {
        if (!state.menuOpen) queue({EventKind::menuOpened, 0, 0, x, y});
        return true;
    }
    state.buttonsDown |= 1u << button;
    queue({EventKind::button, button, GLUT_DOWN, x, y});
    return true;
}

bool mouseReleased(int button, int x, int y) {
    if (!(state.buttonsDown & (1u << button))) return false;
    state.buttonsDown &= ~(1u << button);
    queue({EventKind::button, button, GLUT_UP, x, y});
    return false;
}

// Motion over the canvas, or anywhere while a button pressed over it is held (X's implicit grab).
// With the menu open the pointer is followed, and the viewer hears of it once the menu has closed.
bool mouseMoved(int x, int y) {
    if (state.buttonsDown == 0 && !insideCanvas(x, y)) return false;
    state.pointerX = x;
    state.pointerY = y;
    if (!state.menuOpen) queueMotion(x, y);
    return false;
}

// ---- touch -----------------------------------------------------------------------------------------
// One finger is the pointer: the view follows it as it follows the mouse, a short touch that does
// not move is a click of the left button, and a still finger held for half a second opens the
// menu there. Two fingers pinching zoom as the arrow keys do, a key for each step of distance.

constexpr double kTapSlop = 10;    // CSS pixels a finger may move and still tap or press long
constexpr double kPinchStep = 12;  // CSS pixels of pinch distance per zoom step
constexpr double kLongPressMs = 500;

void longPressed(void*) {
    TouchGesture& touch = state.touch;
    touch.pressTimer = 0;
    if (!touch.active || !touch.still || !state.looping) return;
    touch.still = false;  // the finger's lift is no tap
    openMenuAtPointer();
}

void fingerMoved(int x, int y) {
    state.pointerX = x;
    state.pointerY = y;
    if (!state.menuOpen) queueMotion(x, y);
}

}  // namespace

bool insideCanvas(int x, int y) { return x >= 0 && y >= 0 && x < state.width && y < state.height; }

bool mouseEvent(int kind, int button, int x, int y) {
    if (!state.looping) return false;
    if (kind == 2) return mouseMoved(x, y);
    if (button < 0 || button > 2) return false;
    return kind == 0 ? mousePressed(button, x, y) : mouseReleased(button, x, y);
}

void cancelLongPress() {
    if (state.touch.pressTimer) emscripten_clear_timeout(state.touch.pressTimer);
    state.touch.pressTimer = 0;
}

void touchEvent(int kind, int fingers, int x, int y, double clientX, double clientY, double distance) {
    if (!state.looping) return;
    TouchGesture& touch = state.touch;
    if (kind == 0 && !touch.active) {
        touch = TouchGesture{true, fingers == 1, false, clientX, clientY, 0, state.pointerX, state.pointerY, 0};
        if (fingers == 1) fingerMoved(x, y);
        if (touch.still) touch.pressTimer = emscripten_set_timeout(longPressed, kLongPressMs, nullptr);
    }
    if (!touch.active) return;
    // Fingers seldom land at once: the view that followed the first goes back as the second comes.
    if (fingers >= 2 && !touch.pinching) {
        cancelLongPress();
        touch.still = false;
        touch.pinching = true;
        touch.pinchDistance = distance;
        fingerMoved(touch.pointerX, touch.pointerY);
    }
    if (kind == 1 && touch.pinching && fingers >= 2) {
        for (; distance - touch.pinchDistance >= kPinchStep; touch.pinchDistance += kPinchStep)
            queuePaced(EventKind::specialKey, GLUT_KEY_UP);
        for (; touch.pinchDistance - distance >= kPinchStep; touch.pinchDistance -= kPinchStep)
            queuePaced(EventKind::specialKey, GLUT_KEY_DOWN);
    } else if (kind == 1 && !touch.pinching) {
        if (touch.still && std::hypot(clientX - touch.startX, clientY - touch.startY) > kTapSlop) {
            touch.still = false;
            cancelLongPress();
        }
        fingerMoved(x, y);
    } else if (kind == 2 && fingers == 0) {
        if (touch.still && touch.pressTimer) {  // a tap: the left button pressed and released
            queue({EventKind::button, GLUT_LEFT_BUTTON, GLUT_DOWN, state.pointerX, state.pointerY});
            queue({EventKind::button, GLUT_LEFT_BUTTON, GLUT_UP, state.pointerX, state.pointerY});
        }
        cancelLongPress();
        touch = TouchGesture{};
    }
}

}  // namespace glut

// The page cannot move the real pointer: GLUT's pointer goes to (x, y) until the real one moves,
// and the viewer hears of it as a motion, as X reports a warp.
extern "C" void glutWarpPointer(int x, int y) {
    using glut::state;
    if (x == state.pointerX && y == state.pointerY) return;
    state.pointerX = x;
    state.pointerY = y;
    glut::queueMotion(x, y);
}
