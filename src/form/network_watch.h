// Tells a window when the computer's IP addresses change (a Wi-Fi roam, a VPN going up or down, a cable,
// a new lease): the message is posted to it. Windows XP has the notice (NotifyAddrChange); it is waited
// for on a thread of the system's pool, and asked for again on the window's thread once handled.
#ifndef PRODLE_FORM_NETWORK_WATCH_H
#define PRODLE_FORM_NETWORK_WATCH_H

#include <winsock.h>
#include <windows.h>

class NetworkWatch {
public:
    NetworkWatch() = default;
    NetworkWatch(const NetworkWatch&) = delete;
    NetworkWatch& operator=(const NetworkWatch&) = delete;
    ~NetworkWatch();

    // False when the system gives no such notice: the program then learns of a new network only from
    // a failure.
    bool Start(HWND window, UINT message);
    // The window has handled the message: the next change is watched for.
    void Rearm();

private:
    static void CALLBACK OnSignal(void* self, BOOLEAN timedOut);
    bool Arm();
    void StopWaiting();

    HWND m_window = nullptr;
    UINT m_message = 0;
    HANDLE m_event = nullptr;
    HANDLE m_wait = nullptr;
    // The system writes into it when the notice comes: it is never freed.
    OVERLAPPED* m_overlapped = nullptr;
};

#endif
