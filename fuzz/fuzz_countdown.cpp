// Formats every int the input spells out, four bytes at a time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/rules/countdown_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (size_t at = 0; at + 4 <= size; at += 4) {
        int32_t seconds;
        std::memcpy(&seconds, data + at, 4);
        const std::string text = FormatCountdown(seconds);
        if (text.size() < 5 || text.size() > 13)
            std::abort();
        if (seconds >= 0 && seconds < 6000 && (text.size() != 5 || text[2] != ':' || text[3] == ' '))
            std::abort();
    }
    return 0;
}
