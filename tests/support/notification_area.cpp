#include "support/notification_area.h"

#include <algorithm>
#include <cstring>

namespace {

ShellNotifyRecorder* g_recorder = nullptr;

const auto RealShellNotify = [] {
    return RealFunction<decltype(&::Shell_NotifyIconA)>("shell32.dll", "Shell_NotifyIconA");
};

NOTIFYICONDATAA Record(HWND owner, UINT id)
{
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = owner;
    record.uID = id;
    record.uFlags = NIF_ICON;
    record.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
    return record;
}

}  // namespace

void KeepNotificationAreaOpen()
{
    static bool added = false;
    if (added)
        return;
    HWND owner =
        ::CreateWindowExA(0, "STATIC", "tray keeper", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    NOTIFYICONDATAA record = Record(owner, 1);
    added = owner && ::Shell_NotifyIconA(NIM_ADD, &record);
}

bool ShellHasIcon(HWND owner, UINT id)
{
    NOTIFYICONDATAA record = Record(owner, id);
    record.uFlags = 0;
    return ::Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

bool ForgetIcon(HWND owner, UINT id)
{
    NOTIFYICONDATAA record = Record(owner, id);
    return ::Shell_NotifyIconA(NIM_DELETE, &record) != FALSE;
}

ShellNotifyRecorder::ShellNotifyRecorder(bool everyCall)
    : m_everyCall(everyCall),
      m_patch({"shell32.dll"}, "Shell_NotifyIconA", reinterpret_cast<void*>(&ShellNotifyRecorder::StandIn))
{
    g_recorder = this;
}

ShellNotifyRecorder::~ShellNotifyRecorder()
{
    g_recorder = nullptr;
}

std::vector<ShellNotifyRecorder::Call> ShellNotifyRecorder::CallsFor(HWND owner) const
{
    std::vector<Call> calls;
    for (const Call& call : m_calls)
        if (call.record.hWnd == owner)
            calls.push_back(call);
    return calls;
}

std::string ShellNotifyRecorder::LastTip(HWND owner) const
{
    const auto shown = m_shown.find(owner);
    return shown == m_shown.end() ? std::string() : shown->second.tip;
}

HICON ShellNotifyRecorder::LastIcon(HWND owner) const
{
    const auto shown = m_shown.find(owner);
    return shown == m_shown.end() ? nullptr : shown->second.icon;
}

void ShellNotifyRecorder::Note(DWORD message, const NOTIFYICONDATAA& record)
{
    if (m_everyCall || (record.uFlags & NIF_INFO))
        m_calls.push_back({message, record});
    if (message == NIM_DELETE)
        return;
    Shown& shown = m_shown[record.hWnd];
    if (record.uFlags & NIF_TIP)
        shown.tip = record.szTip;
    if (record.uFlags & NIF_ICON)
        shown.icon = record.hIcon;
}

BOOL WINAPI ShellNotifyRecorder::StandIn(DWORD message, PNOTIFYICONDATAA data)
{
    if (!g_recorder)
        return RealShellNotify()(message, data);
    NOTIFYICONDATAA record = {};
    if (data)
        std::memcpy(&record, data, std::min<size_t>(data->cbSize, sizeof record));
    g_recorder->Note(message, record);
    return g_recorder->refuse ? FALSE : RealShellNotify()(message, data);
}

bool FindNewestTrayIcon(RECT* areaWindow, RECT* icon)
{
    HWND area = ::FindWindowA(nullptr, "Wine System Tray");
    if (!area || !::GetWindowRect(area, areaWindow))
        return false;
    bool found = false;
    for (HWND child = ::GetWindow(area, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        if (::IsWindowVisible(child) && ::GetWindowRect(child, &rect) && (!found || rect.left > icon->left)) {
            *icon = rect;
            found = true;
        }
    }
    return found;
}

int TrayIconCount()
{
    int count = 0;
    if (HWND area = ::FindWindowA(nullptr, "Wine System Tray"))
        for (HWND child = ::GetWindow(area, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            count += ::IsWindowVisible(child) ? 1 : 0;
    return count;
}

std::vector<DWORD> IconPixels(HICON icon, int size, DWORD background)
{
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = size;
    header.bmiHeader.biHeight = -size;  // top-down
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP canvas = ::CreateDIBSection(dc, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(dc, canvas);
    auto* pixels = static_cast<DWORD*>(bits);
    std::fill_n(pixels, size * size, background);
    ::DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    ::GdiFlush();
    std::vector<DWORD> rgb(pixels, pixels + size * size);
    for (DWORD& pixel : rgb)
        pixel &= 0xFFFFFF;
    ::SelectObject(dc, previous);
    ::DeleteObject(canvas);
    ::DeleteDC(dc);
    return rgb;
}
