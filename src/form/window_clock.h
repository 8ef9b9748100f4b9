// The engine's clock on Windows: the tick count made monotonic across its wrap, the local time of day,
// and each alarm as a timer of the form's window (one per alarm, killed when it has fired).
#ifndef PRODLE_FORM_WINDOW_CLOCK_H
#define PRODLE_FORM_WINDOW_CLOCK_H

#include <windows.h>

#include <optional>

#include "engine/ports.h"

class WindowClock : public Clock {
public:
    void Attach(HWND window) { m_window = window; }

    uint64_t NowMs() override;
    std::string TimeOfDay() override;
    int64_t EpochSeconds() override;
    void WakeAt(Alarm alarm, uint64_t atMs) override;
    void CancelWake(Alarm alarm) override;

    // The alarm a timer of the window stands for (none for another timer); the timer is killed.
    std::optional<Alarm> TakeAlarm(UINT_PTR timer) const;

private:
    HWND m_window = nullptr;
    // GetTickCount wraps after 49.7 days; the wraps seen so far make it a 64-bit count. The program reads
    // it at least at every alarm, far more often than once a wrap.
    DWORD m_lastTick = 0;
    uint64_t m_wraps = 0;
};

#endif
