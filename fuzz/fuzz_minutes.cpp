// Feeds arbitrary text to the check of the minutes the user types.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/rules/minutes_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks debug mode; the rest is the text up to any zero byte.
    const bool debug = size > 0 && (data[0] & 1);
    const std::string text(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0), size > 0 ? size - 1 : 0);

    const PeriodCheck check = CheckMinutesText(text.c_str(), debug);
    if (debug && (!check.accepted || check.periodSecs != 15))
        std::abort();
    if (check.accepted && !debug && (check.periodSecs < 60 || check.periodSecs >= 3660))
        std::abort();
    return 0;
}
