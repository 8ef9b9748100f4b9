#include "framework/calendar.h"

#include <windows.h>

int64_t EpochSecondsNow()
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // 100 ns steps since 1601.
    return static_cast<int64_t>(ticks / 10000000ULL) - 11644473600LL;
}
