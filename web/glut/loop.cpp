// GLUT's main loop on the page. As in freeglut, input is queued as it arrives and handed to the
// callbacks from the main loop. The loop runs one pass per animation frame of the browser, and a
// pass draws at most one frame: the window work asked for (size, place), the queued events, the
// display callback if a redisplay was posted, then the idle callback unless a frame has been
// swapped already. The loop never returns to the caller.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include "state.hpp"

namespace glut {

namespace {

void dispatch(const Event& e) {
    switch (e.kind) {
        case EventKind::key:
            if (state.keyboard) state.keyboard(static_cast<unsigned char>(e.code), e.x, e.y);
            break;
        case EventKind::specialKey:
            if (state.special) state.special(e.code, e.x, e.y);
            break;
        case EventKind::button:
            if (state.mouse) state.mouse(e.code, e.buttonState, e.x, e.y);
            break;
        case EventKind::motion:
            if (state.buttonsDown != 0) {
                if (state.motion) state.motion(e.x, e.y);
            } else if (state.passiveMotion) {
                state.passiveMotion(e.x, e.y);
            }
            break;
        case EventKind::menuOpened: openMenu(e.x, e.y); break;
        case EventKind::menuClosed: closeMenu(e.code, e.x, e.y); break;
    }
}

// Size and place asked for since the last pass; a new size reaches the reshape callback, or
// without one sets the viewport to the whole window as freeglut does. True when the canvas was resized.
bool windowWork() {
    if (state.placePending) {
        state.placePending = false;
        state.x = state.pendingX;
        state.y = state.pendingY;
    }
    if (state.pendingWidth < 0) return false;
    const int width = state.pendingWidth, height = state.pendingHeight;
    state.pendingWidth = -1;
    if (width == state.width && height == state.height) return false;
    resizeCanvas(width, height);
    if (state.reshape) {
        state.reshape(width, height);
    } else {
        glViewport(0, 0, width, height);
    }
    state.redisplay = true;
    return true;
}

// One pass per animation frame. The browser shows one frame per animation frame, so a second
// frame drawn in the same pass would never be seen: the idle callback, which may draw as the
// display callback does, runs only when the display callback has not swapped a frame.
void pass() {
    const double start = emscripten_get_now();
    // Resizing the canvas clears its drawing buffer, so events wait for the next pass: a screen
    // dump asked for now would otherwise read a blank picture instead of the one on show.
    if (!windowWork()) {
        state.dispatching.swap(state.events);
        for (const Event& e : state.dispatching) dispatch(e);
        state.dispatching.clear();
    }
    const unsigned framesBefore = state.framesSwapped;
    if (state.redisplay && state.display) {
        state.redisplay = false;
        state.display();
    }
    if (state.idle && state.framesSwapped == framesBefore) state.idle();
    reportPassTime(emscripten_get_now() - start);
}

}  // namespace

void queue(const Event& event) {
    if (state.events.size() < kMaxQueuedEvents) state.events.push_back(event);
}

void queueMotion(int x, int y) {
    if (!state.events.empty() && state.events.back().kind == EventKind::motion) {
        state.events.back().x = x;
        state.events.back().y = y;
    } else {
        queue({EventKind::motion, 0, 0, x, y});
    }
}

}  // namespace glut

using glut::state;

extern "C" {

// Passes follow the browser's animation frames (requestAnimationFrame): one frame per display
// refresh, none while the page is hidden, since the browser runs no animation frames for a hidden
// page. The call unwinds the caller's stack and never returns.
void glutMainLoop(void) {
    if (state.stopped) emscripten_exit_with_live_runtime();
    state.looping = true;
    emscripten_set_main_loop(glut::pass, 0, EM_FALSE);
    emscripten_exit_with_live_runtime();
}

// freeglut's way for a program to end the loop; also the page's when the run is over or another
// starts: no more frames, no more events.
void glutLeaveMainLoop(void) {
    state.stopped = true;
    state.looping = false;
    emscripten_cancel_main_loop();
    emscripten_html5_remove_all_event_listeners();
    unlistenToPointer();
    glut::cancelLongPress();
}

void glutPostRedisplay(void) { state.redisplay = true; }

void glutSwapBuffers(void) {
    glFlush();
    ++state.framesSwapped;
    countFrame(state.looping ? 1 : 0);
}

void glutDisplayFunc(void (*callback)(void)) { state.display = callback; }
void glutIdleFunc(void (*callback)(void)) { state.idle = callback; }
void glutReshapeFunc(void (*callback)(int, int)) { state.reshape = callback; }
void glutKeyboardFunc(void (*callback)(unsigned char, int, int)) { state.keyboard = callback; }
void glutSpecialFunc(void (*callback)(int, int, int)) { state.special = callback; }
void glutMouseFunc(void (*callback)(int, int, int, int)) { state.mouse = callback; }
void glutMotionFunc(void (*callback)(int, int)) { state.motion = callback; }
void glutPassiveMotionFunc(void (*callback)(int, int)) { state.passiveMotion = callback; }
void glutMenuStatusFunc(void (*callback)(int, int, int)) { state.menuStatus = callback; }

}  // extern "C"
