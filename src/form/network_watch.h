// Tells a window when the computer's IP addresses change (a Wi-Fi roam, a VPN going up or down, a cable,
// a new lease): the message is posted to it. Windows XP has the notice (NotifyAddrChange); a thread of
// the watch's own asks for it and waits, blocked, so that an idle program still never wakes.
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
    // Ends the watch's thread and waits for it.
    ~NetworkWatch();

    // False when the watch cannot run: the program then learns of a new network only from a failure.
    bool Start(HWND window, UINT message);

private:
    static DWORD WINAPI Watch(void* self);

    HWND m_window = nullptr;
    UINT m_message = 0;
    KernelHandle m_stop;
    KernelHandle m_thread;
};

#endif
