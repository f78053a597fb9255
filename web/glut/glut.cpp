// GLUT on the page: the module's canvas is the window, a WebGL 1 context its GL context, and
// emscripten's html5 events its input. As in freeglut, input is queued as it arrives and handed
// to the callbacks from the main loop. The loop runs one pass per animation frame of the browser,
// and a pass draws at most one frame: the window work asked for (size, place), the queued events,
// the display callback if a redisplay was posted, then the idle callback unless a frame has been
// swapped already. The loop never returns to the caller.
#include <GL/freeglut.h>

#include <emscripten/emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "../gl/window.hpp"

namespace {

// ---- state --------------------------------------------------------------------------------------

struct MenuEntry {
    std::string label;
    int value;
};

enum class EventKind { key, specialKey, button, motion, menuClosed };

struct Event {
    EventKind kind;
    int a, b, x, y;  // key or button and its state (or the menu's value), pointer position
};

struct GlutState {
    int initialWidth = 300, initialHeight = 300;  // glutInitWindowSize
    int x = 0, y = 0;                             // the window's place on the "screen"
    int width = 0, height = 0;                    // the canvas's drawing buffer
    int pendingWidth = -1, pendingHeight = -1;    // a size asked for, applied by the loop
    int pendingX = 0, pendingY = 0;
    bool placePending = false;
    bool windowMade = false, looping = false, redisplay = false;
    bool stopped = false;                         // the page has started another run
    unsigned framesSwapped = 0;                   // glutSwapBuffers calls, to keep one frame a pass
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = 0;

    void (*display)() = nullptr;
    void (*idle)() = nullptr;
    void (*reshape)(int, int) = nullptr;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    void (*special)(int, int, int) = nullptr;
    void (*mouse)(int, int, int, int) = nullptr;
    void (*motion)(int, int) = nullptr;
    void (*passiveMotion)(int, int) = nullptr;
    void (*menuStatus)(int, int, int) = nullptr;

    // The pointer in canvas pixels: the real one, or where a warp put it until the real one moves.
    int pointerX = 0, pointerY = 0;
    unsigned buttonsDown = 0;       // buttons pressed over the canvas and not yet released

    // The one pop-up menu.
    void (*menuCallback)(int) = nullptr;
    std::vector<MenuEntry> menuEntries;
    int menuButton = -1;            // the button it is attached to
    void* menuFont = GLUT_BITMAP_HELVETICA_18;
    bool menuOpen = false;
    struct MenuBox { int x, y, width, height, entryHeight; } menuBox{};  // on the screen, as
                                    // freeglut places it: where a release picks each entry

    std::vector<Event> events;
    std::vector<Event> dispatching;  // the events a pass hands out; swapped with `events`, so
                                     // both keep their room and a steady pass allocates nothing
};
GlutState glut;

constexpr size_t kMaxQueuedEvents = 1024;
constexpr int kMenuBorder = 2;  // freeglut's border round the entries

void queue(const Event& event) {
    if (glut.events.size() < kMaxQueuedEvents) glut.events.push_back(event);
}

// ---- page glue ----------------------------------------------------------------------------------

EM_JS(void, pointCanvasTarget, (), { specialHTMLTargets["!canvas"] = Module["canvas"]; });

// A frame drawn; one of the main loop tells the page that the run has started.
EM_JS(void, countFrame, (int inLoop), {
    const page = Module["orvexPage"];
    if (page) page.framesDrawn = (page.framesDrawn | 0) + 1;
    if (page && inLoop && page.loopFrame) page.loopFrame();
});

// The main thread's time in one pass of the loop, for the page's own measurements.
EM_JS(void, reportPassTime, (double milliseconds), {
    const page = Module["orvexPage"];
    if (page && page.passTimed) page.passTimed(milliseconds);
});

EM_JS(int, screenSize, (int height), {
    return height ? (screen.height | 0) : (screen.width | 0);
});

EM_JS(int, focusInFormField, (), {
    const e = document.activeElement;
    return e && (e.isContentEditable || /^(INPUT|TEXTAREA|SELECT|BUTTON)$/.test(e.tagName)) ? 1 : 0;
});

// The canvas pixel under a point of the page (client coordinates).
EM_JS(void, canvasPixel, (double clientX, double clientY, int* x, int* y), {
    const canvas = Module["canvas"];
    const box = canvas.getBoundingClientRect();
    const scaleX = box.width > 0 ? canvas.width / box.width : 1;
    const scaleY = box.height > 0 ? canvas.height / box.height : 1;
    HEAP32[x >> 2] = Math.floor((clientX - box.left) * scaleX);
    HEAP32[y >> 2] = Math.floor((clientY - box.top) * scaleY);
});

EM_JS(void, openPageMenu, (const char* labels, const int* values, int count, int x, int y), {
    const page = Module["orvexPage"];
    if (!page || !page.openMenu) return;
    const entries = [];
    let at = labels;
    for (let k = 0; k < count; ++k) {
        const label = UTF8ToString(at);
        entries.push({label: label, value: HEAP32[(values >> 2) + k]});
        at += lengthBytesUTF8(label) + 1;
    }
    page.openMenu(entries, x, y);
});

// ---- keys ---------------------------------------------------------------------------------------

struct NamedKey {
    const char* name;
    int code;
    bool special;  // a GLUT_KEY_* code rather than a character
};

// The keys with names in event.key, as freeglut reports them on X.
const NamedKey kNamedKeys[] = {
    {"Enter", 13, false},          {"Escape", 27, false},          {"Backspace", 8, false},
    {"Tab", 9, false},             {"Delete", 127, false},         {"F1", GLUT_KEY_F1, true},
    {"F2", GLUT_KEY_F2, true},     {"F3", GLUT_KEY_F3, true},      {"F4", GLUT_KEY_F4, true},
    {"F5", GLUT_KEY_F5, true},     {"F6", GLUT_KEY_F6, true},      {"F7", GLUT_KEY_F7, true},
    {"F8", GLUT_KEY_F8, true},     {"F9", GLUT_KEY_F9, true},      {"F10", GLUT_KEY_F10, true},
    {"F11", GLUT_KEY_F11, true},   {"F12", GLUT_KEY_F12, true},    {"ArrowLeft", GLUT_KEY_LEFT, true},
    {"ArrowUp", GLUT_KEY_UP, true}, {"ArrowRight", GLUT_KEY_RIGHT, true}, {"ArrowDown", GLUT_KEY_DOWN, true},
    {"PageUp", GLUT_KEY_PAGE_UP, true}, {"PageDown", GLUT_KEY_PAGE_DOWN, true}, {"Home", GLUT_KEY_HOME, true},
    {"End", GLUT_KEY_END, true},   {"Insert", GLUT_KEY_INSERT, true}, {"NumLock", GLUT_KEY_NUM_LOCK, true},
    {"Clear", GLUT_KEY_BEGIN, true},
};

// Modifier keys, reported as freeglut reports them (left or right by the key's location).
int modifierKey(const EmscriptenKeyboardEvent& e) {
    const bool right = e.location == DOM_KEY_LOCATION_RIGHT;
    if (std::strcmp(e.key, "Shift") == 0) return right ? GLUT_KEY_SHIFT_R : GLUT_KEY_SHIFT_L;
    if (std::strcmp(e.key, "Control") == 0) return right ? GLUT_KEY_CTRL_R : GLUT_KEY_CTRL_L;
    if (std::strcmp(e.key, "Alt") == 0) return right ? GLUT_KEY_ALT_R : GLUT_KEY_ALT_L;
    if (std::strcmp(e.key, "Meta") == 0) return right ? GLUT_KEY_SUPER_R : GLUT_KEY_SUPER_L;
    return 0;
}

// A key's one character (UTF-8 in event.key) when it has a Latin-1 code, else -1.
int latin1Character(const char* key) {
    const unsigned char* k = reinterpret_cast<const unsigned char*>(key);
    if (k[0] != 0 && k[1] == 0 && k[0] < 0x80) return k[0];
    if ((k[0] == 0xC2 || k[0] == 0xC3) && (k[1] & 0xC0) == 0x80 && k[2] == 0) {
        return ((k[0] & 0x1F) << 6) | (k[1] & 0x3F);
    }
    return -1;
}

void openMenuAtPointer();

EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* e, void*) {
    if (!glut.looping || focusInFormField()) return EM_FALSE;
    // The menu key and Shift+F10 open the menu, as the right button does.
    if (std::strcmp(e->key, "ContextMenu") == 0 || (e->shiftKey && std::strcmp(e->key, "F10") == 0)) {
        if (!glut.menuOpen) openMenuAtPointer();
        return EM_TRUE;
    }
    // The browser's own shortcuts stay the browser's; Ctrl with Alt is AltGr on some systems,
    // which types characters such as "~".
    if ((e->ctrlKey && !e->altKey) || e->metaKey) return EM_FALSE;
    const int modifier = modifierKey(*e);
    if (modifier != 0) {
        queue({EventKind::specialKey, modifier, 0, glut.pointerX, glut.pointerY});
        return EM_FALSE;
    }
    const int character = latin1Character(e->key);
    if (character >= 0) {
        queue({EventKind::key, character, 0, glut.pointerX, glut.pointerY});
        return EM_TRUE;
    }
    for (const NamedKey& k : kNamedKeys) {
        if (std::strcmp(e->key, k.name) != 0) continue;
        queue({k.special ? EventKind::specialKey : EventKind::key, k.code, 0, glut.pointerX, glut.pointerY});
        // Tab still moves the focus and the function keys keep their browser actions (reload,
        // full screen, ...): the viewer only rings its bell for them.
        const bool browserKeeps = k.code == 9 || (k.special && k.code >= GLUT_KEY_F1 && k.code <= GLUT_KEY_F12);
        return browserKeeps ? EM_FALSE : EM_TRUE;
    }
    return EM_FALSE;
}

// Keys of the page's key bar and of a pinch join the queue one an animation frame, so that each
// reaches its own frame as a typed key does: the viewer takes one command and one zoom key a frame.
std::vector<Event> pacedKeys;
bool pacing = false;  // an animation frame loop hands them out

EM_BOOL releasePacedKey(double, void*) {
    if (pacedKeys.empty() || !glut.looping) {
        pacedKeys.clear();
        pacing = false;
        return EM_FALSE;
    }
    queue(pacedKeys.front());
    pacedKeys.erase(pacedKeys.begin());
    return EM_TRUE;
}

void queuePaced(EventKind kind, int code) {
    if (pacedKeys.size() >= kMaxQueuedEvents) return;
    pacedKeys.push_back({kind, code, 0, glut.pointerX, glut.pointerY});
    if (!pacing) emscripten_request_animation_frame_loop(releasePacedKey, nullptr);
    pacing = true;
}

// ---- pointer ------------------------------------------------------------------------------------

bool insideCanvas(int x, int y) { return x >= 0 && y >= 0 && x < glut.width && y < glut.height; }

// Opens the menu from a key or a long press: at the pointer, or at the window's centre when the
// pointer is off it.
void openMenuAtPointer() {
    if (!insideCanvas(glut.pointerX, glut.pointerY)) {
        glut.pointerX = glut.width / 2;
        glut.pointerY = glut.height / 2;
    }
    queue({EventKind::menuClosed, -1, 0, glut.pointerX, glut.pointerY});  // -1: opens it
}

EM_BOOL onMouseDown(int, const EmscriptenMouseEvent* e, void*) {
    if (!glut.looping || e->button > 2) return EM_FALSE;
    int x = 0, y = 0;
    canvasPixel(e->clientX, e->clientY, &x, &y);
    glut.pointerX = x;
    glut.pointerY = y;
    if (e->button == glut.menuButton && glut.menuCallback) {
        if (!glut.menuOpen) queue({EventKind::menuClosed, -1, 0, x, y});  // -1: opens it
        return EM_TRUE;
    }
    glut.buttonsDown |= 1u << e->button;
    queue({EventKind::button, e->button, GLUT_DOWN, x, y});
    return EM_TRUE;
}

EM_BOOL onMouseUp(int, const EmscriptenMouseEvent* e, void*) {
    if (!glut.looping || e->button > 2 || !(glut.buttonsDown & (1u << e->button))) return EM_FALSE;
    int x = 0, y = 0;
    canvasPixel(e->clientX, e->clientY, &x, &y);
    glut.buttonsDown &= ~(1u << e->button);
    queue({EventKind::button, e->button, GLUT_UP, x, y});
    return EM_FALSE;
}

// Motion over the canvas, or anywhere while a button pressed over it is held (X's implicit grab).
EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* e, void*) {
    if (!glut.looping || glut.menuOpen) return EM_FALSE;
    int x = 0, y = 0;
    canvasPixel(e->clientX, e->clientY, &x, &y);
    if (glut.buttonsDown == 0 && !insideCanvas(x, y)) return EM_FALSE;
    glut.pointerX = x;
    glut.pointerY = y;
    if (!glut.events.empty() && glut.events.back().kind == EventKind::motion) {
        glut.events.back().x = x;  // one motion per pass is enough: the latest
        glut.events.back().y = y;
    } else {
        queue({EventKind::motion, 0, 0, x, y});
    }
    return EM_FALSE;
}

// ---- touch --------------------------------------------------------------------------------------
// One finger is the pointer: the view follows it as it follows the mouse, a short touch that does
// not move is a click of the left button, and a still finger held for half a second opens the
// menu there. Two fingers pinching zoom as the arrow keys do, a key for each step of distance.

constexpr double kTapSlop = 10;          // CSS pixels a finger may move and still tap or press long
constexpr double kPinchStep = 12;        // CSS pixels of pinch distance per zoom step
constexpr double kLongPressMs = 500;

struct TouchGesture {
    bool active = false;        // a gesture began on the canvas and not all its fingers are up
    bool still = false;         // one finger, not moved beyond the slop: a tap or a long press
    bool pinching = false;      // a second finger came: the rest of the gesture zooms
    double startX = 0, startY = 0;  // where the one finger went down, client coordinates
    double pinchDistance = 0;   // the fingers' distance at the last zoom step
    int pointerX = 0, pointerY = 0;  // the pointer before the gesture, where a pinch puts it back
    long pressTimer = 0;        // the pending long press, 0 none
};
TouchGesture touch;

void cancelLongPress() {
    if (touch.pressTimer) emscripten_clear_timeout(touch.pressTimer);
    touch.pressTimer = 0;
}

void longPressed(void*) {
    touch.pressTimer = 0;
    if (!touch.active || !touch.still || !glut.looping) return;
    touch.still = false;  // the finger's lift is no tap
    openMenuAtPointer();
}

void fingerMoved(int x, int y) {
    glut.pointerX = x;
    glut.pointerY = y;
    if (glut.menuOpen) return;
    if (!glut.events.empty() && glut.events.back().kind == EventKind::motion) {
        glut.events.back().x = x;
        glut.events.back().y = y;
    } else {
        queue({EventKind::motion, 0, 0, x, y});
    }
}

// From the canvas's touch listener (below, through webTouch): `kind` 0 start, 1 move, 2 end or
// cancel; `fingers` still down; the first finger's (for an end, the lifted one's) client
// position; the distance of the first two fingers.
void touched(int kind, int fingers, double clientX, double clientY, double distance) {
    if (!glut.looping) return;
    int x = 0, y = 0;
    canvasPixel(clientX, clientY, &x, &y);
    if (kind == 0 && !touch.active) {
        touch = TouchGesture{true, fingers == 1, false, clientX, clientY, 0, glut.pointerX, glut.pointerY, 0};
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
            queue({EventKind::button, GLUT_LEFT_BUTTON, GLUT_DOWN, glut.pointerX, glut.pointerY});
            queue({EventKind::button, GLUT_LEFT_BUTTON, GLUT_UP, glut.pointerX, glut.pointerY});
        }
        cancelLongPress();
        touch = TouchGesture{};
    }
}

// Touch events on the canvas go to webTouch, and none reaches the page's own panning and zooming.
EM_JS(void, listenTouch, (), {
    const canvas = Module["canvas"];
    const listener = function(e) {
        const kind = e.type === "touchstart" ? 0 : e.type === "touchmove" ? 1 : 2;
        const finger = kind === 2 ? e.changedTouches[0] : e.touches[0];
        const second = e.touches.length >= 2 ? e.touches[1] : null;
        const first = e.touches[0];
        const distance = second ? Math.hypot(second.clientX - first.clientX, second.clientY - first.clientY) : 0;
        if (finger) Module["_webTouch"](kind, e.touches.length, finger.clientX, finger.clientY, distance);
        e.preventDefault();
    };
    for (const type of ["touchstart", "touchmove", "touchend", "touchcancel"]) {
        canvas.addEventListener(type, listener, {passive: false});
    }
    Module["orvexTouchListener"] = listener;
});

EM_JS(void, unlistenTouch, (), {
    const listener = Module["orvexTouchListener"];
    if (!listener) return;
    for (const type of ["touchstart", "touchmove", "touchend", "touchcancel"]) {
        Module["canvas"].removeEventListener(type, listener);
    }
    delete Module["orvexTouchListener"];
});

// ---- the menu -----------------------------------------------------------------------------------

// freeglut's box for the menu opened with the pointer at (x, y) in the window: its entries one
// font height plus the border apart, the widest label plus twice the border on each side, its
// corner at the pointer on the screen, moved back by its size where it would leave the screen.
GlutState::MenuBox menuBoxAt(int x, int y) {
    GlutState::MenuBox box{glut.x + x, glut.y + y, 0, 0, glutBitmapHeight(glut.menuFont) + kMenuBorder};
    for (const MenuEntry& e : glut.menuEntries) {
        const int w = glutBitmapLength(glut.menuFont, reinterpret_cast<const unsigned char*>(e.label.c_str()));
        if (w > box.width) box.width = w;
    }
    box.width += 4 * kMenuBorder;
    box.height = static_cast<int>(glut.menuEntries.size()) * box.entryHeight + 2 * kMenuBorder;
    if (box.x + box.width > glutGet(GLUT_SCREEN_WIDTH)) box.x -= box.width;
    if (box.y + box.height > glutGet(GLUT_SCREEN_HEIGHT)) {
        box.y -= box.height;
        if (box.y < 0) box.y = 0;
    }
    return box;
}

void openMenu(int x, int y) {
    glut.menuBox = menuBoxAt(x, y);
    glut.menuOpen = true;
    if (glut.menuStatus) glut.menuStatus(GLUT_MENU_IN_USE, x, y);
    std::string labels;
    std::vector<int> values;
    for (const MenuEntry& e : glut.menuEntries) {
        labels += e.label;
        labels += '\0';
        values.push_back(e.value);
    }
    openPageMenu(labels.data(), values.data(), static_cast<int>(values.size()), x, y);
}

// The page's menu picked `value` (0: nothing). A pick is reported where a release over that
// entry of freeglut's box would have been, so that the viewer, which works out the entry under
// the pointer from the box, finds the very entry the page picked.
void closeMenu(int value, int x, int y) {
    if (!glut.menuOpen) return;
    glut.menuOpen = false;
    const GlutState::MenuBox& box = glut.menuBox;
    for (size_t k = 0; k < glut.menuEntries.size(); ++k) {
        if (value == 0 || glut.menuEntries[k].value != value) continue;
        x = box.x - glut.x + box.width / 2;
        y = box.y - glut.y + kMenuBorder + static_cast<int>(k) * box.entryHeight + box.entryHeight / 2;
        if (glut.menuStatus) glut.menuStatus(GLUT_MENU_NOT_IN_USE, x, y);
        if (glut.menuCallback) glut.menuCallback(value);
        return;
    }
    if (glut.menuStatus) glut.menuStatus(GLUT_MENU_NOT_IN_USE, x, y);
}

// ---- the loop -----------------------------------------------------------------------------------

void resizeCanvas(int width, int height) {
    emscripten_set_canvas_element_size("!canvas", width, height);
    glut.width = width;
    glut.height = height;
    gl11::setDrawingSize(width, height);
}

// Size and place asked for since the last pass; a new size reaches the reshape callback, or
// without one sets the viewport to the whole window as freeglut does. True when the canvas was resized.
bool windowWork() {
    if (glut.placePending) {
        glut.placePending = false;
        glut.x = glut.pendingX;
        glut.y = glut.pendingY;
    }
    if (glut.pendingWidth >= 0) {
        const int width = glut.pendingWidth, height = glut.pendingHeight;
        glut.pendingWidth = -1;
        if (width != glut.width || height != glut.height) {
            resizeCanvas(width, height);
            if (glut.reshape) {
                glut.reshape(width, height);
            } else {
                glViewport(0, 0, width, height);
            }
            glut.redisplay = true;
            return true;
        }
    }
    return false;
}

void dispatch(const Event& e) {
    switch (e.kind) {
        case EventKind::key:
            if (glut.keyboard) glut.keyboard(static_cast<unsigned char>(e.a), e.x, e.y);
            break;
        case EventKind::specialKey:
            if (glut.special) glut.special(e.a, e.x, e.y);
            break;
        case EventKind::button:
            if (glut.mouse) glut.mouse(e.a, e.b, e.x, e.y);
            break;
        case EventKind::motion:
            if (glut.buttonsDown != 0) {
                if (glut.motion) glut.motion(e.x, e.y);
            } else if (glut.passiveMotion) {
                glut.passiveMotion(e.x, e.y);
            }
            break;
        case EventKind::menuClosed:
            if (e.a < 0) {
                openMenu(e.x, e.y);
            } else {
                closeMenu(e.a, e.x, e.y);
            }
            break;
    }
}

// One pass per animation frame. The browser shows one frame per animation frame, so a second
// frame drawn in the same pass would never be seen: the idle callback, which may draw as the
// display callback does, runs only when the display callback has not swapped a frame.
void pass() {
    const double start = emscripten_get_now();
    // Resizing the canvas clears its drawing buffer, so events wait for the next pass: a screen
    // dump asked for now would otherwise read a blank picture instead of the one on show.
    if (!windowWork()) {
        glut.dispatching.swap(glut.events);
        for (const Event& e : glut.dispatching) dispatch(e);
        glut.dispatching.clear();
    }
    const unsigned framesBefore = glut.framesSwapped;
    if (glut.redisplay && glut.display) {
        glut.redisplay = false;
        glut.display();
    }
    if (glut.idle && glut.framesSwapped == framesBefore) glut.idle();
    reportPassTime(emscripten_get_now() - start);
}

void listen() {
    const char* document = EMSCRIPTEN_EVENT_TARGET_DOCUMENT;
    emscripten_set_keydown_callback(document, nullptr, EM_FALSE, onKeyDown);
    emscripten_set_mousedown_callback("!canvas", nullptr, EM_FALSE, onMouseDown);
    emscripten_set_mouseup_callback(document, nullptr, EM_FALSE, onMouseUp);
    emscripten_set_mousemove_callback(document, nullptr, EM_FALSE, onMouseMove);
    listenTouch();
}

}  // namespace

extern "C" {

// ---- start-up and the window --------------------------------------------------------------------

void glutInit(int*, char**) {}
void glutInitDisplayMode(unsigned int) {}  // the context is always RGB, double-buffered, with depth

void glutInitWindowSize(int width, int height) {
    glut.initialWidth = width;
    glut.initialHeight = height;
}

void glutInitWindowPosition(int x, int y) {
    glut.x = x;
    glut.y = y;
}

int glutCreateWindow(const char*) {
    if (glut.windowMade) return 0;
    pointCanvasTarget();
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;  // an RGB window
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE;  // read-backs between frames see the last frame
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    glut.webgl = emscripten_webgl_create_context("!canvas", &attributes);
    if (glut.webgl <= 0) return 0;
    emscripten_webgl_make_context_current(glut.webgl);
    glut.windowMade = true;
    resizeCanvas(glut.initialWidth, glut.initialHeight);
    gl11::startContext(glut.width, glut.height);
    if (!glut.stopped) listen();
    return 1;
}

void glutReshapeWindow(int width, int height) {
    glut.pendingWidth = width < 1 ? 1 : width;
    glut.pendingHeight = height < 1 ? 1 : height;
}

void glutPositionWindow(int x, int y) {
    glut.pendingX = x;
    glut.pendingY = y;
    glut.placePending = true;
}

// The page has no window frame: the border and title bar are 0 wide.
int glutGet(GLenum what) {
    switch (what) {
        case GLUT_WINDOW_X: return glut.x;
        case GLUT_WINDOW_Y: return glut.y;
        case GLUT_WINDOW_WIDTH: return glut.width;
        case GLUT_WINDOW_HEIGHT: return glut.height;
        case GLUT_SCREEN_WIDTH: {
            const int w = screenSize(0);
            return w > glut.x + glut.width ? w : glut.x + glut.width;
        }
        case GLUT_SCREEN_HEIGHT: {
            const int h = screenSize(1);
            return h > glut.y + glut.height ? h : glut.y + glut.height;
        }
        case GLUT_WINDOW_BORDER_WIDTH:
        case GLUT_WINDOW_HEADER_HEIGHT: return 0;
        case GLUT_ELAPSED_TIME: return static_cast<int>(emscripten_get_now());
        default: return 0;
    }
}

// Passes follow the browser's animation frames (requestAnimationFrame): one frame per display
// refresh, none while the page is hidden, since the browser runs no animation frames for a hidden
// page. The call unwinds the caller's stack and never returns.
void glutMainLoop(void) {
    if (glut.stopped) emscripten_exit_with_live_runtime();
    glut.looping = true;
    emscripten_set_main_loop(pass, 0, EM_FALSE);
    emscripten_exit_with_live_runtime();
}

void glutPostRedisplay(void) { glut.redisplay = true; }

void glutSwapBuffers(void) {
    glFlush();
    ++glut.framesSwapped;
    countFrame(glut.looping ? 1 : 0);
}

// The page cannot move the pointer: the position is kept until the real pointer moves.
void glutWarpPointer(int x, int y) {
    glut.pointerX = x;
    glut.pointerY = y;
}

// ---- callbacks ----------------------------------------------------------------------------------

void glutDisplayFunc(void (*callback)(void)) { glut.display = callback; }
void glutIdleFunc(void (*callback)(void)) { glut.idle = callback; }
void glutReshapeFunc(void (*callback)(int, int)) { glut.reshape = callback; }
void glutKeyboardFunc(void (*callback)(unsigned char, int, int)) { glut.keyboard = callback; }
void glutSpecialFunc(void (*callback)(int, int, int)) { glut.special = callback; }
void glutMouseFunc(void (*callback)(int, int, int, int)) { glut.mouse = callback; }
void glutMotionFunc(void (*callback)(int, int)) { glut.motion = callback; }
void glutPassiveMotionFunc(void (*callback)(int, int)) { glut.passiveMotion = callback; }
void glutMenuStatusFunc(void (*callback)(int, int, int)) { glut.menuStatus = callback; }

// ---- the menu -----------------------------------------------------------------------------------

int glutCreateMenu(void (*callback)(int)) {
    glut.menuCallback = callback;
    glut.menuEntries.clear();
    return 1;
}

void glutAddMenuEntry(const char* label, int value) { glut.menuEntries.push_back({label, value}); }
void glutAttachMenu(int button) { glut.menuButton = button; }
int glutGetMenu(void) { return glut.menuCallback ? 1 : 0; }
void glutSetMenuFont(int, void* font) { glut.menuFont = font; }

// The page's menu has closed: `value` the entry chosen (0: none), (x, y) the canvas pixel the
// pointer was at. Handled in the next pass of the loop, like every event.
EMSCRIPTEN_KEEPALIVE void webMenuClosed(int value, int x, int y) {
    glut.pointerX = x;
    glut.pointerY = y;
    queue({EventKind::menuClosed, value < 0 ? 0 : value, 0, x, y});
}

}  // extern "C"

extern "C" {

// The run is over, or the page starts a new one on the same canvas: this one draws no more
// frames and takes no more events.
EMSCRIPTEN_KEEPALIVE void webStopRun(void) {
    glut.stopped = true;
    glut.looping = false;
    emscripten_cancel_main_loop();
    emscripten_html5_remove_all_event_listeners();
    unlistenTouch();
    cancelLongPress();
}

// freeglut's way for a program to end the loop: the run's end in the console stops it here.
void glutLeaveMainLoop(void) { webStopRun(); }

// A key of the page's key bar: queued at the pointer as the keyboard's keys are, so the same
// steps and limits apply.
EMSCRIPTEN_KEEPALIVE void webKey(int code, int special) {
    if (glut.looping) queuePaced(special ? EventKind::specialKey : EventKind::key, code);
}

EMSCRIPTEN_KEEPALIVE void webTouch(int kind, int fingers, double clientX, double clientY, double distance) {
    touched(kind, fingers, clientX, clientY, distance);
}

}  // extern "C"
