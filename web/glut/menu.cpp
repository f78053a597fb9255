// GLUT's one pop-up menu, shown by the page: its entries and its box, computed here as freeglut
// computes them, so that the viewer finds each entry where freeglut would have placed it.
#include <string>
#include <vector>

#include "state.hpp"

namespace glut {

namespace {

constexpr int kMenuBorder = 2;  // freeglut's border round the entries

// freeglut's box for the menu opened with the pointer at (x, y) in the window: its entries one
// font height plus the border apart, the widest label plus twice the border on each side, its
// corner at the pointer on the screen, moved back by its size where it would leave the screen.
MenuBox menuBoxAt(int x, int y) {
    MenuBox box{state.x + x, state.y + y, 0, 0, glutBitmapHeight(state.menuFont) + kMenuBorder};
    for (const MenuEntry& e : state.menuEntries) {
        const int w = glutBitmapLength(state.menuFont, reinterpret_cast<const unsigned char*>(e.label.c_str()));
        if (w > box.width) box.width = w;
    }
    box.width += 4 * kMenuBorder;
    box.height = static_cast<int>(state.menuEntries.size()) * box.entryHeight + 2 * kMenuBorder;
    if (box.x + box.width > glutGet(GLUT_SCREEN_WIDTH)) box.x -= box.width;
    if (box.y + box.height > glutGet(GLUT_SCREEN_HEIGHT)) {
        box.y -= box.height;
        if (box.y < 0) box.y = 0;
    }
    return box;
}

}  // namespace

void openMenuAtPointer() {
    if (!insideCanvas(state.pointerX, state.pointerY)) {
        state.pointerX = state.width / 2;
        state.pointerY = state.height / 2;
    }
    queue({EventKind::menuOpened, 0, 0, state.pointerX, state.pointerY});
}

void openMenu(int x, int y) {
    state.menuBox = menuBoxAt(x, y);
    state.menuOpen = true;
    if (state.menuStatus) state.menuStatus(GLUT_MENU_IN_USE, x, y);
    std::string labels;
    std::vector<int> values;
    for (const MenuEntry& e : state.menuEntries) {
        labels += e.label;
        labels += '\0';
        values.push_back(e.value);
    }
    openPageMenu(labels.data(), values.data(), static_cast<int>(values.size()), x, y);
}

// The page's menu picked `value` (0: nothing) with the pointer at (x, y). A pick is reported where
// a release over that entry of freeglut's box would have been, so that the viewer, which works out
// the entry under the pointer from the box, finds the very entry the page picked.
void closeMenu(int value, int x, int y) {
    if (!state.menuOpen) return;
    state.menuOpen = false;
    const MenuBox& box = state.menuBox;
    for (size_t k = 0; k < state.menuEntries.size(); ++k) {
        if (value == 0 || state.menuEntries[k].value != value) continue;
        x = box.x - state.x + box.width / 2;
        y = box.y - state.y + kMenuBorder + static_cast<int>(k) * box.entryHeight + box.entryHeight / 2;
        if (state.menuStatus) state.menuStatus(GLUT_MENU_NOT_IN_USE, x, y);
        if (state.menuCallback) state.menuCallback(value);
        return;
    }
    if (state.menuStatus) state.menuStatus(GLUT_MENU_NOT_IN_USE, x, y);
}

}  // namespace glut

using glut::state;

extern "C" {

int glutCreateMenu(void (*callback)(int)) {
    state.menuCallback = callback;
    state.menuEntries.clear();
    return 1;
}

void glutAddMenuEntry(const char* label, int value) { state.menuEntries.push_back({label, value}); }
void glutAttachMenu(int button) { state.menuButton = button; }
int glutGetMenu(void) { return state.menuCallback ? 1 : 0; }
void glutSetMenuFont(int, void* font) { state.menuFont = font; }

}  // extern "C"
