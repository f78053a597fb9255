// Frame timing for the help screen's benchmark line, the frame counter, and the auto-rotation step.
#pragma once

#include "model/state.hpp"

namespace frame {

// --- per-frame steps ---------------------------------------------------------------------------------

constexpr int kIterationCeiling = 2000000000;  // iterationCount stops at one more than this

// Frame step 3: counts the frame, up to 2000000001.
void countFrame(model::State& s);

// Frame step 9: counts the frame into the current timing period and closes the period after
// one second (or discards it after 30).
void frameTiming();
// The same on the given state with the given clock, read afresh wherever a period restarts.
void frameTimingStep(model::State& s, float (*readClock)());

// Frame step 7 in mode 12 with the full view: turns the sphere 0.2 degree and warps the pointer
// in step.
void autoRotationStep();

// Where auto-rotation puts the pointer after a step; no warp with the pointer on the top row.
struct PointerWarp {
    bool warp = false;
    int x = 0;
    int y = 0;
};
// The orientation part of the auto-rotation step; returns the warp for the caller to perform.
PointerWarp autoRotationTurn(model::State& s);

}  // namespace frame
