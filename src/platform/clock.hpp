// The wall clock read by the frame timing: seconds since local midnight, never running backwards
// across midnights within one run.
#pragma once

namespace wallclock {

// The clock remembers the calendar day of its first reading in the run.
struct ClockState {
    int started = 0;     // 1 once the first reading has been taken
    long firstDay = 0;   // day number of the first reading
};
extern ClockState clockState;

// Seconds since local midnight in hundredths, single precision; every day since the run's first
// reading adds 86400, so the clock never runs backwards across midnights.
float clockSeconds();

// The clock value for a reading taken on `dayNumber` at `hundredths` since local midnight.
float clockReading(ClockState& clock, long dayNumber, long hundredths);

// Consecutive day numbers for consecutive calendar days (proleptic Gregorian calendar).
long civilDayNumber(int year, int month, int day);

}  // namespace wallclock
