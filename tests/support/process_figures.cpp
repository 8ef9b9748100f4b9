#include "support/process_figures.h"

#include <windows.h>
#include <psapi.h>

#include <vector>

namespace {

// Both loaded by name: neither is in every import library of the cross compilers.
DWORD CountFromKernel()
{
    using Function = BOOL(WINAPI*)(HANDLE, PDWORD);
    static const auto function = reinterpret_cast<Function>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetProcessHandleCount")));
    DWORD count = 0;
    if (!function || !function(::GetCurrentProcess(), &count))
        return 0;
    return count;
}

// The system's table of every open handle (information class 16), counted for this process. Wine
// answers GetProcessHandleCount with 0, but keeps this table.
DWORD CountFromSystemTable()
{
    struct Entry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT handle;
        void* object;
        ULONG grantedAccess;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    using Function = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<Function>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return 0;
    constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<unsigned char> buffer(1 << 16);
    LONG status;
    ULONG needed = 0;
    while ((status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
               kLengthMismatch &&
           buffer.size() < (64u << 20))
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return 0;
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    const ULONG self = ::GetCurrentProcessId();
    DWORD count = 0;
    for (ULONG i = 0; i < table->count; ++i)
        count += table->entries[i].ownerPid == self ? 1 : 0;
    return count;
}

// The number of handles the process holds, or 0 when the system cannot tell.
DWORD HandleCount()
{
    const DWORD count = CountFromKernel();
    return count != 0 ? count : CountFromSystemTable();
}

}  // namespace

ProcessFigures MeasureProcess()
{
    ProcessFigures figures;
    figures.handles = HandleCount();
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) {
        figures.memory = counters.PagefileUsage;
        figures.workingSet = counters.WorkingSetSize;
    }
    return figures;
}
