// Immediate mode's recorded calls, as the display lists and kept geometry play them back.
#pragma once

#include "calls.hpp"

namespace gl11 {

// Runs a recorded vertex call (isVertexCall) through its entry point.
void runVertexCall(const Command& call);

}  // namespace gl11
