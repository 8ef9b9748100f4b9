// The bench's yardstick: an empty tray program. It does what any program of Prodle's kind must do
// (start Windows Sockets and the common controls, put an icon in the notification area, wait in a
// message loop) and nothing more, so that scripts/bench.sh can show what Prodle costs beyond that.
// It ends when its hidden window gets WM_CLOSE.
//   baseline.exe [--timer]   --timer: a one-second timer runs too, and does nothing: the wake-ups that
//                             any program ticking every second costs
#include <winsock.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstring>

namespace {

constexpr char kClassName[] = "ProdleBenchBaseline";
constexpr UINT kTrayCallback = WM_APP + 100;
constexpr UINT kTrayIconId = 1;
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerIntervalMs = 1000;

LRESULT CALLBACK BaselineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER)  // --timer's tick: nothing to do
        return 0;
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// The tray icon, removed again when the program ends.
class TrayIcon {
public:
    explicit TrayIcon(HWND owner)
    {
        std::memset(&m_record, 0, sizeof m_record);
        m_record.cbSize = NOTIFYICONDATAA_V1_SIZE;  // the record size Prodle uses
        m_record.hWnd = owner;
        m_record.uID = kTrayIconId;
        m_record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        m_record.uCallbackMessage = kTrayCallback;
        m_record.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
        std::strcpy(m_record.szTip, "Baseline");
        m_added = ::Shell_NotifyIconA(NIM_ADD, &m_record) != FALSE;
    }
    ~TrayIcon()
    {
        if (m_added)
            ::Shell_NotifyIconA(NIM_DELETE, &m_record);
    }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

private:
    NOTIFYICONDATAA m_record;
    bool m_added = false;
};

class WindowsSockets {
public:
    WindowsSockets()
    {
        WSADATA data;
        m_started = ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    ~WindowsSockets()
    {
        if (m_started)
            ::WSACleanup();
    }
    WindowsSockets(const WindowsSockets&) = delete;
    WindowsSockets& operator=(const WindowsSockets&) = delete;

private:
    bool m_started = false;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    WindowsSockets sockets;
    ::InitCommonControls();

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BaselineWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassA(&windowClass))
        return 1;
    HWND window = ::CreateWindowExA(0, kClassName, "Baseline", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;

    TrayIcon icon(window);
    if (std::strstr(commandLine, "--timer"))  // ends with the window
        ::SetTimer(window, kTimerId, kTimerIntervalMs, nullptr);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}
