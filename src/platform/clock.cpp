#include "platform/clock.hpp"

namespace wallclock {

ClockState clockState;

long civilDayNumber(int year, int month, int day) {
    // Days since 1970-01-01: March-based years make the leap day the last day of a year.
    const long y = static_cast<long>(year) - (month <= 2 ? 1 : 0);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yearOfEra = y - era * 400;
    const long dayOfYear = (153L * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

float clockReading(ClockState& clock, long dayNumber, long hundredths) {
    if (clock.started == 0) {
        clock.started = 1;
        clock.firstDay = dayNumber;
    }
    const double days = static_cast<double>(dayNumber - clock.firstDay);
    return static_cast<float>(hundredths / 100.0 + 86400.0 * days);
}

}  // namespace wallclock
