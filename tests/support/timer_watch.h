// Which timers of which windows the program has armed, and with what intervals, as it arms and kills
// them through its imports of SetTimer and KillTimer: asking changes nothing, where killing a timer to
// see whether it ran (and arming it again) would. One at a time.
#ifndef PRODLE_TESTS_SUPPORT_TIMER_WATCH_H
#define PRODLE_TESTS_SUPPORT_TIMER_WATCH_H

#include <windows.h>

#include <vector>

#include "support/import_patch.h"

class TimerWatch {
public:
    TimerWatch();
    ~TimerWatch();
    TimerWatch(const TimerWatch&) = delete;
    TimerWatch& operator=(const TimerWatch&) = delete;

    bool Running(HWND window, UINT_PTR id) const;
    // Every interval the timer was armed with, in order.
    std::vector<UINT> Intervals(HWND window, UINT_PTR id) const;

private:
    static UINT_PTR WINAPI Arm(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
    static BOOL WINAPI Disarm(HWND window, UINT_PTR id);

    ImportPatch m_arm;
    ImportPatch m_disarm;
};

#endif
