// The bench's hands inside Wine: finds the form of the running prodle.exe (or the baseline's window),
// clicks Start, and measures how long the form's thread takes to answer a message.
//   probe ready prodle|baseline <timeout ms>   waits until the window is there (the form: set up)
//   probe click                                clicks Start
//   probe answers <duration ms> [click]        [clicks Start, then] sends WM_NULL every 10 ms, and
//                                              notes when a message box of the program shows
//   probe close prodle|baseline                posts WM_CLOSE to the main window
//   probe wake                                 announces a sleep and a wake to Prodle's main window, as
//                                              Windows does, and says when the wake was announced
//   probe address-notices <count>              gives the form that many address-change notices at once,
//                                              as the program's watch passes each of Windows' on
// Only one prodle.exe and one baseline run at a time in the bench's Wine prefix, so a window is found
// by its class. Prints key=value lines: times since the Unix epoch in seconds, durations in ms.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "milliseconds.h"

namespace {

constexpr int kStartButton = 1003;
constexpr int kStatusText = 1004;
constexpr UINT kRestoreCommand = 32773;       // the tray menu's Restore, also its double-click
constexpr UINT kAddressNotice = 0x8000 + 56;  // WM_PRODLE_ADDRESS_NOTICE
constexpr DWORD kPollIntervalMs = 10;

// Wall-clock time, comparable with the Linux side's timestamps (both read the system's real-time clock).
double EpochSeconds()
{
    using PreciseTime = void(WINAPI*)(FILETIME*);
    static const auto precise = reinterpret_cast<PreciseTime>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME now;
    if (precise)
        precise(&now);
    else
        ::GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    constexpr unsigned long long kUnixEpochTicks = 116444736000000000ULL;  // 1970-01-01 in 100 ns since 1601
    return static_cast<double>(ticks - kUnixEpochTicks) / 1e7;
}

// Asked of the window itself: GetWindowText does not read another program's controls.
std::string TextOf(HWND window)
{
    char text[256] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 2000,
                          &copied);
    return text;
}

HWND ProdleFrame()
{
    return ::FindWindowA("ProdleFrame", "Prodle");
}

// The form, once its initial update has written the status line (the template holds a space).
HWND ReadyForm()
{
    HWND form = ::FindWindowExA(ProdleFrame(), nullptr, "#32770", nullptr);
    if (!form)
        return nullptr;
    const std::string status = TextOf(::GetDlgItem(form, kStatusText));
    return !status.empty() && status != " " ? form : nullptr;
}

HWND BaselineWindow()
{
    return ::FindWindowA("ProdleBenchBaseline", nullptr);
}

HWND WaitForWindow(HWND (*find)(), DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    do {
        if (HWND window = find())
            return window;
        ::Sleep(20);
    } while (::GetTickCount() - start < timeoutMs);
    return nullptr;
}

int Ready(const std::string& program, DWORD timeoutMs)
{
    HWND window = WaitForWindow(program == "baseline" ? BaselineWindow : ReadyForm, timeoutMs);
    std::printf("ready=%d\n", window ? 1 : 0);
    return window ? 0 : 1;
}

// Shows the window as the tray icon's double-click does (a user clicks Start only on a window that is
// up), lets it settle, then clicks Start as a mouse click does (the button sends BN_CLICKED itself) and
// says when.
void ClickStart(HWND form)
{
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(form, WM_COMMAND, kRestoreCommand, 0, SMTO_NORMAL, 5000, &ignored);
    ::Sleep(500);
    ::SendMessageTimeoutA(form, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    const double epoch = EpochSeconds();
    const double before = MillisecondsNow();
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(::GetDlgItem(form, kStartButton), BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
    std::printf("clicked_at=%.6f\nclick_ms=%.3f\n", epoch, MillisecondsNow() - before);
}

// Sends WM_NULL to the form every 10 ms for the given time and reports how long each answer took.
// A message still unanswered when the time is up ends the run: its wait is a lower bound.
int Answers(DWORD durationMs, bool click)
{
    HWND form = WaitForWindow(ReadyForm, 10000);
    if (!form) {
        std::printf("error=no form\n");
        return 1;
    }
    if (click)
        ClickStart(form);
    std::vector<double> waits;
    const double start = MillisecondsNow();
    const double end = start + durationMs;
    double worstAt = 0, boxAt = -1;
    bool unanswered = false, gone = false;
    for (double sent = start; sent < end; sent = MillisecondsNow()) {
        // A message box of the program (a top-level dialog with its caption; the form is a child).
        if (boxAt < 0 && ::IsWindowVisible(::FindWindowA("#32770", "Prodle")))
            boxAt = sent - start;
        // At least 100 ms: near the end of the run a shorter wait would fail a window that answers at once.
        const DWORD timeout = static_cast<DWORD>(std::max(100.0, end - sent));
        DWORD_PTR result = 0;
        const bool answered = ::SendMessageTimeoutA(form, WM_NULL, 0, 0, SMTO_NORMAL, timeout, &result) != 0;
        const DWORD error = ::GetLastError();
        const double wait = MillisecondsNow() - sent;
        if (waits.empty() || wait > *std::max_element(waits.begin(), waits.end()))
            worstAt = sent - start;
        waits.push_back(wait);
        if (!answered) {
            (error == ERROR_TIMEOUT ? unanswered : gone) = true;
            break;
        }
        const double next = sent + kPollIntervalMs;
        const double now = MillisecondsNow();
        if (next > now)
            ::Sleep(static_cast<DWORD>(next - now));
    }
    std::vector<double> sorted = waits;
    std::sort(sorted.begin(), sorted.end());
    std::printf(
        "polls=%u\nworst_ms=%.3f\nworst_at_ms=%.0f\nmedian_ms=%.3f\nunanswered=%d\ngone=%d\nbox_at_ms=%.0f\n",
        static_cast<unsigned>(sorted.size()), sorted.empty() ? 0.0 : sorted.back(), worstAt,
        sorted.empty() ? 0.0 : sorted[sorted.size() / 2], unanswered ? 1 : 0, gone ? 1 : 0, boxAt);
    if (!unanswered && !gone)
        std::printf("status=%s\n", TextOf(::GetDlgItem(form, kStatusText)).c_str());
    return 0;
}

int Click()
{
    HWND form = WaitForWindow(ReadyForm, 10000);
    if (!form) {
        std::printf("error=no form\n");
        return 1;
    }
    ClickStart(form);
    return 0;
}

int Wake()
{
    HWND frame = ProdleFrame();
    if (!frame) {
        std::printf("error=no frame\n");
        return 1;
    }
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(frame, WM_POWERBROADCAST, PBT_APMSUSPEND, 0, SMTO_NORMAL, 5000, &result);
    const double epoch = EpochSeconds();
    ::SendMessageTimeoutA(frame, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, SMTO_NORMAL, 5000, &result);
    std::printf("woken_at=%.6f\n", epoch);
    return 0;
}

int AddressNotices(int count)
{
    HWND form = WaitForWindow(ReadyForm, 10000);
    if (!form) {
        std::printf("error=no form\n");
        return 1;
    }
    int posted = 0;
    for (int i = 0; i < count; ++i)
        posted += ::PostMessageA(form, kAddressNotice, 0, 0) ? 1 : 0;
    std::printf("posted=%d\n", posted);
    return posted == count ? 0 : 1;
}

int Close(const std::string& program)
{
    HWND window = program == "baseline" ? BaselineWindow() : ProdleFrame();
    if (window)
        ::PostMessageA(window, WM_CLOSE, 0, 0);
    std::printf("closed=%d\n", window ? 1 : 0);
    return window ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    int status = 2;
    if (command == "ready" && argc > 3)
        status = Ready(argv[2], static_cast<DWORD>(std::atoi(argv[3])));
    else if (command == "answers" && argc > 2)
        status =
            Answers(static_cast<DWORD>(std::atoi(argv[2])), argc > 3 && std::strcmp(argv[3], "click") == 0);
    else if (command == "click")
        status = Click();
    else if (command == "close" && argc > 2)
        status = Close(argv[2]);
    else if (command == "wake")
        status = Wake();
    else if (command == "address-notices" && argc > 2)
        status = AddressNotices(std::atoi(argv[2]));
    else
        std::fprintf(stderr, "usage: probe ready|click|answers|close|wake|address-notices ...\n");
    std::fflush(stdout);
    return status;
}
