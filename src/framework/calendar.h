// The calendar's time, as the history and the log keep it.
#ifndef PRODLE_FRAMEWORK_CALENDAR_H
#define PRODLE_FRAMEWORK_CALENDAR_H

#include <cstdint>

// Seconds since 1970 (UTC), now.
int64_t EpochSecondsNow();

#endif
