#include "platform/clock.hpp"

#include <ctime>

namespace wallclock {

// The local time as the browser gives it.
float clockSeconds() {
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    const long hundredths =
        (local.tm_hour * 3600L + local.tm_min * 60L + local.tm_sec) * 100L + now.tv_nsec / 10000000L;
    return clockReading(clockState, civilDayNumber(local.tm_year + 1900, local.tm_mon + 1,
                                                   local.tm_mday),
                        hundredths);
}

}  // namespace wallclock
