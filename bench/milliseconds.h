// The benchmark programs' stopwatch: the performance counter in milliseconds.
#ifndef PRODLE_BENCH_MILLISECONDS_H
#define PRODLE_BENCH_MILLISECONDS_H

#include <windows.h>

inline double MillisecondsNow()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

#endif
