// The GLUT input callbacks. Each records a request in the view state and returns; the frame
// applies it. Only "Q", "~" and the quit entry act at once.
#pragma once

namespace input {

void keyPressed(unsigned char key, int x, int y);
void specialKeyPressed(int key, int x, int y);
void menuEntryChosen(int value);
void mouseButtonChanged(int button, int buttonState, int x, int y);
void mouseDragged(int x, int y);
void mouseMoved(int x, int y);

// --- the parts of the callbacks that touch no window (GLUT needs one for the rest) ---------------

// Records a key in pendingKey; "Q"/"q" ends the run. The screen dump of "~" is left to keyPressed.
void recordKey(unsigned char key);
// Records a special key in pendingArrowKey; codes 10..99 (F10..F12 and the like) and the lock and
// modifier keys on their own are stored as 0.
void recordSpecialKey(int key);
// Records a menu choice in pendingMenuValue; value 7 ends the run, values outside 1..25 are ignored.
void recordMenuChoice(int value);
// Records the pointer position.
void recordPointer(int x, int y);

// What the callbacks keep between calls.
struct CallbackState {
    // Buttons pressed in the viewer's window and not yet released, one bit per GLUT button. A
    // button that picked a menu entry went down on the menu, yet is still held when the pick's
    // warp (or auto-rotation's) moves the pointer, and GLUT reports that motion as a drag:
    // counting it would replace the pick before a frame used it, or stop the rotation just picked.
    unsigned buttonsDown = 0;
};
extern CallbackState callbackState;

}  // namespace input
