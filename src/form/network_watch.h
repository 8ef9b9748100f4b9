// Tells a window when the computer's IP addresses change (a Wi-Fi roam, a VPN going up or down, a cable,
// a new lease): the message is posted to it. Windows XP has the notice (NotifyAddrChange); the program's
// message loop waits for it, so that it costs neither a thread nor a wake-up of an idle program.
#ifndef PRODLE_FORM_NETWORK_WATCH_H
#define PRODLE_FORM_NETWORK_WATCH_H

#include <winsock.h>
#include <windows.h>

#include "framework/kernel_handle.h"

class NetworkWatch {
public:
    NetworkWatch() = default;
    NetworkWatch(const NetworkWatch&) = delete;
    NetworkWatch& operator=(const NetworkWatch&) = delete;
    ~NetworkWatch();

    // False when the system gives no notice: the program then learns of a new network only from a failure.
    bool Start(HWND window, UINT message);

private:
    bool Arm();

    HWND m_window = nullptr;
    UINT m_message = 0;
    KernelHandle m_changed;
    // The system writes into it when the notice comes, so it lives for as long as a notice may.
    OVERLAPPED* m_overlapped = nullptr;
};

#endif
