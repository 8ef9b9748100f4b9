#include "form/host_lookups.h"

#include <cstring>

HostLookups::~HostLookups()
{
    // Still running: the answer may yet be written, so the memory is left to it.
    if (m_bCurrent && m_current.task)
        m_current.buffer.release();
    for (Lookup& lookup : m_givenUp)
        lookup.buffer.release();
}

bool HostLookups::Start(HWND window, UINT message, const char* name)
{
    GiveUp();
    m_current.buffer.reset(new char[MAXGETHOSTSTRUCT]());
    m_current.task = ::WSAAsyncGetHostByName(window, message, name, m_current.buffer.get(), MAXGETHOSTSTRUCT);
    m_bCurrent = true;
    return m_current.task != nullptr;
}

bool HostLookups::TakeAnswer(WPARAM task, HostEntryCopy* entry)
{
    const HANDLE answered = reinterpret_cast<HANDLE>(task);
    for (auto it = m_givenUp.begin(); it != m_givenUp.end(); ++it) {
        if (it->task == answered) {
            m_givenUp.erase(it);
            return false;
        }
    }
    if (!m_bCurrent || answered != m_current.task)
        return false;
    std::memcpy(entry->bytes, m_current.buffer.get(), sizeof entry->bytes);
    entry->base = reinterpret_cast<uintptr_t>(m_current.buffer.get());
    m_current = Lookup();
    m_bCurrent = false;
    return true;
}

void HostLookups::GiveUp()
{
    if (!m_bCurrent)
        return;
    // A lookup that never started has nothing to wait for.
    if (m_current.task)
        m_givenUp.push_back(std::move(m_current));
    m_current = Lookup();
    m_bCurrent = false;
}
