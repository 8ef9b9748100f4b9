#include "settings/rules/stored_int.h"

#include <climits>

bool IsScanSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool ScanStoredInt(const char* text, int* value)
{
    if (text == nullptr || value == nullptr)
        return false;

    const char* p = text;
    while (IsScanSpace(*p))
        ++p;

    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    if (*p < '0' || *p > '9')
        return false;

    // Accumulate the magnitude in a wider type and stop growing it once it is
    // past what any int can hold; the digits still have to be consumed only
    // conceptually, since the rest of the text is ignored anyway.
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : static_cast<long long>(INT_MAX);
    long long magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) {
            magnitude = limit;
            break;
        }
    }

    *value = negative ? static_cast<int>(-magnitude) : static_cast<int>(magnitude);
    return true;
}
