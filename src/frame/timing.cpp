#include "frame/timing.hpp"

#include <GL/freeglut.h>

#include <cmath>

#include "input/menu.hpp"
#include "model/orientation.hpp"
#include "platform/clock.hpp"

namespace frame {

namespace {

constexpr float kDiscardAfter = 30.0f;   // a period this long (a pause, a stall) is not measured
constexpr float kPeriodLength = 1.0f;    // a period closes after a little more than this
constexpr double kRotationStep = 0.2;    // degrees per drawn frame

}  // namespace

// ================================================================================================
// Frame counter and frame timing
// ================================================================================================

void countFrame(model::State& s) {
    if (s.iterationCount <= kIterationCeiling) s.iterationCount += 1;
}

void frameTimingStep(model::State& s, float (*readClock)()) {
    s.benchmarkFrames += 1;
    s.benchmarkElapsed = readClock() - s.benchmarkStart;
    // A clock that went back (set by hand, summer time ending) would stall the period for as
    // long as it went back; such a period is dropped like an overlong one.
    if (s.benchmarkElapsed > kDiscardAfter || s.benchmarkElapsed < 0.0f) {
        s.benchmarkStart = readClock();
        s.benchmarkFrames = 0;
    } else if (s.benchmarkElapsed > kPeriodLength) {
        s.secondsPerFrame = s.benchmarkElapsed / static_cast<float>(s.benchmarkFrames);
        s.benchmarkStart = readClock();
        s.benchmarkFrames = 0;
    }
}

void frameTiming() { frameTimingStep(model::state, wallclock::clockSeconds); }

// ================================================================================================
// Auto-rotation
// ================================================================================================

PointerWarp autoRotationTurn(model::State& s) {
    s.viewLatitude = model::latitudeOfPointer(s.pointerY);  // the pointer's height still tilts the sphere
    s.viewLongitude += kRotationStep;
    if (s.viewLongitude > -180.0) s.viewLongitude -= 360.0;  // stays in (-540, -180]

    PointerWarp w;
    if (s.pointerY >= 1) {
        // Where pointer mode would give back this longitude: x runs from 870 down to 150.
        w.warp = true;
        w.x = model::pointerXOfLongitude(s.viewLongitude);
        w.y = s.pointerY;
    }
    return w;
}

void autoRotationStep() {
    const PointerWarp w = autoRotationTurn(model::state);
    // While the menu is open the globe turns on, but the pointer is left to reach an entry.
    if (w.warp && !input::menuOpen()) glutWarpPointer(w.x, w.y);
}

}  // namespace frame
