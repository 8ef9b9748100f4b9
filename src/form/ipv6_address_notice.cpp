#include "form/ipv6_address_notice.h"

#include <winsock2.h>

#include "form/form_ids.h"

namespace {

// netioapi.h's callback and calls, by their shapes: the row and the kind of change are not looked at.
using ChangeCallback = void(WINAPI*)(void* context, void* row, int kind);
using NotifyFunction = DWORD(WINAPI*)(USHORT family, ChangeCallback callback, void* context, BOOLEAN initial,
                                      HANDLE* notice);
using CancelFunction = DWORD(WINAPI*)(HANDLE notice);

void* IpHelperFunction(const char* name)
{
    const HMODULE ipHelper = ::GetModuleHandleA("iphlpapi.dll");
    return ipHelper ? reinterpret_cast<void*>(::GetProcAddress(ipHelper, name)) : nullptr;
}

// On the system's thread: nothing of the program is touched but the window's queue.
void WINAPI OnChange(void* context, void*, int)
{
    ::PostMessageA(static_cast<HWND>(context), WM_PRODLE_ADDRESS_NOTICE, 0, 0);
}

}  // namespace

Ipv6AddressNotice::~Ipv6AddressNotice()
{
    // Waits for a notice that is being given to end.
    if (const auto cancel = reinterpret_cast<CancelFunction>(IpHelperFunction("CancelMibChangeNotify2")))
        if (m_notice)
            cancel(m_notice);
}

bool Ipv6AddressNotice::Start(HWND window)
{
    const auto notify = reinterpret_cast<NotifyFunction>(IpHelperFunction("NotifyUnicastIpAddressChange"));
    if (!notify || !IpHelperFunction("CancelMibChangeNotify2"))
        return false;
    HANDLE notice = nullptr;
    if (notify(AF_INET6, &OnChange, window, FALSE, &notice) != NO_ERROR)
        return false;
    m_notice = notice;
    return true;
}
