// GLUT's keys on the page: the document's key presses, as freeglut reports them on X, and the
// page's own keys (its key bar, a pinch), paced one an animation frame.
#include <emscripten/html5.h>

#include <cstring>

#include "state.hpp"

namespace glut {

namespace {

struct NamedKey {
    const char* name;  // as event.key names it
    int code;          // what freeglut reports for it on X
    bool special;      // a GLUT_KEY_* code rather than a character
};

// The keys with names in event.key.
const NamedKey kNamedKeys[] = {
    {"Enter",      '\r',                false},
    {"Escape",     '\x1b',              false},
    {"Backspace",  '\b',                false},
    {"Tab",        '\t',                false},
    {"Delete",     '\x7f',              false},
    {"F1",         GLUT_KEY_F1,         true},
    {"F2",         GLUT_KEY_F2,         true},
    {"F3",         GLUT_KEY_F3,         true},
    {"F4",         GLUT_KEY_F4,         true},
    {"F5",         GLUT_KEY_F5,         true},
    {"F6",         GLUT_KEY_F6,         true},
    {"F7",         GLUT_KEY_F7,         true},
    {"F8",         GLUT_KEY_F8,         true},
    {"F9",         GLUT_KEY_F9,         true},
    {"F10",        GLUT_KEY_F10,        true},
    {"F11",        GLUT_KEY_F11,        true},
    {"F12",        GLUT_KEY_F12,        true},
    {"ArrowLeft",  GLUT_KEY_LEFT,       true},
    {"ArrowUp",    GLUT_KEY_UP,         true},
    {"ArrowRight", GLUT_KEY_RIGHT,      true},
    {"ArrowDown",  GLUT_KEY_DOWN,       true},
    {"PageUp",     GLUT_KEY_PAGE_UP,    true},
    {"PageDown",   GLUT_KEY_PAGE_DOWN,  true},
    {"Home",       GLUT_KEY_HOME,       true},
    {"End",        GLUT_KEY_END,        true},
    {"Insert",     GLUT_KEY_INSERT,     true},
    {"NumLock",    GLUT_KEY_NUM_LOCK,   true},
    {"Clear",      GLUT_KEY_BEGIN,      true},
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

void queueKey(EventKind kind, int code) { queue({kind, code, 0, state.pointerX, state.pointerY}); }

EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* e, void*) {
    if (!state.looping || focusInFormField()) return EM_FALSE;
    // The menu key and Shift+F10 open the menu, as the right button does.
    if (std::strcmp(e->key, "ContextMenu") == 0 || (e->shiftKey && std::strcmp(e->key, "F10") == 0)) {
        if (!state.menuOpen) openMenuAtPointer();
        return EM_TRUE;
    }
    // The browser's own shortcuts stay the browser's; Ctrl with Alt is AltGr on some systems,
    // which types characters such as "~".
    if ((e->ctrlKey && !e->altKey) || e->metaKey) return EM_FALSE;
    const int modifier = modifierKey(*e);
    if (modifier != 0) {
        queueKey(EventKind::specialKey, modifier);
        return EM_FALSE;
    }
    const int character = latin1Character(e->key);
    if (character >= 0) {
        queueKey(EventKind::key, character);
        return EM_TRUE;
    }
    for (const NamedKey& k : kNamedKeys) {
        if (std::strcmp(e->key, k.name) != 0) continue;
        queueKey(k.special ? EventKind::specialKey : EventKind::key, k.code);
        // Tab still moves the focus and the function keys keep their browser actions (reload,
        // full screen, ...): the viewer only rings its bell for them.
        const bool browserKeeps = k.code == '\t' || (k.special && k.code >= GLUT_KEY_F1 && k.code <= GLUT_KEY_F12);
        return browserKeeps ? EM_FALSE : EM_TRUE;
    }
    return EM_FALSE;
}

// Keys of the page's key bar and of a pinch join the queue one an animation frame, so that each
// reaches its own frame as a typed key does: the viewer takes one command and one zoom key a frame.
EM_BOOL releasePacedKey(double, void*) {
    if (state.pacedKeys.empty() || !state.looping) {
        state.pacedKeys.clear();
        state.pacing = false;
        return EM_FALSE;
    }
    queue(state.pacedKeys.front());
    state.pacedKeys.erase(state.pacedKeys.begin());
    return EM_TRUE;
}

}  // namespace

void listenToKeys() {
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, onKeyDown);
}

void queuePaced(EventKind kind, int code) {
    if (state.pacedKeys.size() >= kMaxQueuedEvents) return;
    state.pacedKeys.push_back({kind, code, 0, state.pointerX, state.pointerY});
    if (!state.pacing) emscripten_request_animation_frame_loop(releasePacedKey, nullptr);
    state.pacing = true;
}

}  // namespace glut
