#include "input/callbacks.hpp"

#include <GL/freeglut.h>

#include "image/screendump.hpp"
#include "input/menu.hpp"
#include "model/state.hpp"
#include "platform/console.hpp"

namespace input {

CallbackState callbackState;

namespace {

constexpr int kDumpChannel = 20;

// freeglut also reports the lock and modifier keys themselves (Num Lock, Shift, Ctrl, Alt,
// Super) as special keys; they are no request of the user's, so they are dropped like F10..F12
// rather than answered with a bell whenever a capital letter or "~" is typed.
bool isModifierKey(int key) {
    return key == GLUT_KEY_NUM_LOCK || (key >= GLUT_KEY_SHIFT_L && key <= GLUT_KEY_SUPER_R);
}

}  // namespace

void recordKey(unsigned char key) {
    model::state.pendingKey = key;
    if (key == 'Q' || key == 'q') console::quit("End of run (keyboard).");
}

void keyPressed(unsigned char key, int, int) {
    recordKey(key);
    if (key == '~') image::saveScreenDump(kDumpChannel);
}

void recordSpecialKey(int key) {
    model::state.pendingArrowKey = ((key >= 10 && key <= 99) || isModifierKey(key)) ? 0 : key;
}

void specialKeyPressed(int key, int, int) {
    recordSpecialKey(key);
    glutPostRedisplay();
}

void recordMenuChoice(int value) {
    if (value == kQuitValue) console::quit("End of run (menu).");
    if (value >= 1 && value <= 25) model::state.pendingMenuValue = value;
}

void menuEntryChosen(int value) {
    recordMenuChoice(menuValueAtClose(value));
    // Back to where the pointer was before the menu opened, so the sphere does not jump.
    glutWarpPointer(model::state.pointerX, model::state.pointerY);
}

void recordPointer(int x, int y) {
    model::state.pointerX = x;
    model::state.pointerY = y;
}

void mouseButtonChanged(int button, int buttonState, int, int) {
    if (button < 0 || button >= 32) return;
    const unsigned bit = 1u << button;
    unsigned& down = callbackState.buttonsDown;
    down = buttonState == GLUT_DOWN ? down | bit : down & ~bit;
}

void mouseDragged(int x, int y) {
    if (callbackState.buttonsDown != 0) model::state.pendingMenuValue = model::kDragMenuValue;
    mouseMoved(x, y);
}

void mouseMoved(int x, int y) {
    recordPointer(x, y);
    glutPostRedisplay();
}

}  // namespace input
