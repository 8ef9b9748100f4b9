// The notification area under a virtual display, for tests.
#ifndef PRODLE_TESTS_SUPPORT_NOTIFICATION_AREA_H
#define PRODLE_TESTS_SUPPORT_NOTIFICATION_AREA_H

#include <windows.h>
#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

#include "support/import_patch.h"

// Adds, once per process, an icon of the tests' own that is never deleted. Without a window manager,
// deleting the last icon blocks for about two seconds while the tray window goes away; with this one
// staying, the program's icon is never the last.
void KeepNotificationAreaOpen();

// The icon drawn at `size` pixels over `background`: its pixels' RGB values, row by row from the top.
std::vector<DWORD> IconPixels(HICON icon, int size, DWORD background);

// Whether the shell still knows an icon of this window and id (it accepts a modification of it).
bool ShellHasIcon(HWND owner, UINT id);

// Deletes an icon behind its owner's back, as a restarted taskbar has forgotten it.
bool ForgetIcon(HWND owner, UINT id);

// While it lives, records every call that the program makes to the notification area (through its
// import of Shell_NotifyIconA) with the record the shell received. With `refuse` set the calls fail
// without reaching the shell, as when there is no notification area yet. One at a time.
class ShellNotifyRecorder {
public:
    struct Call {
        DWORD message;
        NOTIFYICONDATAA record;  // as much of it as the program hands over (its cbSize)
    };

    // With `everyCall` false only the latest tooltip and picture of each window are kept, and the
    // balloons: a long run then costs the recorder no memory.
    explicit ShellNotifyRecorder(bool everyCall = true);
    ~ShellNotifyRecorder();
    ShellNotifyRecorder(const ShellNotifyRecorder&) = delete;
    ShellNotifyRecorder& operator=(const ShellNotifyRecorder&) = delete;

    // The calls about one window's icons.
    std::vector<Call> CallsFor(HWND owner) const;
    // The tooltip and the picture that the window's icon was last added or changed with (the probes of
    // ShellHasIcon and ForgetIcon change neither).
    std::string LastTip(HWND owner) const;
    HICON LastIcon(HWND owner) const;

    bool refuse = false;

private:
    static BOOL WINAPI StandIn(DWORD message, PNOTIFYICONDATAA data);
    void Note(DWORD message, const NOTIFYICONDATAA& record);

    struct Shown {
        std::string tip;
        HICON icon = nullptr;
    };
    bool m_everyCall;
    std::vector<Call> m_calls;
    std::map<HWND, Shown> m_shown;
    ImportPatch m_patch;
};

// Where Wine shows the notification area on a display without a tray manager: its window ("Wine System
// Tray"), and in it the newest icon (the rightmost), in screen coordinates. False when there is none.
bool FindNewestTrayIcon(RECT* areaWindow, RECT* icon);
// How many icons that window shows.
int TrayIconCount();

#endif
