#include "form/network_watch.h"

#include <iphlpapi.h>

namespace {

// Windows Vista and later can take a notice back; on Windows XP it stays asked for until the program ends.
using CancelIPChangeNotifyFunction = BOOL(WINAPI*)(LPOVERLAPPED);

bool CancelNotice(OVERLAPPED* overlapped)
{
    const auto cancel = reinterpret_cast<CancelIPChangeNotifyFunction>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("iphlpapi.dll"), "CancelIPChangeNotify")));
    return cancel && cancel(overlapped);
}

}  // namespace

NetworkWatch::~NetworkWatch()
{
    StopWaiting();
    // A notice still asked for writes into its record when it comes, so the record is left to the system
    // (the watch goes only when the program ends).
    if (m_overlapped)
        CancelNotice(m_overlapped);
    if (m_event)
        ::CloseHandle(m_event);
}

bool NetworkWatch::Start(HWND window, UINT message)
{
    m_window = window;
    m_message = message;
    m_event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_overlapped = new OVERLAPPED();
    return m_event && Arm();
}

void NetworkWatch::Rearm()
{
    StopWaiting();
    Arm();
}

bool NetworkWatch::Arm()
{
    ::ResetEvent(m_event);
    *m_overlapped = OVERLAPPED();
    m_overlapped->hEvent = m_event;
    HANDLE notice = nullptr;  // the system's, not to be closed
    if (::NotifyAddrChange(&notice, m_overlapped) != ERROR_IO_PENDING)
        return false;
    return ::RegisterWaitForSingleObject(&m_wait, m_event, &NetworkWatch::OnSignal, this, INFINITE,
                                         WT_EXECUTEONLYONCE) != FALSE;
}

void NetworkWatch::StopWaiting()
{
    // Waits for a callback that is running to end, so that none runs on a watch that is gone.
    if (m_wait)
        ::UnregisterWaitEx(m_wait, INVALID_HANDLE_VALUE);
    m_wait = nullptr;
}

void CALLBACK NetworkWatch::OnSignal(void* self, BOOLEAN)
{
    const auto* watch = static_cast<const NetworkWatch*>(self);
    ::PostMessageA(watch->m_window, watch->m_message, 0, 0);
}
