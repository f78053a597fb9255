#include "input/commands.hpp"

#include <GL/freeglut.h>

#include <cstring>
#include <string>

#include "image/screendump.hpp"
#include "model/orientation.hpp"
#include "model/state.hpp"
#include "platform/console.hpp"
#include "platform/pointer.hpp"

namespace input {

namespace {

constexpr int kUpArrow = 101;          // GLUT_KEY_UP
constexpr int kDownArrow = 103;        // GLUT_KEY_DOWN
constexpr double kWidestFieldOfView = 140.0;
constexpr double kNarrowestFieldOfView = 0.5241;
constexpr double kZoomStep = 0.5;
constexpr int kQuitValue = 7;
constexpr int kDumpChannel = 20;

// GLUT 3.4 reads a button released over the viewer's window (where a press-drag-release ends
// unless the release reaches the menu's own window) at a point shifted by the window's offset on
// the screen: it may report the entry above the one under the pointer, or one of the last entries
// for a release just below the menu. The menu's box follows from GLUT's fixed layout, so the
// entry truly under the pointer is known, and a choice that only the shift explains is replaced.
struct MenuTracking {
    void* font = GLUT_BITMAP_HELVETICA_18;  // the menu font, set explicitly so its metrics are ours
    int width = 0, height = 0;              // the box's size, from the labels in that font
    int entryHeight = 0;                     // from one entry's top to the next one's
    MenuBox box{};                           // where the open menu lies on the screen
    bool open = false;                       // opened and not yet closed
    bool closeKnown = false;                 // the two entries below belong to the next choice
    int entryAtClose = 0;                    // under the pointer as the menu closed, 0 none
    int entryShifted = 0;                    // at that point shifted by the window's offset
} menu;

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

    // GLUT's layout: entries one font height plus the border apart, the widest label plus twice
    // the border on each side, the border above and below.
    glutSetMenuFont(glutGetMenu(), menu.font);
    menu.entryHeight = glutBitmapHeight(menu.font) + kMenuBorder;
    int widest = 0;
    for (const MenuEntry& entry : kMenuEntries) {
        const std::string label(entry.label, static_cast<size_t>(model::trimmedLength(entry.label, static_cast<int>(std::strlen(entry.label)))));
        const int width = glutBitmapLength(menu.font, reinterpret_cast<const unsigned char*>(label.c_str()));
        if (width > widest) widest = width;
    }
    menu.width = widest + 4 * kMenuBorder;
    menu.height = kMenuEntryCount * menu.entryHeight + 2 * kMenuBorder;
    glutMenuStatusFunc(menuStatus);
}

MenuBox menuBoxAt(int pointerX, int pointerY, int width, int height, int entryHeight, int screenWidth,
                  int screenHeight) {
    MenuBox box{pointerX, pointerY, width, height, entryHeight};
    if (box.x + width > screenWidth) box.x -= width;
    if (box.y + height > screenHeight) {
        box.y -= height;
        if (box.y < 0) box.y = 0;
    }
    return box;
}

int menuEntryAt(const MenuBox& box, int x, int y) {
    x -= box.x;
    y -= box.y;
    if (x < kMenuBorder || x >= box.width - kMenuBorder) return 0;
    if (y < kMenuBorder || y >= box.height - kMenuBorder) return 0;
    const int entry = (y - kMenuBorder) / box.entryHeight + 1;
    return entry <= kMenuEntryCount ? entry : 0;
}

void recordMenuOpen(const MenuBox& box) {
    menu.box = box;
    menu.open = true;
    menu.closeKnown = false;
}

void recordMenuClose(int x, int y, int windowX, int windowY) {
    if (!menu.open) return;
    menu.open = false;
    menu.entryAtClose = menuEntryAt(menu.box, x, y);
    menu.entryShifted = menuEntryAt(menu.box, x - windowX, y - windowY);
    menu.closeKnown = true;
}

int menuValueAtClose(int reported) {
    if (!menu.closeKnown) return reported;
    menu.closeKnown = false;
    const int shifted = menu.entryShifted, under = menu.entryAtClose;
    // A choice that matches the entry under the pointer, or that the shift does not explain (a
    // GLUT that reads the release right, a pointer that moved on before the close was seen),
    // stands as reported.
    if (shifted == under || shifted == 0 || kMenuEntries[shifted - 1].value != reported) return reported;
    return under == 0 ? kMenuCancel : kMenuEntries[under - 1].value;
}

bool menuOpen() { return menu.open; }

// The pointer on the screen, as GLUT read it a moment ago to place or close the menu; from the
// window-relative position GLUT passes when X cannot be asked.
static void screenPointer(int windowX, int windowY, int& x, int& y) {
    if (pointer::pointerOnScreen(x, y)) return;
    x = windowX + glutGet(GLUT_WINDOW_X);
    y = windowY + glutGet(GLUT_WINDOW_Y);
}

void menuStatus(int status, int x, int y) {
    int screenX = 0, screenY = 0;
    screenPointer(x, y, screenX, screenY);
    if (status == GLUT_MENU_IN_USE) {
        recordMenuOpen(menuBoxAt(screenX, screenY, menu.width, menu.height, menu.entryHeight,
                                 glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT)));
    } else {
        recordMenuClose(screenX, screenY, glutGet(GLUT_WINDOW_X), glutGet(GLUT_WINDOW_Y));
    }
}

// ================================================================================================
// Callbacks: record the request, nothing more (but for "Q", "~" and the quit entry)
// ================================================================================================

void recordKey(unsigned char key) {
    model::state.KeyChar = key;
    if (key == 'Q' || key == 'q') console::quit("End of run (keyboard).");
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
    if (value == kQuitValue) console::quit("End of run (menu).");
    if (value >= 1 && value <= 25) model::state.MenuNew = value;
}

void MenuPick(int value) {
    recordMenuChoice(menuValueAtClose(value));
    // Back to where the pointer was before the menu opened, so the sphere does not jump.
    glutWarpPointer(model::state.pointerX, model::state.pointerY);
}

void recordPointer(int x, int y) {
    model::state.pointerX = x;
    model::state.pointerY = y;
}

// Buttons pressed in the viewer's window and not yet released, one bit per GLUT button. A
// button that picked a menu entry went down on the menu, yet is still held when the pick's warp
// (or auto-rotation's) moves the pointer, and GLUT reports that motion as a drag: counting it
// would replace the pick before a frame used it, or stop the rotation just picked.
static unsigned buttonsDown = 0;

void MouseButton(int button, int buttonState, int, int) {
    if (button < 0 || button >= 32) return;
    const unsigned bit = 1u << button;
    buttonsDown = buttonState == GLUT_DOWN ? buttonsDown | bit : buttonsDown & ~bit;
}

void MouseDrag(int x, int y) {
    if (buttonsDown != 0) model::state.MenuNew = model::kDragMenuValue;
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
