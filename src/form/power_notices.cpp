#include "form/power_notices.h"

#include <cstring>

namespace {

// Declared here: the program is built for Windows XP, whose headers lack them.
constexpr WPARAM kPowerSettingChange = 0x8013;  // PBT_POWERSETTINGCHANGE
constexpr DWORD kNotifyWindowHandle = 0;        // DEVICE_NOTIFY_WINDOW_HANDLE
// GUID_CONSOLE_DISPLAY_STATE: 0 off, 1 on, 2 dimmed.
const GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

struct PowerSetting {  // POWERBROADCAST_SETTING
    GUID setting;
    DWORD length;
    unsigned char data[1];
};

template <class Function>
Function User32(const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), name)));
}

using RegisterSuspendResume = void*(WINAPI*)(HANDLE, DWORD);
using RegisterPowerSetting = void*(WINAPI*)(HANDLE, const GUID*, DWORD);
using Unregister = BOOL(WINAPI*)(void*);

}  // namespace

PowerNotices::~PowerNotices()
{
    if (m_suspendResume)
        if (const auto unregister = User32<Unregister>("UnregisterSuspendResumeNotification"))
            unregister(m_suspendResume);
    if (m_displayState)
        if (const auto unregister = User32<Unregister>("UnregisterPowerSettingNotification"))
            unregister(m_displayState);
}

void PowerNotices::Register(HWND window)
{
    if (const auto registerSuspendResume = User32<RegisterSuspendResume>("RegisterSuspendResumeNotification"))
        m_suspendResume = registerSuspendResume(window, kNotifyWindowHandle);
    if (const auto registerPowerSetting = User32<RegisterPowerSetting>("RegisterPowerSettingNotification"))
        m_displayState = registerPowerSetting(window, &kConsoleDisplayState, kNotifyWindowHandle);
}

std::optional<bool> PowerNotices::DisplayOn(WPARAM event, LPARAM data)
{
    const auto* setting = reinterpret_cast<const PowerSetting*>(data);
    if (event != kPowerSettingChange || !setting || setting->length < sizeof(DWORD) ||
        std::memcmp(&setting->setting, &kConsoleDisplayState, sizeof(GUID)) != 0)
        return std::nullopt;
    DWORD state = 0;
    std::memcpy(&state, setting->data, sizeof state);
    return state != 0;
}
