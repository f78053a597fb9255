// Keyboard, special-key, menu and pointer callbacks, and the command step that turns their
// requests into changes of the view state. Callbacks only record requests; the frame applies them.
#pragma once

namespace input {

// GLUT callbacks.
void KeyPress(unsigned char key, int x, int y);
void SpecialKeyPress(int key, int x, int y);
void MenuPick(int value);
void MouseButton(int button, int buttonState, int x, int y);
void MouseDrag(int x, int y);
void MouseMove(int x, int y);

// Builds the thirteen-entry pop-up menu and attaches it to the right mouse button.
void MenuBuild();

// First step of every frame: applies and clears a pending special key (zoom or bell).
void SpecialKeyStep();
// Command step of every frame: menu translation, then the pending key; clears every request.
void CommandStep();
// Pointer mode: the orientation as a linear function of the pointer position.
void PointerMapping();

}  // namespace input
