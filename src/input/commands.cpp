#include "input/commands.hpp"

namespace input {

void KeyPress(unsigned char, int, int) {}
void SpecialKeyPress(int, int, int) {}
void MenuPick(int) {}
void MouseButton(int, int, int, int) {}
void MouseDrag(int, int) {}
void MouseMove(int, int) {}
void MenuBuild() {}
void SpecialKeyStep() {}
void CommandStep() {}
void PointerMapping() {}

}  // namespace input
