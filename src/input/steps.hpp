// The per-frame steps of input: the zoom key, the command step and the pointer mapping. The
// frame calls them in its order; each applies and clears the requests the callbacks left.
#pragma once

namespace input {

// First step of every frame: applies and clears a pending special key (zoom or bell).
void specialKeyStep();
// Command step of every frame: menu translation, then the pending key; clears every request.
void applyCommand();
// Pointer mode: the orientation as a linear function of the pointer position. The frame calls it
// only with viewMode 13 in the full view.
void pointerMapping();

}  // namespace input
