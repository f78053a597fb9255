#include "view/timing.hpp"

namespace view {

float ClockSeconds() { return 0.0f; }
void FrameTiming() {}
void AutoRotationStep() {}

}  // namespace view
