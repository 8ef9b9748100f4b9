#include "form/network_watch.h"

#include <iphlpapi.h>

#include <algorithm>
#include <string>

#include "form/form_ids.h"
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
    if (m_window) {
        ::KillTimer(m_window, TIMER_NETWORK_SETTLE);
        ::KillTimer(m_window, TIMER_NETWORK_REARM);
    }
    if (!m_overlapped)
        return;
    AfxGetApp()->WatchHandle(nullptr, nullptr);
    // Taken back, its end waited for, and only then its record freed; otherwise the record stays.
    if (CancelNotice(m_overlapped) && ::WaitForSingleObject(m_changed.Get(), 1000) == WAIT_OBJECT_0)
        delete m_overlapped;
}

void NetworkWatch::Start(HWND window)
{
    m_window = window;
    m_known = m_read();
    m_ipv6Notice.Start(window);
    m_changed.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!m_changed)
        return;
    m_overlapped = new OVERLAPPED();
    AfxGetApp()->WatchHandle(m_changed.Get(), [this] {
        ::PostMessageA(m_window, WM_PRODLE_ADDRESS_NOTICE, 0, 0);
        Arm();
    });
    Arm();
}

void NetworkWatch::Arm()
{
    ::ResetEvent(m_changed.Get());
    *m_overlapped = OVERLAPPED();
    m_overlapped->hEvent = m_changed.Get();
    HANDLE notice = nullptr;  // the system's, not to be closed
    const DWORD result = ::NotifyAddrChange(&notice, m_overlapped);
    if (result == ERROR_IO_PENDING) {
        if (m_refusals > 0) {
            m_journal.Note("The network is watched again, after " + std::to_string(m_refusals) +
                           " refused tries");
            m_refusals = 0;
            m_retryMs = 0;
            OnNotice();  // a change may have come meanwhile
        }
        return;
    }
    // Said once, not at every try: a system that keeps refusing would fill the log.
    if (m_refusals++ == 0)
        m_journal.Note("The network is not watched: the system refused (error " + std::to_string(result) +
                       "); asked again, at least once a minute");
    m_retryMs = m_retryMs == 0 ? m_timing.firstRetryMs : std::min(2 * m_retryMs, m_timing.longestRetryMs);
    ::SetTimer(m_window, TIMER_NETWORK_REARM, m_retryMs, nullptr);
}

void NetworkWatch::OnNotice()
{
    const DWORD now = ::GetTickCount();
    if (!m_settling) {
        m_settling = true;
        m_firstNoticeTick = now;
    }
    const DWORD sinceFirst = now - m_firstNoticeTick;
    const DWORD longest = sinceFirst < m_timing.longestMs ? m_timing.longestMs - sinceFirst : 0;
    ::SetTimer(m_window, TIMER_NETWORK_SETTLE,
               std::max<DWORD>(USER_TIMER_MINIMUM, std::min(m_timing.quietMs, longest)), nullptr);
}

bool NetworkWatch::OnTimer(UINT_PTR id)
{
    if (id == TIMER_NETWORK_SETTLE) {
        ::KillTimer(m_window, id);
        Settle();
        return true;
    }
    if (id == TIMER_NETWORK_REARM) {
        ::KillTimer(m_window, id);
        Arm();
        return true;
    }
    return false;
}

void NetworkWatch::Settle()
{
    m_settling = false;
    const std::optional<NetworkSnapshot> now = m_read();
    // What the system would not say counts as a change, as every notice did before.
    if (now && m_known && *now == *m_known)
        return;
    m_known = now;
    ::PostMessageA(m_window, WM_PRODLE_NETWORK_CHANGE, 0, 0);
}

void NetworkWatch::SetSnapshotReader(SnapshotReader reader)
{
    m_read = std::move(reader);
    m_known = m_read();
}
