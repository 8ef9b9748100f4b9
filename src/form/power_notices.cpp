#include "form/power_notices.h"

#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

namespace {

// Declared here: the program is built for Windows XP, whose headers lack them.
constexpr WPARAM kPowerSettingChange = 0x8013;  // PBT_POWERSETTINGCHANGE
constexpr DWORD kNotifyWindowHandle = 0;        // DEVICE_NOTIFY_WINDOW_HANDLE
// GUID_SESSION_DISPLAY_STATUS, Windows 8 and later: 0 off, 1 on, 2 dimmed.
const GUID kSessionDisplayStatus = {
    0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};

// SYSTEM_POWER_CAPABILITIES.AoAc ("always on, always connected": Modern Standby) is its byte 20 from
// Windows 8 on; before, that byte was a spare one, zero. MinGW's header still has the older layout.
constexpr size_t kAoAcByte = 20;
static_assert(sizeof(SYSTEM_POWER_CAPABILITIES) == 76, "the record as every Windows since 2000 fills it");

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

using GetPowerCapabilities = BOOLEAN(WINAPI*)(SYSTEM_POWER_CAPABILITIES*);
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

bool PowerNotices::ModernStandby()
{
    // Loaded from the system's folder for this one question and let go again: a library the program
    // kept would cost memory for as long as it runs.
    char folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const std::string path = std::string(folder, length) + "\\powrprof.dll";
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&::FreeLibrary)> library(
        ::LoadLibraryA(path.c_str()), &::FreeLibrary);
    if (!library)
        return false;
    const auto getCapabilities = reinterpret_cast<GetPowerCapabilities>(
        reinterpret_cast<void*>(::GetProcAddress(library.get(), "GetPwrCapabilities")));
    SYSTEM_POWER_CAPABILITIES capabilities = {};
    if (!getCapabilities || !getCapabilities(&capabilities))
        return false;
    unsigned char bytes[sizeof capabilities];
    std::memcpy(bytes, &capabilities, sizeof bytes);
    return bytes[kAoAcByte] != 0;
}

void PowerNotices::Register(HWND window, bool display)
{
    if (const auto registerSuspendResume = User32<RegisterSuspendResume>("RegisterSuspendResumeNotification"))
        m_suspendResume = registerSuspendResume(window, kNotifyWindowHandle);
    if (!display)
        return;
    if (const auto registerPowerSetting = User32<RegisterPowerSetting>("RegisterPowerSettingNotification"))
        m_displayState = registerPowerSetting(window, &kSessionDisplayStatus, kNotifyWindowHandle);
}

std::optional<bool> PowerNotices::DisplayOn(WPARAM event, LPARAM data)
{
    const auto* setting = reinterpret_cast<const PowerSetting*>(data);
    if (event != kPowerSettingChange || !setting || setting->length < sizeof(DWORD) ||
        std::memcmp(&setting->setting, &kSessionDisplayStatus, sizeof(GUID)) != 0)
        return std::nullopt;
    DWORD state = 0;
    std::memcpy(&state, setting->data, sizeof state);
    return state != 0;
}
