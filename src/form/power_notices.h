// Sleep and wake where Windows tells them late or not at all. On a machine with Modern Standby (Windows 8
// and later) a desktop program may get no suspend or resume message unless it asks for them
// (RegisterSuspendResumeNotification), and may get neither even then: the one sign of such a standby is
// the display of the user's session going off and, at the wake, on again (GUID_SESSION_DISPLAY_STATUS,
// Windows 8 and later; the console's display is another one under a remote desktop or a disconnected
// session). Each is asked for where the system has it, and looked up at run time, so that the program
// still starts on Windows XP.
#ifndef PRODLE_FORM_POWER_NOTICES_H
#define PRODLE_FORM_POWER_NOTICES_H

#include <windows.h>

#include <optional>

class PowerNotices {
public:
    PowerNotices() = default;
    PowerNotices(const PowerNotices&) = delete;
    PowerNotices& operator=(const PowerNotices&) = delete;
    ~PowerNotices();

    // Whether the machine has Modern Standby, as its power capabilities say (never before Windows 8).
    static bool ModernStandby();

    // Asks for the notices for this top-level window, the display's too if `display`; they come as
    // WM_POWERBROADCAST.
    void Register(HWND window, bool display);

    // The state of the session's display from a WM_POWERBROADCAST (true: on or dimmed, false: off), or
    // none when the message is not about it.
    static std::optional<bool> DisplayOn(WPARAM event, LPARAM data);

private:
    void* m_suspendResume = nullptr;
    void* m_displayState = nullptr;
};

#endif
