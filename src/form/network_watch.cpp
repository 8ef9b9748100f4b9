#include "form/network_watch.h"

#include <iphlpapi.h>

namespace {

// Windows Vista and later can take a notice back; on Windows XP the thread's end takes it back.
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
    if (!m_thread)
        return;
    ::SetEvent(m_stop.Get());
    ::WaitForSingleObject(m_thread.Get(), INFINITE);
}

bool NetworkWatch::Start(HWND window, UINT message)
{
    m_window = window;
    m_message = message;
    m_stop.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!m_stop)
        return false;
    m_thread.Reset(::CreateThread(nullptr, 0, &NetworkWatch::Watch, this, 0, nullptr));
    return static_cast<bool>(m_thread);
}

DWORD WINAPI NetworkWatch::Watch(void* self)
{
    const auto* watch = static_cast<const NetworkWatch*>(self);
    KernelHandle changed(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!changed)
        return 1;
    for (;;) {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = changed.Get();
        HANDLE notice = nullptr;  // the system's, not to be closed
        if (::NotifyAddrChange(&notice, &overlapped) != ERROR_IO_PENDING)
            return 1;
        const HANDLE events[] = {watch->m_stop.Get(), changed.Get()};
        if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            // Stopped (or the wait failed): the notice still asked for is taken back, and its end waited for,
            // before its record goes with the thread.
            if (CancelNotice(&overlapped))
                ::WaitForSingleObject(changed.Get(), 1000);
            return 0;
        }
        ::ResetEvent(changed.Get());
        ::PostMessageA(watch->m_window, watch->m_message, 0, 0);
    }
}
