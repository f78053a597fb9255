// Frame timing for the help screen's benchmark line, and the auto-rotation step.
#pragma once

namespace view {

// Seconds since local midnight in hundredths, single precision (a later day adds 86400 once).
float ClockSeconds();

// Frame step 9: counts the frame into the current timing period and closes the period after
// one second (or discards it after 30).
void FrameTiming();

// Frame step 7 in mode 12: turns the sphere 0.2 degree and warps the pointer in step.
void AutoRotationStep();

}  // namespace view
