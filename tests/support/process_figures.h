// What the test process holds, for leak checks: its open handles (sockets are handles here), its
// committed memory and its working set.
#ifndef PRODLE_TESTS_SUPPORT_PROCESS_FIGURES_H
#define PRODLE_TESTS_SUPPORT_PROCESS_FIGURES_H

#include <windows.h>

#include <ostream>

struct ProcessFigures {
    DWORD handles = 0;
    SIZE_T memory = 0;  // committed bytes (PagefileUsage: Wine reports PrivateUsage as 0)
    SIZE_T workingSet = 0;

    // A figure the system could not tell reads 0, and would pass any check that it did not grow.
    bool Measured() const { return handles > 0 && memory > 0 && workingSet > 0; }
};

ProcessFigures MeasureProcess();

inline std::ostream& operator<<(std::ostream& out, const ProcessFigures& figures)
{
    return out << figures.handles << " handles, " << figures.memory << " bytes committed, "
               << figures.workingSet << " bytes in the working set";
}

#endif
