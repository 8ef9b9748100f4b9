// The engine's asynchronous host lookups and the buffers Windows Sockets writes their answers into.
// A buffer must live until its lookup has answered, whether or not anyone still waits for the answer:
// a lookup that is given up keeps its buffer until its answer arrives (a cancel is not relied on; under
// Wine it stops nothing), and the buffers of lookups still running when the owner goes are let go of
// rather than freed.
#ifndef PRODLE_FORM_HOST_LOOKUPS_H
#define PRODLE_FORM_HOST_LOOKUPS_H

#include <winsock.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/rules/host_entry.h"

// A lookup's answer, copied out of the buffer that Windows Sockets wrote it into: the entry's pointers
// still hold addresses in that buffer, which `base` gives.
struct HostEntryCopy {
    alignas(8) unsigned char bytes[MAXGETHOSTSTRUCT] = {};
    uintptr_t base = 0;

    HostEntryView View() const
    {
        return HostEntryView{bytes, sizeof bytes, static_cast<uint64_t>(base),
                             static_cast<int>(sizeof(void*))};
    }
};

class HostLookups {
public:
    HostLookups() = default;
    HostLookups(const HostLookups&) = delete;
    HostLookups& operator=(const HostLookups&) = delete;
    ~HostLookups();

    // Starts looking `name` up; `message` to `window` answers, with the task handle as wParam. Any
    // lookup still current is given up first. False when the platform refused to start it: the lookup
    // is then current under a null task handle, and no answer comes unless the caller posts one.
    bool Start(HWND window, UINT message, const char* name);

    // Takes the answer that the message with this task handle brings. True when it answers the current
    // lookup: its host entry is copied into `entry`. An answer to a lookup that was given up frees its
    // buffer and gives false.
    bool TakeAnswer(WPARAM task, HostEntryCopy* entry);

    // Nobody waits for the current lookup's answer any more.
    void GiveUp();

private:
    struct Lookup {
        HANDLE task = nullptr;
        std::unique_ptr<char[]> buffer;
    };
    Lookup m_current;
    bool m_bCurrent = false;
    std::vector<Lookup> m_givenUp;
};

#endif
