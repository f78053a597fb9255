// The pop-up menu: its thirteen entries, the value each stands for, and the correction of the
// choice GLUT reports for a release it reads at a shifted point.
#pragma once

namespace input {

struct MenuEntry {
    const char* label;  // as shown, blanks inside included; its first character is the entry's key
    int value;          // handed to menuEntryChosen
};
constexpr int kMenuEntryCount = 13;
extern const MenuEntry kMenuEntries[kMenuEntryCount];
constexpr int kQuitValue = 7;   // the quit entry's value: it ends the run and stands for no key
constexpr int kMenuCancel = 0;  // a value that changes nothing but the pointer position

// The key that a menu value stands for, from the entry's label; 0 for the quit entry, for the
// drag value 13 and for any value no entry has.
int keyOfMenuValue(int value);

// Builds the menu and attaches it to the right mouse button.
void buildMenu();
// GLUT's menu status callback: where the menu opened, and where the pointer was as it closed.
void menuStatus(int status, int x, int y);

// Where the menu lies on the screen and how its entries divide it (GLUT's fixed layout: a border
// of 2 pixels, entries one font height plus 2 high).
struct MenuBox {
    int x, y;           // top-left corner on the screen
    int width, height;  // the whole box, border included
    int entryHeight;
};
constexpr int kMenuBorder = 2;
// GLUT opens the menu with its corner at the pointer, moved left and up by its size where it
// would leave the screen (but never above the top edge).
MenuBox menuBoxAt(int pointerX, int pointerY, int width, int height, int entryHeight, int screenWidth,
                  int screenHeight);
// The entry 1..kMenuEntryCount under a point on the screen; 0 over the border or off the menu.
int menuEntryAt(const MenuBox& box, int x, int y);

// The menu opened at `box`; it closed with the pointer at (x, y) on the screen, the viewer's
// window (its drawing area) at (windowX, windowY).
void recordMenuOpen(const MenuBox& box);
void recordMenuClose(int x, int y, int windowX, int windowY);
// The value a choice GLUT reports as `reported` stands for. When GLUT's entry is the one at the
// closing point shifted by the window's offset and differs from the entry under the pointer, the
// latter's value, or kMenuCancel when the pointer was off the entries; otherwise `reported`.
int menuValueAtClose(int reported);
// True while the pop-up menu is open: the pointer is the user's, not to be warped.
bool menuOpen();

// What the menu module keeps between callbacks.
struct MenuTracking {
    void* font = nullptr;       // the menu font (GLUT's Helvetica 18), set explicitly by buildMenu
    int width = 0, height = 0;  // the box's size, from the labels in that font
    int entryHeight = 0;        // from one entry's top to the next one's
    MenuBox box{};              // where the open menu lies on the screen
    bool open = false;          // opened and not yet closed
    bool closeKnown = false;    // the two entries below belong to the next choice
    int entryAtClose = 0;       // under the pointer as the menu closed, 0 none
    int entryShifted = 0;       // at that point shifted by the window's offset
};
extern MenuTracking menu;

}  // namespace input
