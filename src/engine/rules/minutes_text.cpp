#include "engine/rules/minutes_text.h"

#include <climits>
#include <cstdlib>
#include <string>

#include "settings/rules/stored_int.h"

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Finds the longest prefix of `text` (after white space) that reads as a
// decimal number: [sign] digits [. digits] [e [sign] digits], with digits
// allowed on either side of the point but not missing on both. An exponent
// marker without digits after it is not part of the number ("1e" reads as 1).
// Only decimal is read: "0x10" is 0 followed by ignored text, and words such
// as "inf" or "nan" are not numbers here, so the outcome does not depend on
// which C runtime the program is linked with.
bool ReadFloatPrefix(const char* text, float* value)
{
    const char* p = text;
    while (IsScanSpace(*p))
        ++p;
    const char* start = p;

    if (*p == '+' || *p == '-')
        ++p;
    bool anyDigit = false;
    while (IsDigit(*p)) {
        ++p;
        anyDigit = true;
    }
    if (*p == '.') {
        ++p;
        while (IsDigit(*p)) {
            ++p;
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return false;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-')
            ++q;
        if (IsDigit(*q)) {
            while (IsDigit(*q))
                ++q;
            p = q;
        }
    }

    // Hand only the matched characters to the converter, so that its own
    // extensions (hex, inf, nan) cannot come into play. The program never
    // changes the C locale, so '.' is the decimal point it expects.
    const std::string number(start, p);
    *value = std::strtof(number.c_str(), nullptr);
    return true;
}

}  // namespace

PeriodCheck CheckMinutesText(const char* text, bool debug)
{
    float value = 0.0f;
    const bool haveNumber = ReadFloatPrefix(text != nullptr ? text : "", &value);

    if (debug) {
        value = 0.25f;
    } else {
        // Whole minutes (truncated toward zero) must be 1..60. Comparing the
        // float itself says the same without converting an out-of-range or
        // infinite value to int, and refuses values such as 1e30 outright.
        if (!haveNumber || !(value >= 1.0f && value < 61.0f))
            return PeriodCheck{false, 0};
    }
    return PeriodCheck{true, static_cast<int>(static_cast<double>(value) * 60.0)};
}
