// The History window as a user meets it: opened from the menus with a known day in the book, it sums the
// day up, tells a bar's details under the pointer and under the keyboard's selection (to screen readers
// too, as the strip's name), marks failures with more than a colour, copies the history and opens the
// log; while open it follows the book.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/resource.h"
#include "engine/engine_driver.h"
#include "form/file_journal.h"
#include "framework/calendar.h"
#include "history/history_book.h"
#include "history/history_window.h"
#include "support/dialog_script.h"
#include "support/form.h"
#include "support/program.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

constexpr size_t kDayProdles = 480;
constexpr const char* kSilentServer = "www.example.com";
constexpr COLORREF kFailureRed = RGB(204, 0, 0);

// A day of the real engine on a virtual clock: a prodle every three minutes to one of two servers picked
// at random, replies in 30 to 60 ms with a slow one now and then, and one server that stops answering
// for 45 minutes (its handshake goes unanswered until the connect's bound; the other server takes over)
// and comes back. Then the link goes down twice: three hours later no server answers for 20 minutes, and
// three hours after that two prodles in a row go unanswered. Shifted so that its last prodle was 40 s ago.
std::vector<ProdleRecord> ADayOfTheEngine(int64_t now)
{
    EngineDriver day;
    EngineDriver::Settings settings = EngineDriver::Stored({kSilentServer, "www.example.org"});
    settings.often = "3";
    settings.options.ignoreFailures = true;
    settings.options.randomHost = true;
    day.Launch(settings);
    day.StartCounting();
    const uint64_t silenceFrom = day.world.now + 15 * 3600 * 1000, silenceTo = silenceFrom + 45 * 60 * 1000;
    const uint64_t downFrom = silenceFrom + 3 * 3600 * 1000, downTo = downFrom + 20 * 60 * 1000;
    const uint64_t blipFrom = downFrom + 3 * 3600 * 1000;
    int blipFailures = 2;
    unsigned noise = 1;
    const auto jitter = [&noise](unsigned range) {
        noise = noise * 1103515245u + 12345u;
        return static_cast<uint64_t>((noise >> 16) % range);
    };
    for (size_t step = 0; day.world.history.size() < kDayProdles && step < 10 * kDayProdles; ++step) {
        const NetworkRequest* connection = day.world.Open(NetworkRequest::Kind::Connection);
        if (day.world.Open(NetworkRequest::Kind::Host)) {
            day.AnswerHost(true);
        } else if (!connection) {
            day.ProdleGoesOut();
        } else if ((connection->host == kSilentServer && day.world.now >= silenceFrom &&
                    day.world.now < silenceTo) ||
                   (day.world.now >= downFrom && day.world.now < downTo) ||
                   (day.world.now >= blipFrom && blipFailures-- > 0)) {
            day.Advance(EngineDriver::DefaultParameters().connectBoundMs);
        } else {
            day.Advance(5 + jitter(10));
            day.Connect();
            day.Advance(jitter(40) == 0 ? 120 + jitter(2000) : 25 + jitter(30));
            day.Reply();
            day.ServerCloses();  // HTTP/1.0: the reply ends with the connection
        }
    }
    std::vector<ProdleRecord> records = day.world.history;
    const int64_t shift = now - 40 - records.back().startedAt;
    for (ProdleRecord& record : records)
        record.startedAt += shift;
    return records;
}

void WriteHistoryFile(const std::wstring& path, const std::vector<ProdleRecord>& records)
{
    std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
    for (const ProdleRecord& record : records)
        file << FormatRecord(record) << "\r\n";
}

// A record's time, in this computer's zone or in UTC, as "YYYY-MM-DD HH:MM:SS".
std::string TimeText(int64_t startedAt, bool local)
{
    const ULONGLONG ticks = (static_cast<ULONGLONG>(startedAt) + 11644473600ULL) * 10000000ULL;
    FILETIME time = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    if (local) {
        const FILETIME utc = time;
        ::FileTimeToLocalFileTime(&utc, &time);
    }
    SYSTEMTIME parts = {};
    ::FileTimeToSystemTime(&time, &parts);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", parts.wYear, parts.wMonth, parts.wDay,
                  parts.wHour, parts.wMinute, parts.wSecond);
    return text;
}

// The word for a failure's outcome: the prodles here fail only by a refused (or unanswered) connect.
std::string FailureWord(const ProdleRecord& record)
{
    return record.outcome == ProdleOutcome::Refused ? "refused" : "(an outcome this test does not make)";
}

// What the window says of a record: its time in this computer's zone, host, address and outcome.
std::string Expected(const ProdleRecord& record)
{
    const std::string address = record.address.empty() ? "" : " (" + record.address + ")";
    const std::string outcome =
        record.Succeeded() ? "reply in " + std::to_string(record.replyMs) + " ms" : FailureWord(record);
    return TimeText(record.startedAt, true) + ", " + record.host + address + ": " + outcome;
}

// The history as the clipboard takes it: a header, then a line for each record, its time in UTC.
std::string ExpectedCopy(const std::vector<ProdleRecord>& records)
{
    std::string text = "Time (UTC)\tHost\tAddress\tOutcome\tReply (ms)\r\n";
    for (const ProdleRecord& record : records) {
        text +=
            TimeText(record.startedAt, false) + "\t" + record.host + "\t" + record.address + "\t" +
            (record.Succeeded() ? "reply\t" + std::to_string(record.replyMs) : FailureWord(record) + "\t") +
            "\r\n";
    }
    return text;
}

// The History windows of this process.
std::vector<HWND> HistoryWindows()
{
    return TopLevelWindows(::GetCurrentProcessId(), "History", "#32770");
}

HWND VisibleTooltip()
{
    struct Found {
        HWND tooltip = nullptr;
        static BOOL CALLBACK Each(HWND window, LPARAM self)
        {
            char className[32] = {};
            ::GetClassNameA(window, className, sizeof className);
            if (std::string(className) == TOOLTIPS_CLASSA && ::IsWindowVisible(window))
                reinterpret_cast<Found*>(self)->tooltip = window;
            return TRUE;
        }
    } found;
    ::EnumThreadWindows(::GetCurrentThreadId(), Found::Each, reinterpret_cast<LPARAM>(&found));
    return found.tooltip;
}

std::string ClipboardText()
{
    std::string text;
    if (!::OpenClipboard(nullptr))
        return "(the clipboard could not be opened)";
    if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(::GlobalLock(data)))
            text = bytes;
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

// What a screen reader hears of a window while this lives: the name of its client area (the object a
// focus event names) at each name change that this thread's windows announce, as a reader asks for it.
class AnnouncedNames {
public:
    explicit AnnouncedNames(HWND window)
        : m_hook(::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, OnEvent,
                                   ::GetCurrentProcessId(), ::GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT))
    {
        s_window = window;
        s_names.clear();
    }
    AnnouncedNames(const AnnouncedNames&) = delete;
    AnnouncedNames& operator=(const AnnouncedNames&) = delete;
    ~AnnouncedNames() { ::UnhookWinEvent(m_hook); }
    bool IsHooked() const { return m_hook != nullptr; }
    const std::vector<std::string>& Names() const { return s_names; }

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
    {
        if (window != s_window || object != OBJID_CLIENT)
            return;
        IAccessible* accessible = nullptr;
        VARIANT item = {};
        BSTR name = nullptr;
        std::string text = "(no accessible object)";
        if (SUCCEEDED(::AccessibleObjectFromEvent(window, object, child, &accessible, &item))) {
            char narrow[512] = {};
            if (accessible->get_accName(item, &name) == S_OK)
                ::WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr);
            text = narrow;
            ::SysFreeString(name);
            ::VariantClear(&item);
            accessible->Release();
        }
        s_names.push_back(text);
    }
    static inline HWND s_window = nullptr;
    static inline std::vector<std::string> s_names;
    HWINEVENTHOOK m_hook;
};

// What a window shows, pixel by pixel, as drawn.
class Drawn {
public:
    explicit Drawn(HWND window) : m_window(window), m_dc(::GetDC(window))
    {
        ::GetClientRect(window, &client);
    }
    Drawn(const Drawn&) = delete;
    Drawn& operator=(const Drawn&) = delete;
    ~Drawn() { ::ReleaseDC(m_window, m_dc); }
    COLORREF At(int x, int y) const { return ::GetPixel(m_dc, x, y); }
    // Whether the column shows this colour between its top and bottom edge (the focus frame left out).
    bool ColumnHas(int x, COLORREF colour) const
    {
        for (int y = 2; y < client.bottom - 2; ++y) {
            if (At(x, y) == colour)
                return true;
        }
        return false;
    }
    RECT client = {};

private:
    HWND m_window;
    HDC m_dc;
};

class HistoryWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        RemoveBaseKey();
        SetSetting("AutoStart", "0");
        SetSetting("ComboName0", "127.0.0.3");
        ::DeleteFileW(HistoryBook().Path().c_str());
    }
    void TearDown() override
    {
        App().Stop();
        RemoveBaseKey();
        ::DeleteFileW(HistoryBook().Path().c_str());
    }
    static void Command(HWND window, int id)
    {
        ::SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(id), 0);
    }
    // A key as the user presses it on the focused control, through the program's message loop.
    static void Press(WPARAM key)
    {
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, key, 1);
        ::PostMessageA(::GetFocus(), WM_KEYUP, key, 0xC0000001);
        PumpPending();
    }
};

TEST_F(HistoryWindowTest, ShowsAKnownDayFromTheMenusToTheMouseTheKeysAndTheClipboard)
{
    const std::vector<ProdleRecord> day = ADayOfTheEngine(EpochSecondsNow());
    WriteHistoryFile(HistoryBook().Path(), day);
    ASSERT_TRUE(App().Start());
    HWND main = App().MainWindow();
    EXPECT_NE(::GetMenuState(::GetMenu(main), ID_HISTORY, MF_BYCOMMAND), static_cast<UINT>(-1));
    HMENU tray = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    EXPECT_NE(::GetMenuState(tray, ID_HISTORY, MF_BYCOMMAND), static_cast<UINT>(-1));
    ::DestroyMenu(tray);

    // One window, however often it is asked for: the second time it comes to the front.
    Command(App().Form(), ID_HISTORY);
    ::SetForegroundWindow(main);
    Command(App().Form(), ID_HISTORY);
    PumpPending();
    const std::vector<HWND> windows = HistoryWindows();
    ASSERT_EQ(windows.size(), 1u);
    HWND history = windows[0];
    EXPECT_EQ(::GetForegroundWindow(), history);
    HWND strip = ::GetDlgItem(history, IDC_HISTORY_STRIP);
    EXPECT_EQ(WindowText(strip), "Recent prodles: " + Expected(day.back())) << "the name a reader hears";

    const std::string summary = ControlText(history, IDC_HISTORY_SUMMARY);
    EXPECT_EQ(summary.rfind(
                  "480 prodles in the last 24 hours, 65 failed; 2 outages, 19 min in all; replies in ", 0),
              0u)
        << summary;
    EXPECT_EQ(summary, SummaryText(Summarize(day, EpochSecondsNow())));

    // The keyboard: the strip has the focus, with the newest prodle selected; Tab leaves and comes back.
    EXPECT_EQ(::GetFocus(), strip);
    EXPECT_EQ(ControlText(history, IDC_HISTORY_DETAILS), Expected(day.back()));
    {
        // A screen reader is told the selection's new text as the strip's name.
        const AnnouncedNames announced(strip);
        ASSERT_TRUE(announced.IsHooked());
        Press(VK_LEFT);
        PumpUntil([&] { return !announced.Names().empty(); });
        EXPECT_EQ(announced.Names(),
                  std::vector<std::string>{"Recent prodles: " + Expected(day[kDayProdles - 2])});
    }
    EXPECT_EQ(ControlText(history, IDC_HISTORY_DETAILS), Expected(day[kDayProdles - 2]));
    Press(VK_HOME);
    EXPECT_EQ(ControlText(history, IDC_HISTORY_DETAILS), Expected(day.front()));
    Press(VK_RIGHT);
    EXPECT_EQ(ControlText(history, IDC_HISTORY_DETAILS), Expected(day[1]));
    Press(VK_END);
    Press(VK_RIGHT);
    EXPECT_EQ(ControlText(history, IDC_HISTORY_DETAILS), Expected(day.back()));
    ::SetFocus(::GetDlgItem(history, IDCANCEL));
    Press(VK_TAB);
    EXPECT_EQ(::GetFocus(), strip) << "the strip is not in the Tab order";

    // Failures: full-height red bars, each with a mark above it that a reply's bar has not.
    ::RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const Drawn pixels(strip);
    const int middle = pixels.client.bottom / 2;
    int firstRed = 0;
    while (firstRed < pixels.client.right && pixels.At(firstRed, middle) != kFailureRed)
        ++firstRed;
    ASSERT_LT(firstRed, pixels.client.right) << "no failure in red";
    const COLORREF ink = ::GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_TRUE(pixels.ColumnHas(firstRed, ink)) << "a failure without its mark";
    EXPECT_TRUE(pixels.ColumnHas(firstRed - 40, ::GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_FALSE(pixels.ColumnHas(firstRed - 40, ink)) << "a reply marked as a failure";
    // Outages: a line under each run of failed bars, whole, and none under a lone failure's.
    int barBottom = middle;
    while (barBottom + 1 < pixels.client.bottom && pixels.At(firstRed, barBottom + 1) == kFailureRed)
        ++barBottom;
    const auto red = [&](int x) { return pixels.At(x, barBottom) == kFailureRed; };
    const auto underlined = [&](int x) {
        for (int y = barBottom + 1; y <= barBottom + 4; ++y) {
            if (pixels.At(x, y) == ink)
                return true;
        }
        return false;
    };
    int failureRuns = 0, underlinedRuns = 0;
    for (int x = 2; x < pixels.client.right - 2; ++x) {  // the focus frame left out
        EXPECT_TRUE(!underlined(x) || red(x)) << "a line under a reply's bar at " << x;
        if (!red(x) || red(x - 1))
            continue;
        ++failureRuns;
        int end = x;
        while (red(end + 1))
            ++end;
        if (underlined(x))
            ++underlinedRuns;
        EXPECT_EQ(underlined(x), underlined(end)) << "a line under part of the failures at " << x;
    }
    EXPECT_EQ(failureRuns, 14) << "twelve lone failures and two outages";
    EXPECT_EQ(underlinedRuns, 2);
    EXPECT_FALSE(underlined(firstRed)) << "a lone failure marked as an outage";
    const size_t firstFailure = static_cast<size_t>(
        std::find_if(day.begin(), day.end(), [](const ProdleRecord& r) { return !r.Succeeded(); }) -
        day.begin());

    // The mouse on the first failure's bar: its tooltip tells which prodle that was.
    POINT onSilence = {firstRed, middle};
    ::ClientToScreen(strip, &onSilence);
    const auto pointAtTheSilence = [&] {
        MoveMouseTo({onSilence.x - 60, onSilence.y});
        PumpPending();
        MoveMouseTo(onSilence);
    };
    pointAtTheSilence();
    HWND tooltip = nullptr;
    EXPECT_TRUE(
        PumpUntil([&] { return (tooltip = VisibleTooltip()) != nullptr && !WindowText(tooltip).empty(); }));
    const std::string tip = tooltip ? WindowText(tooltip) : "(no tooltip)";
    EXPECT_EQ(tip, Expected(day[firstFailure]));
    // A click selects the bar under the pointer: its details are the tooltip's text.
    PressLeftButton(true);
    PressLeftButton(false);
    PumpPending();
    EXPECT_EQ(ControlText(history, IDC_HISTORY_DETAILS), tip);
    // The picture, with the tooltip up again. Wine shows what a window painted once its thread waits for
    // messages again.
    pointAtTheSilence();
    PumpUntil([&] { return (tooltip = VisibleTooltip()) != nullptr; });
    PumpFor(300);
    RECT shot = {}, tipArea = {};
    ::GetWindowRect(history, &shot);
    if (tooltip && ::IsWindowVisible(tooltip) && ::GetWindowRect(tooltip, &tipArea))
        ::UnionRect(&shot, &shot, &tipArea);
    SaveScreenArea(shot, "history");

    PressButton(history, IDC_HISTORY_COPY);
    PumpPending();
    const std::string copied = ClipboardText();
    EXPECT_TRUE(copied == ExpectedCopy(day)) << copied.substr(0, 300);
    PressButton(history, IDC_HISTORY_OPEN_LOG);
    PumpPending();
    ASSERT_FALSE(App().openedFiles.empty());
    EXPECT_EQ(App().openedFiles.back(), FileJournal().Path());

    // Escape closes it; the menu opens it again.
    Press(VK_ESCAPE);
    EXPECT_FALSE(::IsWindow(history));
    Command(App().Form(), ID_HISTORY);
    EXPECT_EQ(HistoryWindows().size(), 1u);
}

TEST_F(HistoryWindowTest, FollowsTheBookWhileOpen)
{
    const std::wstring path = TempFilePath(L"prodle-history-test.dat");
    // A full book: each record added pushes the oldest out.
    const int64_t now = EpochSecondsNow();
    std::vector<ProdleRecord> full;
    for (size_t i = 0; i < kHistoryLength; ++i)
        full.push_back({now - 60 * static_cast<int64_t>(kHistoryLength - i), "127.0.0.1", "127.0.0.1",
                        ProdleOutcome::Reply, 10 + static_cast<int>(i % 90)});
    WriteHistoryFile(path, full);
    HistoryBook book(path);
    ASSERT_EQ(book.Records().size(), kHistoryLength);
    int logsOpened = 0;
    HistoryWindow window(book, [&] { ++logsOpened; });
    window.Open();
    ASSERT_TRUE(window.IsOpen());
    HWND strip = ::GetDlgItem(window, IDC_HISTORY_STRIP);
    const auto details = [&] { return ControlText(window, IDC_HISTORY_DETAILS); };
    const auto summary = [&] { return ControlText(window, IDC_HISTORY_SUMMARY); };
    ::SendMessageA(strip, WM_KEYDOWN, VK_LEFT, 0);
    const std::string selected = details();
    EXPECT_EQ(selected, Expected(full[kHistoryLength - 2]));

    ProdleRecord failed = {now, "127.0.0.1", "127.0.0.1", ProdleOutcome::Refused, -1};
    PumpPending();
    ::ValidateRect(strip, nullptr);
    book.Record(failed);
    EXPECT_TRUE(::GetUpdateRect(strip, nullptr, FALSE)) << "the strip was not told to redraw";
    EXPECT_EQ(details(), selected) << "the selection left its record";
    EXPECT_NE(summary().find(", 1 failed"), std::string::npos) << summary();
    ::SendMessageA(strip, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(details(), Expected(failed));
    // On the newest, the selection goes with the next newest.
    ProdleRecord next = {now + 1, "127.0.0.1", "127.0.0.1", ProdleOutcome::Reply, 77};
    book.Record(next);
    EXPECT_EQ(details(), Expected(next));

    PressButton(window, IDC_HISTORY_OPEN_LOG);
    PumpPending();
    EXPECT_EQ(logsOpened, 1);
    PressButton(window, IDCANCEL);
    PumpPending();
    EXPECT_FALSE(window.IsOpen());
    ::DeleteFileW(path.c_str());
}

}  // namespace
