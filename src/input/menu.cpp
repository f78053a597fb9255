#include "input/menu.hpp"

#include <GL/freeglut.h>

#include <cstring>
#include <string>

#include "input/callbacks.hpp"
#include "model/types.hpp"
#include "platform/pointer.hpp"

namespace input {

// GLUT 3.4 reads a button released over the viewer's window (where a press-drag-release ends
// unless the release reaches the menu's own window) at a point shifted by the window's offset on
// the screen: it may report the entry above the one under the pointer, or one of the last entries
// for a release just below the menu. The menu's box follows from GLUT's fixed layout, so the
// entry truly under the pointer is known, and a choice that only the shift explains is replaced.
MenuTracking menu;

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
    {"Q      ***Quit***", kQuitValue},
};

int keyOfMenuValue(int value) {
    if (value == kQuitValue) return 0;  // never reaches the command step: the pick ends the run
    for (const MenuEntry& entry : kMenuEntries) {
        if (entry.value == value) return entry.label[0];
    }
    return 0;
}

// A label without its trailing blanks, as GLUT shows and measures it.
static std::string shownLabel(const MenuEntry& entry) {
    return std::string(entry.label, static_cast<size_t>(model::trimmedLength(
                                        entry.label, static_cast<int>(std::strlen(entry.label)))));
}

void buildMenu() {
    menu.font = GLUT_BITMAP_HELVETICA_18;
    glutCreateMenu(menuEntryChosen);
    for (const MenuEntry& entry : kMenuEntries) glutAddMenuEntry(shownLabel(entry).c_str(), entry.value);
    glutAttachMenu(GLUT_RIGHT_BUTTON);

    // GLUT's layout: entries one font height plus the border apart, the widest label plus twice
    // the border on each side, the border above and below.
    glutSetMenuFont(glutGetMenu(), menu.font);
    menu.entryHeight = glutBitmapHeight(menu.font) + kMenuBorder;
    int widest = 0;
    for (const MenuEntry& entry : kMenuEntries) {
        const std::string label = shownLabel(entry);
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

}  // namespace input
