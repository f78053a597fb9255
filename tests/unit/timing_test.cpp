#include "frame/timing.hpp"
#include "platform/clock.hpp"

#include <gtest/gtest.h>

namespace {

using model::state;

TEST(Clock, DayNumbersAreConsecutiveAcrossMonthsYearsAndLeapDays) {
    EXPECT_EQ(wallclock::civilDayNumber(1970, 1, 1), 0);
    EXPECT_EQ(wallclock::civilDayNumber(2024, 1, 1) - wallclock::civilDayNumber(2023, 12, 31), 1);
    EXPECT_EQ(wallclock::civilDayNumber(2024, 3, 1) - wallclock::civilDayNumber(2024, 2, 28), 2);
    EXPECT_EQ(wallclock::civilDayNumber(2023, 3, 1) - wallclock::civilDayNumber(2023, 2, 28), 1);
    EXPECT_EQ(wallclock::civilDayNumber(2001, 1, 1) - wallclock::civilDayNumber(2000, 1, 1), 366);
    EXPECT_EQ(wallclock::civilDayNumber(2101, 1, 1) - wallclock::civilDayNumber(2100, 1, 1), 365);
}

TEST(Clock, EveryMidnightOfTheRunAddsADaySoTheClockNeverRunsBack) {
    wallclock::ClockState clock;
    const long day = wallclock::civilDayNumber(2024, 12, 30);
    EXPECT_FLOAT_EQ(wallclock::clockReading(clock, day, 8639990), 86399.9f);
    EXPECT_FLOAT_EQ(wallclock::clockReading(clock, day + 1, 5), 86400.05f);    // first midnight
    EXPECT_FLOAT_EQ(wallclock::clockReading(clock, day + 2, 10), 172800.1f);   // second midnight
    EXPECT_FLOAT_EQ(wallclock::clockReading(clock, day + 2, 12345), 172923.45f);
    // Hundredths count from 0: the very first reading of a day is exactly its midnight.
    wallclock::ClockState other;
    EXPECT_EQ(wallclock::clockReading(other, day + 5, 0), 0.0f);
}

// A scripted clock: each reading returns the next value.
const float* script = nullptr;
int readings = 0;
float scriptedClock() { return script[readings++]; }

void startTiming(float start) {
    state = model::State{};
    state.benchmarkStart = start;
    readings = 0;
}

TEST(FrameTiming, PeriodClosesAfterOneSecondWithAFreshReading) {
    const float clock[] = {100.5f, 101.0f, 101.2f, 101.3f};
    script = clock;
    startTiming(100.0f);
    frame::frameTimingStep(state, scriptedClock);   // 0.5 s in
    frame::frameTimingStep(state, scriptedClock);   // exactly 1 s: still open
    EXPECT_EQ(state.benchmarkFrames, 2);
    EXPECT_EQ(state.secondsPerFrame, 0.0f);
    frame::frameTimingStep(state, scriptedClock);   // 1.2 s over three frames closes it
    EXPECT_NEAR(state.secondsPerFrame, 0.4f, 1e-5);
    EXPECT_EQ(state.benchmarkFrames, 0);
    EXPECT_EQ(state.benchmarkStart, 101.3f);       // read again, not the value of the test
    EXPECT_EQ(readings, 4);
}

TEST(FrameTiming, LongOrBackwardPeriodsAreDiscardedKeepingTheLastMeasure) {
    const float clock[] = {131.0f, 131.5f, 50.0f, 50.25f};
    script = clock;
    startTiming(100.0f);
    state.secondsPerFrame = 0.016f;
    state.benchmarkFrames = 7;
    frame::frameTimingStep(state, scriptedClock);   // 31 s after a pause
    EXPECT_FLOAT_EQ(state.benchmarkElapsed, 31.0f);
    EXPECT_EQ(state.secondsPerFrame, 0.016f);
    EXPECT_EQ(state.benchmarkFrames, 0);
    EXPECT_EQ(state.benchmarkStart, 131.5f);

    frame::frameTimingStep(state, scriptedClock);   // the clock was set back
    EXPECT_EQ(state.secondsPerFrame, 0.016f);
    EXPECT_EQ(state.benchmarkFrames, 0);
    EXPECT_EQ(state.benchmarkStart, 50.25f);
}

TEST(FrameCounter, StopsAtTheCeiling) {
    state = model::State{};
    frame::countFrame(state);
    EXPECT_EQ(state.iterationCount, 1);
    state.iterationCount = 2000000000;
    frame::countFrame(state);
    EXPECT_EQ(state.iterationCount, 2000000001);
    frame::countFrame(state);
    EXPECT_EQ(state.iterationCount, 2000000001);
}

TEST(AutoRotation, TurnsWithinRangeAndWarpsThePointerInStep) {
    state = model::State{};
    state.viewLongitude = -360.0;
    state.pointerY = 382;
    frame::PointerWarp w = frame::autoRotationTurn(state);
    EXPECT_DOUBLE_EQ(state.viewLongitude, -359.8);
    EXPECT_DOUBLE_EQ(state.viewLatitude, -90.0);
    EXPECT_TRUE(w.warp);
    EXPECT_EQ(w.x, 509);  // 509.6 truncated
    EXPECT_EQ(w.y, 382);

    state.viewLongitude = -180.1;  // passes -180: brought back by a turn in the same step
    w = frame::autoRotationTurn(state);
    EXPECT_NEAR(state.viewLongitude, -539.9, 1e-9);
    EXPECT_EQ(w.x, 869);

    // A full turn and more: always in (-540, -180], the pointer always inside the window.
    for (int step = 0; step < 2000; ++step) {
        w = frame::autoRotationTurn(state);
        ASSERT_GT(state.viewLongitude, -540.0);
        ASSERT_LE(state.viewLongitude, -180.0);
        ASSERT_GE(w.x, 150);
        ASSERT_LE(w.x, 870);
    }

    state.pointerY = 0;  // top row: the sphere turns, the pointer stays
    const double before = state.viewLongitude;
    w = frame::autoRotationTurn(state);
    EXPECT_FALSE(w.warp);
    EXPECT_DOUBLE_EQ(state.viewLatitude, 101.0);
    EXPECT_NE(state.viewLongitude, before);
}

}  // namespace
