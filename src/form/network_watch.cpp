#include "form/network_watch.h"

#include <iphlpapi.h>

#include "framework/win_app.h"

namespace {

// Windows Vista and later can take a notice back; Windows XP ends it with the program.
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
    if (!m_overlapped)
        return;
    AfxGetApp()->WatchHandle(nullptr, nullptr);
    // Taken back, its end waited for, and only then its record freed; otherwise the record stays.
    if (CancelNotice(m_overlapped) && ::WaitForSingleObject(m_changed.Get(), 1000) == WAIT_OBJECT_0)
        delete m_overlapped;
}

bool NetworkWatch::Start(HWND window, UINT message)
{
    m_window = window;
    m_message = message;
    m_changed.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!m_changed)
        return false;
    m_overlapped = new OVERLAPPED();
    if (!Arm())
        return false;
    AfxGetApp()->WatchHandle(m_changed.Get(), [this] {
        ::PostMessageA(m_window, m_message, 0, 0);
        Arm();
    });
    return true;
}

bool NetworkWatch::Arm()
{
    ::ResetEvent(m_changed.Get());
    *m_overlapped = OVERLAPPED();
    m_overlapped->hEvent = m_changed.Get();
    HANDLE notice = nullptr;  // the system's, not to be closed
    return ::NotifyAddrChange(&notice, m_overlapped) == ERROR_IO_PENDING;
}
