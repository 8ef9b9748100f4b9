// One Prodle per user in a session. The first start holds a named mutex in the session's own
// namespace ("Local\"), named after the user as well, so that other users' Prodles (in their own
// sessions, or started with "Run as" in this one) are no obstacle. A later start hands its request to
// the running Prodle's main frame with a registered window message and ends without a window or a
// tray icon of its own. Everything used here exists on Windows XP.
#ifndef PRODLE_APP_SINGLE_INSTANCE_H
#define PRODLE_APP_SINGLE_INSTANCE_H

#include <windows.h>

#include <string>

class CSingleInstance {
public:
    // What a later start asks of the running Prodle: the message's wParam.
    enum Request : WPARAM { kShowForm = 1, kExit = 2 };

    explicit CSingleInstance(const char* appName);
    ~CSingleInstance() { Release(); }
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // Takes the name for this process; false when another Prodle of this user in this session has it.
    bool Claim();
    void Release();

    // Hands a request to the Prodle that holds the name, at its window of this class (waiting a little
    // for a Prodle that is still starting). kExit also waits until that process has ended. False when
    // none runs or it did not do as asked in time.
    bool Send(Request request, const char* frameClass) const;

    // The registered message the running Prodle's main frame answers; wParam is the Request.
    static UINT Message();

private:
    bool IsHeld() const;

    std::string m_name;
    HANDLE m_mutex = nullptr;
};

#endif
