#include "view/timing.hpp"

#include <GL/freeglut.h>

#include <cmath>
#include <ctime>

namespace view {

ClockState clockState;

namespace {

constexpr float kDiscardAfter = 30.0f;   // a period this long (a pause, a stall) is not measured
constexpr float kPeriodLength = 1.0f;    // a period closes after a little more than this
constexpr double kRotationStep = 0.2;    // degrees per drawn frame

}  // namespace

// ================================================================================================
// The clock
// ================================================================================================

long CivilDayNumber(int year, int month, int day) {
    // Days since 1970-01-01: March-based years make the leap day the last day of a year.
    const long y = static_cast<long>(year) - (month <= 2 ? 1 : 0);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yearOfEra = y - era * 400;
    const long dayOfYear = (153L * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

float ClockReading(ClockState& clock, long dayNumber, long hundredths) {
    if (clock.started == 0) {
        clock.started = 1;
        clock.firstDay = dayNumber;
    }
    const double days = static_cast<double>(dayNumber - clock.firstDay);
    return static_cast<float>(hundredths / 100.0 + 86400.0 * days);
}

float ClockSeconds() {
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    const long hundredths =
        (local.tm_hour * 3600L + local.tm_min * 60L + local.tm_sec) * 100L + now.tv_nsec / 10000000L;
    return ClockReading(clockState, CivilDayNumber(local.tm_year + 1900, local.tm_mon + 1,
                                                   local.tm_mday),
                        hundredths);
}

// ================================================================================================
// Frame counter and frame timing
// ================================================================================================

void CountFrame(State& s) {
    if (s.iterationCount <= kIterationCeiling) s.iterationCount += 1;
}

void FrameTimingStep(State& s, float (*readClock)()) {
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

void FrameTiming() { FrameTimingStep(state, ClockSeconds); }

// ================================================================================================
// Auto-rotation
// ================================================================================================

PointerWarp AutoRotate(State& s) {
    s.viewLatitude = 101.0 - s.pointerY / 2.0;  // the pointer's height still tilts the sphere
    s.viewLongitude += kRotationStep;
    if (s.viewLongitude > -180.0) s.viewLongitude -= 360.0;  // stays in (-540, -180]

    PointerWarp w;
    if (s.pointerY >= 1) {
        // Where pointer mode would give back this longitude: x runs from 870 down to 150.
        w.warp = true;
        w.x = static_cast<int>(std::trunc(-2.0 * (s.viewLongitude + 105.0)));
        w.y = s.pointerY;
    }
    return w;
}

void AutoRotationStep() {
    const PointerWarp w = AutoRotate(state);
    if (w.warp) glutWarpPointer(w.x, w.y);
}

}  // namespace view
