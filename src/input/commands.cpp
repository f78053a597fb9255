#include "input/commands.hpp"

#include <GL/freeglut.h>

#include <cstring>

#include "image/screendump.hpp"
#include "platform/console.hpp"
#include "model/orientation.hpp"
#include "model/state.hpp"

namespace input {

namespace {

constexpr int kUpArrow = 101;          // GLUT_KEY_UP
constexpr int kDownArrow = 103;        // GLUT_KEY_DOWN
constexpr double kWidestFieldOfView = 140.0;
constexpr double kNarrowestFieldOfView = 0.5241;
constexpr double kZoomStep = 0.5;
constexpr int kQuitValue = 7;
constexpr int kDumpChannel = 20;

// The key that a menu value stands for, or 0 (13 and unknown values stand for no key).
int keyOfMenuValue(int value) {
    switch (value) {
        case 11: return 'L';
        case 14: return 'H';
        case 15: return 'G';
        case 16: return 'I';
        case 17: return 'R';
        case 18: return 'P';
        case 19: return 'E';
        default: break;
    }
    if (value >= 21 && value <= 25) return '1' + (value - 21);
    return 0;
}

// Acts on one command key; anything that is no command rings the bell.
void applyKey(model::State& s, int key) {
    if (key >= '1' && key <= '5') {
        s.selectedImage = key - '0';
        s.imageShown = 1;
        if (s.selectedImage > s.imageCount) {
            // With no image configured this is 0: no image, and nothing indexes the tables by it.
            s.selectedImage = s.imageCount;
            console::bellLine();
        }
    } else if (key == 'E' || key == 'e') {
        s.eyeMode += 1;
        if (s.eyeMode > 1) s.eyeMode = -1;
    } else if (key == 'G' || key == 'g') {
        s.gridShown = 1 - s.gridShown;
        s.gridLabelsShown = s.gridShown;
    } else if (key == 'H' || key == 'h') {
        s.helpShown = 1 - s.helpShown;
    } else if (key == 'I' || key == 'i') {
        s.imageShown = 1 - s.imageShown;
    } else if (key == 'L' || key == 'l') {
        s.viewMode = model::kLatLonExchange;
    } else if (key == 'P' || key == 'p') {
        s.placesShown = 1 - s.placesShown;
    } else if (key == 'R' || key == 'r') {
        s.autoRotate = 1 - s.autoRotate;
        s.viewMode = s.autoRotate == 0 ? model::kPointerMode : model::kAutoRotating;
    } else {
        console::bellLine();
    }
}

}  // namespace

// ================================================================================================
// The pop-up menu
// ================================================================================================

const MenuEntry kMenuEntries[kMenuEntryCount] = {
    {"1  select image #1", 21},
    {"2                        #2", 22},
    {"3                        #3", 23},
    {"4                        #4", 24},
    {"5                        #5", 25},
    {"E  cycle  -Persp/L:R/R:L", 19},
    {"G  toggle-Grid      (on/off)", 15},
    {"H             -Help on screen", 14},
    {"I              -Image", 16},
    {"L             -Lat/Lon I/O", 11},
    {"P             -Places", 18},
    {"R             -Rotate", 17},
    {"Q      ***Quit***", 7},
};

void MenuBuild() {
    glutCreateMenu(MenuPick);
    for (const MenuEntry& entry : kMenuEntries) {
        char label[64] = {};
        int length = model::trimmedLength(entry.label, static_cast<int>(std::strlen(entry.label)));
        if (length > static_cast<int>(sizeof label) - 1) length = sizeof label - 1;
        std::memcpy(label, entry.label, static_cast<size_t>(length));
        glutAddMenuEntry(label, entry.value);
    }
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

// ================================================================================================
// Callbacks: record the request, nothing more (but for "Q", "~" and the quit entry)
// ================================================================================================

void recordKey(unsigned char key) {
    model::state.KeyChar = key;
    if (key == 'Q' || key == 'q') console::stop("End of run (keyboard).");
}

void KeyPress(unsigned char key, int, int) {
    recordKey(key);
    if (key == '~') image::ScrnDmp(kDumpChannel);
}

// freeglut also reports the lock and modifier keys themselves (Num Lock, Shift, Ctrl, Alt,
// Super) as special keys; they are no request of the user's, so they are dropped like F10..F12
// rather than answered with a bell whenever a capital letter or "~" is typed.
static bool isModifierKey(int key) {
    return key == GLUT_KEY_NUM_LOCK || (key >= GLUT_KEY_SHIFT_L && key <= GLUT_KEY_SUPER_R);
}

void recordSpecialKey(int key) {
    model::state.ArrowKey = ((key >= 10 && key <= 99) || isModifierKey(key)) ? 0 : key;
}

void SpecialKeyPress(int key, int, int) {
    recordSpecialKey(key);
    glutPostRedisplay();
}

void recordMenuChoice(int value) {
    if (value == kQuitValue) console::stop("End of run (menu).");
    if (value >= 1 && value <= 25) model::state.MenuNew = value;
}

void MenuPick(int value) {
    recordMenuChoice(value);
    // Back to where the pointer was before the menu opened, so the sphere does not jump.
    glutWarpPointer(model::state.pointerX, model::state.pointerY);
}

void recordPointer(int x, int y) {
    model::state.pointerX = x;
    model::state.pointerY = y;
}

void MouseButton(int, int, int, int) {}

void MouseDrag(int x, int y) {
    model::state.MenuNew = model::kDragMenuValue;
    MouseMove(x, y);
}

void MouseMove(int x, int y) {
    recordPointer(x, y);
    glutPostRedisplay();
}

// ================================================================================================
// Per-frame steps
// ================================================================================================

void specialKeyStep() {
    model::State& s = model::state;
    if (s.ArrowKey == 0) return;
    if (s.ArrowKey == kUpArrow) {
        s.fieldOfView += kZoomStep;
        if (s.fieldOfView > kWidestFieldOfView) s.fieldOfView = kWidestFieldOfView;
    } else if (s.ArrowKey == kDownArrow) {
        s.fieldOfView -= kZoomStep;
        if (s.fieldOfView < kNarrowestFieldOfView) s.fieldOfView = kNarrowestFieldOfView;
    } else {
        console::bellLine();
    }
    s.ArrowKey = 0;
}

void CommandStep() {
    model::State& s = model::state;
    // A menu choice stands for its key and overrides one typed before the same frame; a drag
    // (13) returns to pointer mode and lets the key through.
    if (s.MenuNew == model::kDragMenuValue) {
        s.viewMode = model::kPointerMode;
        s.autoRotate = 0;
    } else if (int key = keyOfMenuValue(s.MenuNew); key != 0) {
        s.KeyChar = key;
    }
    s.MenuNew = 0;

    if (s.KeyChar != 0) applyKey(s, s.KeyChar);
    s.KeyChar = 0;
}

void pointerMapping() {
    model::State& s = model::state;
    s.viewLatitude = model::latitudeOfPointer(s.pointerY);
    s.viewLongitude = model::longitudeOfPointer(s.pointerX);
}

}  // namespace input
