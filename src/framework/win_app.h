// The application object: start-up and shut-down, the message loop, resources, message boxes and the
// wait cursor. One instance per process, constructed before the entry point runs.
#ifndef PRODLE_FRAMEWORK_WIN_APP_H
#define PRODLE_FRAMEWORK_WIN_APP_H

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/cmd_target.h"
#include "framework/cstring.h"

class CWnd;
class CSingleDocTemplate;

class CWinApp : public CCmdTarget {
public:
    // The application name is the text of string resource AFX_IDS_APP_TITLE.
    CWinApp();
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CString m_strAppName;
    CWnd* m_pMainWnd = nullptr;

    virtual bool InitInstance() { return true; }
    // Returns the process's exit code.
    virtual int ExitInstance() { return m_nExitCode; }
    // The message loop; returns ExitInstance's result.
    virtual int Run();

    // Handles one message, or the watched object's signal (waiting for one when `wait`); false when the
    // loop must end (WM_QUIT), or when not waiting and nothing was there.
    bool PumpMessage(bool wait = true);
    virtual bool PreTranslateMessage(MSG* msg);
    // A kernel object that the message loop waits for too, without a thread of its own: when it is
    // signalled, `signalled` runs on this thread, between two messages (not inside a modal loop).
    // One at a time; null stops the watch.
    void WatchHandle(HANDLE handle, std::function<void()> signalled);

    HICON LoadIcon(UINT id) const;
    // The same icon in the system's small size (16 px at 96 DPI, 24 px at 144 DPI).
    HICON LoadSmallIcon(UINT id) const;

    // Every message box of the program goes through here. While the main window is hidden, the box
    // has no owner and comes up in front, with a taskbar button.
    virtual int DoMessageBox(const CString& text, UINT type, UINT helpId);
    // Hands a document, web address or mailto: link to the shell's "open" verb; the result is the
    // shell's (32 or less: failure). Every shell open of the program goes through here.
    virtual HINSTANCE ShellOpen(const char* target);
    // The same for a file, whose path is wide text: a user's folder need not fit the ANSI code page.
    virtual HINSTANCE ShellOpenFile(const std::wstring& path);
    // Every warning beep of the program goes through here.
    virtual void DoMessageBeep(UINT type) { ::MessageBeep(type); }
    // The one blocking pause of the program.
    virtual void Pause(DWORD milliseconds) { ::Sleep(milliseconds); }

    // Counted wait cursor: +1 begins, -1 ends; the arrow returns when the count is back at 0.
    virtual void DoWaitCursor(int delta);
    int GetWaitCursorCount() const { return m_nWaitCursorCount; }

    void AddDocTemplate(CSingleDocTemplate* docTemplate);
    // A new (empty) document with its frame and view, as every start makes: the program takes no
    // options of its own from the command line. False when the main window could not be made.
    bool OnFileNew();

    bool m_bQuitReceived = false;

protected:
    int m_nExitCode = 0;
    int m_nWaitCursorCount = 0;
    std::unique_ptr<CSingleDocTemplate> m_pDocTemplate;
    HANDLE m_hWatched = nullptr;
    std::function<void()> m_onWatched;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The module that holds the program's resources: its own.
HINSTANCE AfxGetResourceHandle();
// An icon group's image for the system's small-icon size, for the notification area: LoadIcon gives
// the large one, which the shell would shrink. Shared like LoadIcon's: the same handle on every call,
// never destroyed.
HICON AfxLoadSmallIcon(HINSTANCE module, LPCSTR name);
int AfxMessageBox(const CString& text, UINT type = MB_OK, UINT helpId = 0);
// The program's entry: initialise, run the loop, clean up.
int AfxWinMain(HINSTANCE instance, int showCommand);

#endif
