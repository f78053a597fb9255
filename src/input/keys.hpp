// The command keys: what each key and each special key does to the view state.
#pragma once

#include "model/state.hpp"

namespace input {

// Acts on one command key; anything that is no command rings the bell.
void applyKey(model::State& s, int key);
// Acts on one special key: the up and down arrows zoom, any other key rings the bell.
void applySpecialKey(model::State& s, int key);

}  // namespace input
