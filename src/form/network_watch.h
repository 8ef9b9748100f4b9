// Tells the form's window when the network the program uses has changed (a Wi-Fi roam, a VPN going up or
// down, a cable, a new lease): WM_PRODLE_NETWORK_CHANGE is posted to it, once per change.
// Windows XP has the notice of IPv4 changes (NotifyAddrChange); the program's message loop waits for
// it, so that it costs neither a thread nor a wake-up of an idle program, and each one comes to the
// window as WM_PRODLE_ADDRESS_NOTICE. Windows Vista and later also give notice of IPv6 changes
// (Ipv6AddressNotice), which come the same way. Notices come in bursts (VPN clients, virtual adapters,
// a flapping Wi-Fi), and many change nothing the program uses: notices less than two seconds apart are
// one change, looked at when they stop (at most five seconds after the first), and it is told only
// when the machine's addresses or the default route differ from what they were. Its timers run only
// after a notice.
#ifndef PRODLE_FORM_NETWORK_WATCH_H
#define PRODLE_FORM_NETWORK_WATCH_H

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <optional>

#include "engine/ports.h"
#include "form/ipv6_address_notice.h"
#include "form/network_snapshot.h"
#include "framework/kernel_handle.h"

class NetworkWatch {
public:
    struct Timing {
        DWORD quietMs = 2000;          // notices closer together than this are one change
        DWORD longestMs = 5000;        // a change is looked at no later than this after its first notice
        DWORD firstRetryMs = 1000;     // a notice the system refused is asked for again after this,
        DWORD longestRetryMs = 60000;  // twice as long each time, up to this
    };
    using SnapshotReader = std::function<std::optional<NetworkSnapshot>()>;

    // A watch that notes in the journal what stops it.
    explicit NetworkWatch(Journal& journal) : m_journal(journal) {}
    NetworkWatch(const NetworkWatch&) = delete;
    NetworkWatch& operator=(const NetworkWatch&) = delete;
    ~NetworkWatch();

    // Takes the network as it is now and asks for the system's notices, for this window's messages and
    // timers (its ids are in form/form_ids.h).
    void Start(HWND window);
    // A notice of the system (WM_PRODLE_ADDRESS_NOTICE): the change it belongs to is looked at when
    // the notices stop.
    void OnNotice();
    // A timer of the window: false when it is not the watch's.
    bool OnTimer(UINT_PTR id);

    // What the network is (by default NetworkSnapshot::Read); taken again now, as the one to compare with.
    void SetSnapshotReader(SnapshotReader reader);
    void SetTiming(const Timing& timing) { m_timing = timing; }

private:
    void Arm();
    void Settle();

    Journal& m_journal;
    Ipv6AddressNotice m_ipv6Notice;
    Timing m_timing;
    SnapshotReader m_read = NetworkSnapshot::Read;
    // What the program's prodles went by at the last look (none: the system would not say).
    std::optional<NetworkSnapshot> m_known;
    HWND m_window = nullptr;
    KernelHandle m_changed;
    // The system writes into it when the notice comes, so it lives for as long as a notice may.
    OVERLAPPED* m_overlapped = nullptr;
    // A change whose notices are still coming: when its first one came.
    bool m_settling = false;
    DWORD m_firstNoticeTick = 0;
    // Refused asks for the notice in a row, and the wait before the next one.
    unsigned m_refusals = 0;
    DWORD m_retryMs = 0;
};

#endif
