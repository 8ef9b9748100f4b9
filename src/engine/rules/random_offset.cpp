#include "engine/rules/random_offset.h"

#include <climits>

int OffsetFromDraw(int draw, int limit)
{
    // Five bits never exceed 31, so a larger limit changes nothing; a negative
    // one would make the offset itself negative (and -INT_MIN is undefined).
    if (limit < 0)
        limit = 0;
    int offset = draw & 31;
    if (offset > limit)
        offset = limit;
    if (offset == 0)
        return 0;
    if (draw & 1)
        offset = -offset;
    return offset;
}

int TargetWithOffset(int periodSecs, int offset)
{
    if (periodSecs == 3600 && offset > 0)
        offset = -offset;
    // Periods come from settings and offsets are tiny, but the sum is kept
    // inside int even for extreme inputs rather than overflowing.
    const long long target = static_cast<long long>(periodSecs) + offset;
    if (target > INT_MAX)
        return INT_MAX;
    if (target < INT_MIN)
        return INT_MIN;
    return static_cast<int>(target);
}
