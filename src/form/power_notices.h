// Sleep and wake where Windows tells them late or not at all. On a machine with Modern Standby a desktop
// program may get no suspend or resume message unless it asks for them (Windows 8's
// RegisterSuspendResumeNotification); and the console's display going off and on again (Windows Vista's
// power setting notice) is the one sign of such a standby that every Windows gives. Both are asked for
// where the system has them, and looked up at run time, so that the program still starts on Windows XP.
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

    // Asks for the notices for this top-level window; they come as WM_POWERBROADCAST.
    void Register(HWND window);

    // The display's state from a WM_POWERBROADCAST (true: on or dimmed, false: off), or none when the
    // message is not about the display.
    static std::optional<bool> DisplayOn(WPARAM event, LPARAM data);

private:
    void* m_suspendResume = nullptr;
    void* m_displayState = nullptr;
};

#endif
