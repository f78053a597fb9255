#include "platform/clock.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace wallclock {

float clockSeconds() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    const long hundredths =
        (local.wHour * 3600L + local.wMinute * 60L + local.wSecond) * 100L + local.wMilliseconds / 10;
    return clockReading(clockState, civilDayNumber(local.wYear, local.wMonth, local.wDay), hundredths);
}

}  // namespace wallclock
