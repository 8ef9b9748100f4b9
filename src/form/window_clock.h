// The engine's clock on Windows: the tick count made monotonic across its wrap, the local time of day,
// and the engine's one wake-up as one timer of a window (killed when it has fired).
#ifndef PRODLE_FORM_WINDOW_CLOCK_H
#define PRODLE_FORM_WINDOW_CLOCK_H

#include <windows.h>

#include "engine/ports.h"

class WindowClock : public Clock {
public:
    void Attach(HWND window) { m_window = window; }

    uint64_t NowMs() override;
    std::string TimeOfDay() override;
    int64_t EpochSeconds() override;
    void WakeAt(uint64_t atMs) override;
    void CancelWake() override;

    // Whether a timer of the window is the wake-up; if so it is killed, having fired.
    bool TakeWake(UINT_PTR timer) const;

private:
    HWND m_window = nullptr;
    // GetTickCount wraps after 49.7 days; the wraps seen so far make it a 64-bit count. The program reads
    // it at least at every alarm, far more often than once a wrap.
    DWORD m_lastTick = 0;
    uint64_t m_wraps = 0;
};

#endif
