#include "form/window_clock.h"

#include <cstdio>

#include "form/form_ids.h"
#include "framework/calendar.h"

uint64_t WindowClock::NowMs()
{
    const DWORD tick = ::GetTickCount();
    if (tick < m_lastTick)
        ++m_wraps;
    m_lastTick = tick;
    return (m_wraps << 32) + tick;
}

std::string WindowClock::TimeOfDay()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    return text;
}

int64_t WindowClock::EpochSeconds()
{
    return EpochSecondsNow();
}

void WindowClock::WakeAt(uint64_t atMs)
{
    const uint64_t now = NowMs();
    // A timer fires a little late rather than early; one whose time has come fires at once.
    const uint64_t wait = atMs > now ? atMs - now : 0;
    const UINT elapse = wait > 0x7fffffff
                            ? 0x7fffffff
                            : static_cast<UINT>(wait < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : wait);
    ::SetTimer(m_window, TIMER_WAKE, elapse, nullptr);
}

void WindowClock::CancelWake()
{
    ::KillTimer(m_window, TIMER_WAKE);
}

bool WindowClock::TakeWake(UINT_PTR timer) const
{
    if (timer != TIMER_WAKE)
        return false;
    ::KillTimer(m_window, timer);
    return true;
}
