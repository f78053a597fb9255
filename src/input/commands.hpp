// Keyboard, special-key, menu and pointer callbacks, and the command step that turns their
// requests into changes of the view state. Callbacks only record requests; the frame applies them.
#pragma once

namespace input {

// GLUT callbacks.
void KeyPress(unsigned char key, int x, int y);
void SpecialKeyPress(int key, int x, int y);
void MenuPick(int value);
void menuStatus(int status, int x, int y);
void MouseButton(int button, int buttonState, int x, int y);
void MouseDrag(int x, int y);
void MouseMove(int x, int y);

// Builds the thirteen-entry pop-up menu and attaches it to the right mouse button.
void MenuBuild();

// First step of every frame: applies and clears a pending special key (zoom or bell).
void specialKeyStep();
// Command step of every frame: menu translation, then the pending key; clears every request.
void CommandStep();
// Pointer mode: the orientation as a linear function of the pointer position. The frame calls it
// only with viewMode 13 in the full view.
void pointerMapping();

// --- the parts of the callbacks that touch no window (GLUT needs one for the rest) ---------------

// Records a key in KeyChar; "Q"/"q" ends the run. The screen dump of "~" is left to KeyPress.
void recordKey(unsigned char key);
// Records a special key in ArrowKey; codes 10..99 (F10..F12 and the like) are stored as 0.
void recordSpecialKey(int key);
// Records a menu choice in MenuNew; value 7 ends the run, values outside 1..25 are ignored.
void recordMenuChoice(int value);
// Records the pointer position (a drag with a button pressed in the window posts MenuNew 13
// first, which cancels auto-rotation).
void recordPointer(int x, int y);

// --- the pop-up menu -------------------------------------------------------------------------------

struct MenuEntry {
    const char* label;  // as shown, blanks inside included
    int value;          // handed to MenuPick
};
constexpr int kMenuEntryCount = 13;
extern const MenuEntry kMenuEntries[kMenuEntryCount];

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
constexpr int kMenuCancel = 0;  // a value that changes nothing but the pointer position

}  // namespace input
