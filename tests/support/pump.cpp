#include "support/pump.h"

#include "framework/win_app.h"

void PumpPending()
{
    while (AfxGetApp()->PumpMessage(false)) {
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        PumpPending();
        if (done())
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD milliseconds)
{
    PumpUntil([] { return false; }, milliseconds);
}

namespace {

bool g_timerCame = false;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    g_timerCame = true;
}

}  // namespace

bool PumpPastTimer(DWORD milliseconds)
{
    g_timerCame = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, milliseconds, OnTimer);
    const bool came = timer != 0 && PumpUntil([] { return g_timerCame; }, milliseconds + 60000);
    ::KillTimer(nullptr, timer);
    return came;
}
