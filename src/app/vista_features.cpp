#include "app/vista_features.h"

namespace {

// Declared here: the program is built for Windows XP, whose headers lack them.
constexpr DWORD kFilterAllow = 1;      // MSGFLT_ALLOW (ChangeWindowMessageFilterEx)
constexpr DWORD kFilterAdd = 1;        // MSGFLT_ADD (ChangeWindowMessageFilter)
constexpr DWORD kRestartNoCrash = 1;   // RESTART_NO_CRASH
constexpr DWORD kRestartNoHang = 2;    // RESTART_NO_HANG
constexpr DWORD kRestartNoReboot = 8;  // RESTART_NO_REBOOT

using ChangeWindowFilter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
using ChangeProcessFilter = BOOL(WINAPI*)(UINT, DWORD);
using RegisterRestart = HRESULT(WINAPI*)(const wchar_t*, DWORD);

template <class Function>
Function Lookup(const char* dll, const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA(dll), name)));
}

}  // namespace

void LetThroughMessageFilter(HWND window, std::initializer_list<UINT> messages)
{
    if (const auto changeWindowFilter =
            Lookup<ChangeWindowFilter>("user32.dll", "ChangeWindowMessageFilterEx")) {
        for (const UINT message : messages)
            changeWindowFilter(window, message, kFilterAllow, nullptr);
    } else if (const auto changeProcessFilter =
                   Lookup<ChangeProcessFilter>("user32.dll", "ChangeWindowMessageFilter")) {
        for (const UINT message : messages)
            changeProcessFilter(message, kFilterAdd);
    }
}

// After a restart of the computer the log-in entry starts the program; a crash or a hang is not
// papered over by a new start.
void RegisterRestartAfterUpdate(const wchar_t* commandLine)
{
    if (const auto registerRestart = Lookup<RegisterRestart>("kernel32.dll", "RegisterApplicationRestart"))
        registerRestart(commandLine, kRestartNoCrash | kRestartNoHang | kRestartNoReboot);
}
