#include "input/steps.hpp"

#include "input/keys.hpp"
#include "input/menu.hpp"
#include "model/orientation.hpp"
#include "model/state.hpp"

namespace input {

void specialKeyStep() {
    model::State& s = model::state;
    if (s.pendingArrowKey == 0) return;
    applySpecialKey(s, s.pendingArrowKey);
    s.pendingArrowKey = 0;
}

void applyCommand() {
    model::State& s = model::state;
    // A menu choice stands for its key and overrides one typed before the same frame; a drag
    // (13) returns to pointer mode and lets the key through.
    if (s.pendingMenuValue == model::kDragMenuValue) {
        s.viewMode = model::kPointerMode;
        s.autoRotate = 0;
    } else if (int key = keyOfMenuValue(s.pendingMenuValue); key != 0) {
        s.pendingKey = key;
    }
    s.pendingMenuValue = 0;

    if (s.pendingKey != 0) applyKey(s, s.pendingKey);
    s.pendingKey = 0;
}

void pointerMapping() {
    model::State& s = model::state;
    s.viewLatitude = model::latitudeOfPointer(s.pointerY);
    s.viewLongitude = model::longitudeOfPointer(s.pointerX);
}

}  // namespace input
