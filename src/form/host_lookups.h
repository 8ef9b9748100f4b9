// The engine's lookups, run where they cannot hold the window up: a name's addresses of both families
// (getaddrinfo), or the computer's own address (GetAdaptersAddresses), each on a thread of the
// system's pool (QueueUserWorkItem), its answer brought back to the window as a message. A lookup that
// is given up runs on to its end, and its answer is let go of when it comes (a running getaddrinfo
// cannot be stopped). A lookup still running when its owner goes keeps its memory; a message that no
// window takes any more frees it at once.
#ifndef PRODLE_FORM_HOST_LOOKUPS_H
#define PRODLE_FORM_HOST_LOOKUPS_H

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/rules/ip_address.h"

class HostLookups {
public:
    HostLookups() = default;
    HostLookups(const HostLookups&) = delete;
    HostLookups& operator=(const HostLookups&) = delete;
    ~HostLookups() = default;

    // Starts looking `name` up; `message` to `window` answers. Any lookup still current is given up
    // first. False when the system refused to start it: then no answer comes.
    bool Start(HWND window, UINT message, const std::string& name);
    // The same for the computer's own address: the one that names it (PickLocalAddress).
    bool StartLocal(HWND window, UINT message);

    // Takes the answer that a message of a lookup brings. True when it answers the current lookup:
    // the addresses found (none: not found), in the system's order. An answer to a lookup that was
    // given up is let go of, and gives false, as a message that is no answer at all does.
    bool TakeAnswer(WPARAM wParam, LPARAM lParam, std::vector<IpAddress>* addresses);

    // Nobody waits for the current lookup's answer any more.
    void GiveUp();

private:
    struct Job;
    bool Queue(Job* job);
    static DWORD WINAPI Run(void* context);

    // Each lookup's number goes with its answer: a given-up lookup's answer is never taken for a
    // later one's, whatever memory the later one got.
    unsigned m_nextNumber = 1;
    std::pair<unsigned, Job*> m_current = {0, nullptr};
    std::vector<std::pair<unsigned, Job*>> m_givenUp;
};

#endif
