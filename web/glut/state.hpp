// GLUT on the page, inside: its one state and what its rooms call of each other. The rooms are
// the window (window.cpp), the loop and its event queue (loop.cpp), keys (keys.cpp), pointer and
// touch (pointer.cpp), the menu (menu.cpp), the bitmap fonts (fonts.cpp), and the page's glue
// (page.cpp), the one room that speaks JavaScript.
#pragma once

#include <GL/freeglut.h>

#include <emscripten/em_macros.h>
#include <emscripten/html5.h>

#include <string>
#include <vector>

namespace glut {

enum class EventKind { key, specialKey, button, motion, menuOpened, menuClosed };

// An input, queued as it arrives and handed to the callbacks by the next pass of the loop.
struct Event {
    EventKind kind;
    int code;         // the key, the button or the menu's value (0: nothing picked)
    int buttonState;  // a button's GLUT_DOWN or GLUT_UP
    int x, y;         // the pointer, in canvas pixels
};

struct MenuEntry {
    std::string label;
    int value;
};

// freeglut's box of the open menu, on the screen: where a release picks each entry.
struct MenuBox {
    int x, y, width, height, entryHeight;
};

// One touch gesture on the canvas, from its first finger down to its last finger up.
struct TouchGesture {
    bool active = false;             // a gesture began on the canvas and not all its fingers are up
    bool still = false;              // one finger, not moved beyond the slop: a tap or a long press
    bool pinching = false;           // a second finger came: the rest of the gesture zooms
    double startX = 0, startY = 0;   // where the one finger went down, client coordinates
    double pinchDistance = 0;        // the fingers' distance at the last zoom step
    int pointerX = 0, pointerY = 0;  // the pointer before the gesture, where a pinch puts it back
    long pressTimer = 0;             // the pending long press, 0 none
};

struct State {
    // The window.
    std::string programName;                      // glutInit's first argument, which freeglut's messages name
    int initialWidth = 300, initialHeight = 300;  // glutInitWindowSize
    int x = 0, y = 0;                             // the window's place on the "screen"
    int width = 0, height = 0;                    // the canvas's drawing buffer
    int pendingWidth = -1, pendingHeight = -1;    // a size asked for, applied by the loop (-1: none)
    int pendingX = 0, pendingY = 0;               // a place asked for, applied by the loop
    bool placePending = false;                    // pendingX and pendingY hold a place to apply
    bool windowMade = false;                      // glutCreateWindow has made the window
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = 0;    // the canvas's WebGL context

    // The loop.
    bool looping = false;                         // the main loop runs and takes events
    bool stopped = false;                         // the run is over, or the page has started another one
    bool redisplay = false;                       // a redisplay is posted
    unsigned framesSwapped = 0;                   // glutSwapBuffers calls, to keep one frame a pass
    std::vector<Event> events;                    // the queue, handed out by the next pass
    std::vector<Event> dispatching;               // the events a pass hands out; swapped with `events`, so
                                                  // both keep their room and a steady pass allocates nothing
    void (*display)() = nullptr;                  // glutDisplayFunc
    void (*idle)() = nullptr;                     // glutIdleFunc
    void (*reshape)(int, int) = nullptr;          // glutReshapeFunc
    void (*keyboard)(unsigned char, int, int) = nullptr;  // glutKeyboardFunc
    void (*special)(int, int, int) = nullptr;     // glutSpecialFunc
    void (*mouse)(int, int, int, int) = nullptr;  // glutMouseFunc
    void (*motion)(int, int) = nullptr;           // glutMotionFunc
    void (*passiveMotion)(int, int) = nullptr;    // glutPassiveMotionFunc
    void (*menuStatus)(int, int, int) = nullptr;  // glutMenuStatusFunc

    // Keys of the page's key bar and of a pinch, joining the queue one an animation frame.
    std::vector<Event> pacedKeys;                 // waiting, the next first
    bool pacing = false;                          // an animation frame loop hands them out

    // The pointer, owned here: the page asks for it, the viewer hears of it through its callbacks.
    int pointerX = 0, pointerY = 0;               // canvas pixels: the last over the canvas, or where a
                                                  // finger or a warp put it
    unsigned buttonsDown = 0;                     // buttons pressed over the canvas and not yet released
    TouchGesture touch;                           // the finger's gesture under way

    // The one pop-up menu, shown by the page.
    void (*menuCallback)(int) = nullptr;          // told the value of an entry picked
    std::vector<MenuEntry> menuEntries;           // in the order added
    int menuButton = -1;                          // the button it is attached to
    void* menuFont = GLUT_BITMAP_HELVETICA_18;    // the font freeglut measures its box with
    bool menuOpen = false;                        // shown by the page, not yet closed
    MenuBox menuBox{};                            // where freeglut would have placed it when it opened
};
extern State state;

// Begins GLUT afresh; a run the page has stopped stays stopped.
void resetState();

// ---- the loop (loop.cpp) -------------------------------------------------------------------------
constexpr size_t kMaxQueuedEvents = 1024;  // the queue's bound, and the paced keys'
void queue(const Event& event);
// Queues the pointer's motion to (x, y): one motion a pass is enough, the latest.
void queueMotion(int x, int y);

// ---- the window (window.cpp) ---------------------------------------------------------------------
void resizeCanvas(int width, int height);
// freeglut's end of a program on a fatal error: its message on standard error, exit status 1.
[[noreturn]] void fatalError(const char* message);

// ---- keys (keys.cpp) -----------------------------------------------------------------------------
void listenToKeys();
// Queues a key at the pointer in the next animation frame that has none yet.
void queuePaced(EventKind kind, int code);

// ---- pointer and touch (pointer.cpp) -------------------------------------------------------------
bool insideCanvas(int x, int y);
// A mouse event on the page (kind 0 a press on the canvas, 1 a release, 2 a move) at canvas pixel
// (x, y); true when the browser should not act on it.
bool mouseEvent(int kind, int button, int x, int y);
// A touch event on the canvas: `kind` 0 start, 1 move, 2 end or cancel; `fingers` still down; the
// first finger's (for an end, the lifted one's) canvas pixel and client position; the distance of
// the first two fingers.
void touchEvent(int kind, int fingers, int x, int y, double clientX, double clientY, double distance);
void cancelLongPress();

// ---- the menu (menu.cpp) -------------------------------------------------------------------------
// Opens the menu from a key or a long press: at the pointer, or at the window's centre when the
// pointer is off it.
void openMenuAtPointer();
void openMenu(int x, int y);
void closeMenu(int value, int x, int y);

}  // namespace glut

// ---- the page's glue (page.cpp): JavaScript the rooms call ----------------------------------------
extern "C" {
void pointCanvasTarget(void) EM_IMPORT(pointCanvasTarget);
void countFrame(int inLoop) EM_IMPORT(countFrame);
void reportPassTime(double milliseconds) EM_IMPORT(reportPassTime);
int screenSize(int height) EM_IMPORT(screenSize);
int focusInFormField(void) EM_IMPORT(focusInFormField);
void openPageMenu(const char* labels, const int* values, int count, int x, int y) EM_IMPORT(openPageMenu);
void listenToPointer(void) EM_IMPORT(listenToPointer);
void unlistenToPointer(void) EM_IMPORT(unlistenToPointer);
void tellPageFailed(const char* code, const char* detail) EM_IMPORT(tellPageFailed);
void tellPageStopped(int status) EM_IMPORT(tellPageStopped);
void haltRun(void) EM_IMPORT(__asyncjs__haltRun);
}
