// What the test process holds, for leak checks: its open handles (sockets are handles here) and its
// committed memory.
#ifndef PRODLE_TESTS_SUPPORT_PROCESS_FIGURES_H
#define PRODLE_TESTS_SUPPORT_PROCESS_FIGURES_H

#include <windows.h>

// The number of handles the process holds, or 0 when the system cannot tell.
DWORD ProcessHandleCount();
// The process's committed memory in bytes (PagefileUsage: Wine reports PrivateUsage as 0).
SIZE_T ProcessMemory();

#endif
