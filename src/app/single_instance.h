// One Prodle per user in a session. The first start holds a named mutex in the session's own
// namespace ("Local\"), publishes its process id in a named file mapping beside it, and sets a named
// event once its start-up is done. These names, and the registered message, carry the user's SID:
// another user's Prodle on the same desktop ("Run as") is no obstacle and never hears this user's
// requests. A later start waits for the event, reads the process id, finds the main frame that this
// process owns, hands it its request with the registered message and ends without a window or a tray
// icon of its own. The objects are open to the user's SID, so that an elevated Prodle and one that is
// not reach each other. Everything used here exists on Windows XP.
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

    // How long a later start waits: for the running Prodle to finish its start-up (a first start, a
    // machine busy at log-in, a new exe scanned before it runs), and then for its answer.
    struct Patience {
        DWORD startUpMs;
        DWORD answerMs;
    };

    explicit CSingleInstance(const char* appName, Patience patience = {30000, 5000});
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // Takes the name for this process and publishes its id; false when another Prodle of this user in
    // this session has it.
    bool Claim();
    // Tells later starts that this Prodle's start-up is done: its frame is up and answers.
    void MarkReady();
    void Release();

    // Whether a Prodle of this user in this session holds the name (this process or another).
    bool IsHeld() const;

    // Hands a request to the Prodle that holds the name, at the window of this class that its process
    // owns. One that is still starting is waited for until it is ready (startUpMs); from then on its
    // answer must come within answerMs. kExit then also waits until that process has ended.
    Outcome Send(Request request, const char* frameClass) const;

    // The registered message the running Prodle's main frame answers; wParam is the Request.
    static UINT Message();

private:
    // Waits up to waitMs for the holder's start-up to be done.
    bool IsReady(DWORD waitMs) const;
    // The id that the holder published, 0 while there is none (yet).
    DWORD PublishedProcessId() const;

    std::string m_mutexName;
    std::string m_mappingName;
    std::string m_readyName;
    Patience m_patience;
    KernelHandle m_mutex;
    KernelHandle m_mapping;
    KernelHandle m_ready;
};

#endif
