// One Prodle per user in a session. The first start holds a named mutex in the session's own
// namespace ("Local\") and publishes its process id in a named file mapping beside it. Both names, and
// the registered message, carry the user's SID: another user's Prodle on the same desktop ("Run as")
// is no obstacle and never hears this user's requests. A later start reads the process id, finds the
// main frame that this process owns, hands it its request with the registered message and ends
// without a window or a tray icon of its own. Everything used here exists on Windows XP.
#ifndef PRODLE_APP_SINGLE_INSTANCE_H
#define PRODLE_APP_SINGLE_INSTANCE_H

#include <windows.h>

#include <string>

#include "framework/kernel_handle.h"

class CSingleInstance {
public:
    // What a later start asks of the running Prodle: the message's wParam.
    enum Request : WPARAM { kShowForm = 1, kExit = 2 };
    // How a request went: done, no Prodle holds the name (any more), or the one that holds it did not
    // answer in time.
    enum class Outcome { Done, NoneRunning, NoAnswer };

    explicit CSingleInstance(const char* appName);
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // Takes the name for this process and publishes its id; false when another Prodle of this user in
    // this session has it.
    bool Claim();
    void Release();

    // Hands a request to the Prodle that holds the name, at the window of this class that its process
    // owns (waiting for one that is still starting to make it). Its answer must come within 5 s of the
    // call; kExit then also waits until that process has ended.
    Outcome Send(Request request, const char* frameClass) const;

    // The registered message the running Prodle's main frame answers; wParam is the Request.
    static UINT Message();

private:
    bool IsHeld() const;
    // The id that the holder published, 0 while there is none (yet).
    DWORD PublishedProcessId() const;

    std::string m_mutexName;
    std::string m_mappingName;
    KernelHandle m_mutex;
    KernelHandle m_mapping;
};

#endif
