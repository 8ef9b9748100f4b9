// The form as the engine's Windows side, in the real program: what the user types and clicks reaches the
// engine, its timers are the window's, its boxes open from the message loop one at a time, its countdown
// ticks only while someone can see it, and sleep and wake come through the frame. Real time passes here
// (a prodle goes a second after its countdown starts); how the engine decides is tested without Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/resource.h"
#include "form/file_journal.h"
#include "form/form_ids.h"
#include "form/prodle_view.h"
#include "history/history_book.h"
#include "support/form.h"
#include "support/import_patch.h"
#include "support/loopback_server.h"
#include "support/notification_area.h"
#include "support/program.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

// The log's text from `offset` on.
std::string LogFrom(size_t offset)
{
    std::ifstream log(FileJournal().Path().c_str(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    return offset < text.size() ? text.substr(offset) : std::string();
}

// The machine's power capabilities, which the program looks up at run time (GetPwrCapabilities), and its
// tick count, ahead of the real one by as much as the test lets pass: Wine has no Modern Standby, and no
// test waits minutes. In the capabilities, AoAc (byte 20) says the one and every other byte the opposite.
bool g_modernStandby = false;
DWORD g_ticksAhead = 0;
const auto g_realLookUp = RealFunction<FARPROC(WINAPI*)(HMODULE, LPCSTR)>("kernel32.dll", "GetProcAddress");
const auto g_realTick = RealFunction<DWORD(WINAPI*)()>("kernel32.dll", "GetTickCount");

BOOLEAN WINAPI PowerCapabilities(SYSTEM_POWER_CAPABILITIES* capabilities)
{
    std::memset(capabilities, !g_modernStandby, sizeof *capabilities);
    reinterpret_cast<BYTE*>(capabilities)[20] = g_modernStandby;
    return TRUE;
}

// The notice of IPv6 changes of Windows Vista and later, as the system gives it (Wine's never comes): its
// callback and context kept, for the test to call as the system's thread does.
struct Ipv6Notice {
    void(WINAPI* callback)(void*, void*, int) = nullptr;
    void* context = nullptr;
    USHORT family = 0;
} g_ipv6Notice;

DWORD WINAPI NotifyIpv6(USHORT family, void(WINAPI* callback)(void*, void*, int), void* context, BOOLEAN,
                        HANDLE* notice)
{
    g_ipv6Notice = {callback, context, family};
    *notice = reinterpret_cast<HANDLE>(&g_ipv6Notice);
    return NO_ERROR;
}

DWORD WINAPI CancelIpv6Notice(HANDLE)
{
    g_ipv6Notice = {};
    return NO_ERROR;
}

FARPROC WINAPI LookUp(HMODULE module, LPCSTR name)
{
    const std::pair<const char*, void*> standIns[] = {
        {"GetPwrCapabilities", reinterpret_cast<void*>(&PowerCapabilities)},
        {"NotifyUnicastIpAddressChange", reinterpret_cast<void*>(&NotifyIpv6)},
        {"CancelMibChangeNotify2", reinterpret_cast<void*>(&CancelIpv6Notice)},
    };
    for (const auto& [function, standIn] : standIns)
        if (reinterpret_cast<ULONG_PTR>(name) > 0xffff && std::strcmp(name, function) == 0)
            return reinterpret_cast<FARPROC>(standIn);
    return g_realLookUp(module, name);
}

DWORD WINAPI TickAhead()
{
    return g_realTick() + g_ticksAhead;
}

// The lines of the program's log that hold this text.
size_t LogLines(const std::string& text)
{
    std::ifstream log(FileJournal().Path().c_str());
    size_t count = 0;
    for (std::string line; std::getline(log, line);)
        count += line.find(text) != std::string::npos ? 1 : 0;
    return count;
}

// The system's address-change notice as Windows gives it (Wine's is never signalled), refusing while
// `refusals` last; the event it would signal and the time of each ask are kept.
struct NoticeAsks {
    HANDLE event = nullptr;
    int refusals = 0;
    std::vector<DWORD> ticks;
} g_asks;

DWORD WINAPI RefusingNotifyAddrChange(HANDLE* handle, OVERLAPPED* overlapped)
{
    g_asks.ticks.push_back(::GetTickCount());
    g_asks.event = overlapped->hEvent;
    if (g_asks.refusals > 0) {
        --g_asks.refusals;
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return RealFunction<decltype(&RefusingNotifyAddrChange)>("iphlpapi.dll", "NotifyAddrChange")(handle,
                                                                                                 overlapped);
}

// What four pixels of a tray picture show, drawn at the small-icon size (16 px here): a spot of the
// hand, and on the line through the middle of the down link's mark its white X, red disc and dark ring.
std::string MarkPixels(HICON icon)
{
    constexpr int kSize = 16;
    const std::vector<DWORD> pixels = IconPixels(icon, kSize, 0x808080);
    std::string names;
    for (const auto& [x, y] : {std::pair{5, 9}, {11, 11}, {13, 11}, {15, 11}}) {
        const DWORD rgb = pixels[static_cast<size_t>(y * kSize + x)];
        names += std::string(names.empty() ? "" : " ") + (rgb == 0xFFFFFF   ? "white"
                                                          : rgb == 0xFF0000 ? "red"
                                                          : rgb == 0x00FF00 ? "green"
                                                          : rgb == 0        ? "black"
                                                                            : "other");
    }
    return names;
}

// The texts of the balloons the shell was handed for this window.
std::vector<std::string> Balloons(const ShellNotifyRecorder& shell, HWND owner)
{
    std::vector<std::string> texts;
    for (const ShellNotifyRecorder::Call& call : shell.CallsFor(owner))
        if (call.record.uFlags & NIF_INFO)
            texts.push_back(std::string(call.record.szInfoTitle) + ": " + call.record.szInfo);
    return texts;
}

// What the timer saw of the tray menu's "Notify When the Link Goes Down" while the menu was up.
int g_noticesItem = -1;

void CALLBACK ReadNoticesItem(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    const auto menu = reinterpret_cast<HMENU>(
        ::SendMessageA(::FindWindowA("#32768", nullptr), 0x01E1, 0, 0));  // MN_GETHMENU
    const UINT state = ::GetMenuState(menu, ID_TRAY_LINK_NOTICES, MF_BYCOMMAND);
    g_noticesItem = state == ~0u ? -1 : (state & MF_CHECKED) != 0;
    ::EndMenu();
}

// The waits the network watch arms before it asks for a refused notice again.
std::vector<UINT> g_rearmWaits;

UINT_PTR WINAPI RecordingSetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure)
{
    if (id == TIMER_NETWORK_REARM)
        g_rearmWaits.push_back(elapse);
    return RealFunction<decltype(&RecordingSetTimer)>("user32.dll", "SetTimer")(window, id, elapse,
                                                                                procedure);
}

class Form : public testing::Test {
protected:
    void SetUp() override
    {
        KeepNotificationAreaOpen();
        RemoveBaseKey();
        RemoveIniFile();
        SetSetting("AutoStart", "0");
        SetSetting("ComboName0", "127.0.0.2");
        SetSetting("ComboName1", "127.0.0.1");
    }
    void TearDown() override
    {
        App().onBox = nullptr;
        App().Stop();
        EXPECT_EQ(App().GetWaitCursorCount(), 0);
        RemoveBaseKey();
    }
    void Start()
    {
        ASSERT_TRUE(App().Start());
        form = App().Form();
    }
    void Press(int id) const { ::SendMessageA(form, WM_COMMAND, static_cast<WPARAM>(id), 0); }
    std::string Text(int id) const { return ControlText(form, id); }
    Phase CurrentPhase() const { return App().View()->Engine()->CurrentPhase(); }
    static bool Waits(const std::function<bool()>& done, DWORD ms = 5000) { return PumpUntil(done, ms); }

    HWND form = nullptr;
    ShellNotifyRecorder shell{false};
};

TEST_F(Form, WhatTheUserTypesAndClicksReachesTheEngineAndItsAnswerShows)
{
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    Start();
    SetControlText(form, IDC_EDIT_OFTEN, "7");
    // Picked from the list: the combo box tells its parent, as a user's pick does.
    ::SendDlgItemMessageA(form, IDC_COMBO_HOSTS, CB_SETCURSEL, 1, 0);
    ::SendMessageA(form, WM_COMMAND, MAKEWPARAM(IDC_COMBO_HOSTS, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(::GetDlgItem(form, IDC_COMBO_HOSTS)));
    Press(IDC_BUTTON_START);
    EXPECT_EQ(Text(IDC_STATIC_STATUS), "Determining Local IP Address");
    EXPECT_EQ(App().GetWaitCursorCount(), 1);
    ASSERT_TRUE(Waits([&] { return server.Finished() == 1 && CurrentPhase() == Phase::CountingDown; }))
        << Text(IDC_STATIC_STATUS) << " " << PhaseName(CurrentPhase()) << " "
        << App().View()->Engine()->NextProdleHost();
    EXPECT_EQ(Text(IDC_STATIC_STATUS).rfind("Prodle completed at ", 0), 0u) << Text(IDC_STATIC_STATUS);
    EXPECT_EQ(Text(IDC_STATIC_COUNTDOWN), " 7:00");
    EXPECT_EQ(Setting("Often"), "7");
    EXPECT_EQ(Setting("ComboNameSel"), "1");
    // The log in the user's local application data folder says so.
    EXPECT_NE(LogFrom(0).rfind("Start, host 127.0.0.1, every 7 minutes"), std::string::npos)
        << FileJournal().Path();
    EXPECT_EQ(shell.LastIcon(form), AfxGetApp()->LoadSmallIcon(IDI_RUNNING));

    // A host typed into the box is the next start's, and joins the list once it answers.
    LoopbackServer other(ServerBehaviour::Reply, "127.0.0.6");
    SetControlText(form, IDC_COMBO_HOSTS, "127.0.0.6");
    Press(IDC_BUTTON_START);
    ASSERT_TRUE(Waits([&] { return other.Finished() == 1 && CurrentPhase() == Phase::CountingDown; }));
    EXPECT_EQ(ComboEntries(form, IDC_COMBO_HOSTS),
              (std::vector<std::string>{"127.0.0.2", "127.0.0.1", "127.0.0.6"}));
    EXPECT_EQ(Setting("ComboName2"), "127.0.0.6");

    // Texts set by another program (automation, a script), with no notice of the change: Start reads
    // the boxes as they are.
    ::SetDlgItemTextA(form, IDC_COMBO_HOSTS, "localhost");
    ::SetDlgItemTextA(form, IDC_EDIT_OFTEN, "9");
    Press(IDC_BUTTON_START);
    ASSERT_TRUE(Waits([&] { return server.Finished() == 2 && CurrentPhase() == Phase::CountingDown; }));
    EXPECT_EQ(ComboEntries(form, IDC_COMBO_HOSTS),
              (std::vector<std::string>{"127.0.0.2", "127.0.0.1", "127.0.0.6", "localhost"}));
    EXPECT_EQ(ComboSelection(form, IDC_COMBO_HOSTS), 3);
    EXPECT_EQ(Setting("ComboName3"), "localhost");
    EXPECT_EQ(Setting("ComboNameSel"), "3");
    EXPECT_EQ(Setting("Often"), "9");

    // An IPv6 address, bare or in brackets.
    LoopbackServer ipv6(ServerBehaviour::Reply, "::1");
    ASSERT_TRUE(ipv6.Listening());
    for (const std::string typed : {"::1", "[::1]"}) {
        SetControlText(form, IDC_COMBO_HOSTS, typed);
        Press(IDC_BUTTON_START);
        ASSERT_TRUE(Waits([&] { return ipv6.Finished() == (typed == "::1" ? 1 : 2); })) << typed;
        ASSERT_TRUE(Waits([&] { return CurrentPhase() == Phase::CountingDown; })) << typed;
        EXPECT_EQ(ComboEntries(form, IDC_COMBO_HOSTS).back(), typed);
    }
}

// A name with an address of each family whose peer listens on one family, then on the other, then on
// neither: the prodle goes through, the history names the address that won, and every address
// refusing is one failure with one box, and no socket left.
TEST_F(Form, ANameOfBothFamiliesReachesItsPeerOnEitherAndAllRefusingIsOneFailure)
{
    SetSetting("ComboName0", "dual.prodle.test");
    Start();
    for (const char* peer : {"127.0.0.1", "::1"}) {
        LoopbackServer server(ServerBehaviour::Reply, peer);
        ASSERT_TRUE(server.Listening());
        Press(IDC_BUTTON_START);
        ASSERT_TRUE(Waits([&] { return server.Finished() == 1 && CurrentPhase() == Phase::CountingDown; }))
            << peer;
        const ProdleRecord last = HistoryBook().Records().back();
        EXPECT_EQ(last.host, "dual.prodle.test");
        EXPECT_EQ(last.address, peer);
        EXPECT_EQ(last.outcome, ProdleOutcome::Reply);
    }
    Press(IDC_BUTTON_START);
    ASSERT_TRUE(Waits([&] { return CurrentPhase() == Phase::Stopped && !App().boxes.empty(); }));
    ASSERT_EQ(App().boxes.size(), 1u);
    EXPECT_EQ(App().boxes[0].text.rfind("Prodle: Cannot connect to dual.prodle.test on port 80\n", 0), 0u);
    EXPECT_EQ(HistoryBook().Records().back().outcome, ProdleOutcome::Refused);
    EXPECT_EQ(App().View()->ConnectionSocket(), INVALID_SOCKET);
}

TEST_F(Form, TheCountdownTicksWhileTheWindowShowsAndTheTrayTipIsRightWhenItAppears)
{
    LoopbackServer server(ServerBehaviour::Reply);
    SetSetting("ComboNameSel", "1");
    Start();
    Press(IDC_BUTTON_START);
    ASSERT_TRUE(Waits([&] { return server.Finished() == 1 && CurrentPhase() == Phase::CountingDown; }));
    // Past the moment of the first tick.
    ASSERT_TRUE(PumpPastTimer(1100));
    EXPECT_EQ(Text(IDC_STATIC_COUNTDOWN), "25:00") << "hidden, the countdown does not tick";
    EXPECT_FALSE(ControlEnabled(form, IDC_BUTTON_START)) << "the button comes back at a tick someone sees";

    Press(ID_TRAY_RESTORE);
    EXPECT_TRUE(ControlEnabled(form, IDC_BUTTON_START));
    EXPECT_EQ(Text(IDC_STATIC_COUNTDOWN), "24:59");
    ASSERT_TRUE(Waits([&] { return Text(IDC_STATIC_COUNTDOWN) == "24:58"; }, 2000));
    Press(IDC_BUTTON_CLOSE_WINDOW);
    ASSERT_TRUE(PumpPastTimer(1100));
    const std::string hidden = Text(IDC_STATIC_COUNTDOWN);
    EXPECT_TRUE(hidden == "24:58" || hidden == "24:57") << hidden;

    // A pointer resting on the tray icon: the tip it is about to show tells the time left now.
    ASSERT_TRUE(::SetCursorPos(500, 400));
    ::SendMessageA(form, WM_PRODLE_TRAY_CALLBACK, ID_TRAY_ICON, WM_MOUSEMOVE);
    // With the loopback server's reply time, measured from the connect.
    const std::string tip = shell.LastTip(form);
    const std::string head = "Prodle in " + Text(IDC_STATIC_COUNTDOWN) + " - last reply ";
    EXPECT_EQ(tip.substr(0, head.size()), head) << tip;
    EXPECT_EQ(tip.substr(tip.size() - 3), " ms") << tip;
    // ASCII, which reads alike in every ANSI code page (this test runs under Japanese 932 too).
    EXPECT_TRUE(std::all_of(tip.begin(), tip.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x80;
    })) << tip;
    if (const char* codePage = std::getenv("PRODLE_EXPECTED_ACP")) {
        EXPECT_EQ(::GetACP(), static_cast<UINT>(std::atoi(codePage)));
    }
    EXPECT_NE(Text(IDC_STATIC_COUNTDOWN), hidden);

    // It goes on ticking while the pointer stays, and stops once the pointer has left the icon.
    ASSERT_TRUE(Waits([&] { return shell.LastTip(form) != tip; }, 2000)) << "the pointer stays";
    ASSERT_TRUE(::SetCursorPos(540, 400));
    const std::string resting = shell.LastTip(form);
    ASSERT_TRUE(Waits([&] { return shell.LastTip(form) != resting; }, 2000)) << "the tick that finds it gone";
    const std::string gone = shell.LastTip(form);
    ASSERT_TRUE(PumpPastTimer(1100));  // past the moment of the next tick
    EXPECT_EQ(shell.LastTip(form), gone) << "no tick for a tip that no one sees";
}

TEST_F(Form, BoxesOpenFromTheMessageLoopOneAtATime)
{
    // The first start with nothing stored: the default set, shown and not stored, and a box that says
    // so, which the program shows once it runs its loop, and before whose answer the auto-start does
    // not come (what is already queued is handled while the box is up).
    RemoveBaseKey();
    SetSetting("AutoStart", "1");
    std::vector<Phase> phasesWhileUp;
    App().onBox = [&](const RecordedBox&) {
        PumpPending();
        phasesWhileUp.push_back(CurrentPhase());
    };
    Start();
    EXPECT_TRUE(App().boxes.empty());
    ASSERT_TRUE(Waits([&] { return App().boxes.size() == 1; }));
    EXPECT_EQ(App().boxes[0].text, "Prodle is restoring the default domain set.");
    EXPECT_EQ(App().boxes[0].type, static_cast<UINT>(MB_OK));  // one button, no icon
    EXPECT_EQ(phasesWhileUp, std::vector<Phase>{Phase::ReportingStopThenAutoStart});
    EXPECT_EQ(ComboEntries(form, IDC_COMBO_HOSTS),
              (std::vector<std::string>{"www.example.com", "1.1.1.1", "www.wikipedia.org"}));
    EXPECT_EQ(ComboSelection(form, IDC_COMBO_HOSTS), 0);
    EXPECT_EQ(App().View()->Engine()->CurrentHost(), "www.example.com");
    EXPECT_FALSE(Setting("ComboName0"));
    EXPECT_FALSE(Setting("ComboNameSel"));

    // A refused period and its box; Start pressed again while it is up starts nothing behind it, once
    // everything queued behind the box has been handled.
    App().onBox = [&](const RecordedBox&) {
        Press(IDC_BUTTON_START);
        PumpPending();
        phasesWhileUp.push_back(CurrentPhase());
    };
    SetControlText(form, IDC_EDIT_OFTEN, "0");
    Press(IDC_BUTTON_START);
    ASSERT_TRUE(Waits([&] { return App().boxes.size() == 2; }));
    EXPECT_EQ(App().boxes[1].text, "Prodle: Time period must be between 1 and 60");
    EXPECT_EQ(Text(IDC_EDIT_OFTEN), "25");
    EXPECT_EQ(phasesWhileUp.back(), Phase::ReportingStop);
    PumpPending();
    EXPECT_EQ(App().boxes.size(), 2u);
    EXPECT_EQ(CurrentPhase(), Phase::Stopped);
}

// With "Ignore Connection Failures" on, the tray says what the prodles cannot: two failures in a row mark
// the picture and the tip, and a balloon tells the change once each way, unless the tray's menu turned
// the notices off (a setting the next start reads). Time passes on the program's clock and its timer.
TEST_F(Form, ALinkThatGoesDownIsMarkedInTheTrayAndToldOnceEachWay)
{
    const ImportPatch clock({"kernel32.dll", "kernelbase.dll"}, "GetTickCount",
                            reinterpret_cast<void*>(&TickAhead));
    ASSERT_GT(clock.Patched(), 0u);
    // Nothing listens at either: each refuses at once.
    SetSetting("ComboName0", "127.0.0.3");
    SetSetting("ComboName1", "127.0.0.4");
    SetSetting("ComboNameSel", "0");
    SetSetting("Often", "1");
    SetSetting("Ignore", "1");
    Start();
    const auto failures = [] { return LogLines("Failure: "); };
    // The next prodle's time has come; `done` is its outcome.
    const auto nextProdle = [&](const std::function<bool()>& done) {
        g_ticksAhead += 61000;
        ::SendMessageA(form, WM_TIMER, TIMER_WAKE, 0);
        return Waits(done);
    };
    const size_t failed = failures();
    Press(IDC_BUTTON_START);
    ASSERT_TRUE(Waits([&] { return failures() == failed + 1 && CurrentPhase() == Phase::CountingDown; }));
    EXPECT_EQ(MarkPixels(shell.LastIcon(form)), "white white white black") << "one failure is no outage";
    ASSERT_TRUE(
        nextProdle([&] { return failures() == failed + 2 && CurrentPhase() == Phase::CountingDown; }));
    EXPECT_EQ(MarkPixels(shell.LastIcon(form)), "white white red black");
    const std::vector<std::string> down = Balloons(shell, form);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].substr(0, 37), "Prodle: No reply from any host since ") << down[0];
    const std::string since = down[0].substr(37);
    // For the README: the marked icon as the notification area shows it.
    if (const HWND tray = ::FindWindowA(nullptr, "Wine System Tray")) {
        PumpFor(300);
        RECT area = {};
        ::GetWindowRect(tray, &area);
        SaveScreenArea(area, "tray-link-down");
    }
    ::SendMessageA(form, WM_PRODLE_TRAY_CALLBACK, ID_TRAY_ICON, WM_MOUSEMOVE);
    EXPECT_EQ(shell.LastTip(form), "Prodle in " + Text(IDC_STATIC_COUNTDOWN) + " - link down since " + since);

    {
        // A host that takes the request and never answers: the prodle in flight shows its own picture,
        // marked. Its failure tells nothing new: the next balloon is the link's return.
        LoopbackServer silent(ServerBehaviour::Silent, "127.0.0.3");
        ASSERT_TRUE(nextProdle([&] { return silent.RequestCount() == 1; }));
        EXPECT_EQ(MarkPixels(shell.LastIcon(form)), "green white red black");
    }
    {
        LoopbackServer first(ServerBehaviour::Reply, "127.0.0.3"),
            second(ServerBehaviour::Reply, "127.0.0.4");
        ASSERT_TRUE(nextProdle([&] {
            return first.Finished() + second.Finished() == 1 && CurrentPhase() == Phase::CountingDown;
        }));
        EXPECT_EQ(Balloons(shell, form),
                  (std::vector<std::string>{down[0], "Prodle: The link is back after 3 minutes"}));
        EXPECT_EQ(MarkPixels(shell.LastIcon(form)), "white white white black");
    }

    // Turned off in the tray's menu: the link goes down again without a word, and the next start knows.
    Press(ID_TRAY_LINK_NOTICES);
    EXPECT_EQ(Setting("LinkNotices"), "0");
    const size_t outages = LogLines("The link is down");
    const size_t failedBefore = failures();
    ASSERT_TRUE(
        nextProdle([&] { return failures() == failedBefore + 1 && CurrentPhase() == Phase::CountingDown; }));
    ASSERT_TRUE(nextProdle([&] { return LogLines("The link is down") == outages + 1; }));
    EXPECT_EQ(MarkPixels(shell.LastIcon(form)), "white white red black");
    EXPECT_EQ(Balloons(shell, form).size(), 2u);
    App().Stop();
    Start();
    for (const bool on : {false, true}) {
        g_noticesItem = -1;
        ::SetTimer(nullptr, 0, 50, ReadNoticesItem);
        ::SendMessageA(form, WM_PRODLE_TRAY_CALLBACK, ID_TRAY_ICON, WM_RBUTTONUP);
        EXPECT_EQ(g_noticesItem, on ? 1 : 0) << "the menu's check mark";
        if (!on)
            Press(ID_TRAY_LINK_NOTICES);
    }
    EXPECT_EQ(Setting("LinkNotices"), "1");
}

// Sleep and wake come to the frame, as Windows sends them. A change of network comes from the program's
// own watch.
TEST_F(Form, SleepWakeAndAChangeOfNetworkReachTheEngine)
{
    LoopbackServer server(ServerBehaviour::Reply);
    SetSetting("ComboNameSel", "1");
    Start();
    Press(IDC_BUTTON_START);
    ASSERT_TRUE(Waits([&] { return server.Finished() == 1 && CurrentPhase() == Phase::CountingDown; }))
        << "the first prodle";
    const HWND frame = App().MainWindow();

    ::PostMessageA(form, WM_PRODLE_NETWORK_CHANGE, 0, 0);
    ASSERT_TRUE(Waits([&] { return Text(IDC_STATIC_STATUS) == "Determining Local IP Address"; }))
        << "a new network: the local address is looked up again";
    ASSERT_TRUE(Waits([&] { return server.RequestCount() == 2; }, 3000)) << "the prodle on the new network";

    // One wake, announced twice: one wake in the log, and its prodle, after which the next one is a
    // whole period away.
    const size_t wakes = LogLines("  Wake");
    EXPECT_EQ(::SendMessageA(frame, WM_POWERBROADCAST, PBT_APMSUSPEND, 0), TRUE);
    ::SendMessageA(frame, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    ::SendMessageA(frame, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    EXPECT_EQ(LogLines("  Wake"), wakes + 1);
    ASSERT_TRUE(Waits([&] { return server.Finished() == 3 && CurrentPhase() == Phase::CountingDown; }, 3000))
        << "the wake's prodle";
    PumpPending();
    EXPECT_EQ(server.RequestCount(), 3u);
}

// A Modern Standby may announce neither its sleep nor its wake: the display of the user's session coming
// back on is then the wake, where the machine has Modern Standby and the display was off for as long as
// a standby takes. Elsewhere a display's time-out (after a lock, say) is no sleep.
TEST_F(Form, TheSessionsDisplayBackOnIsAWakeOnlyAfterAMinuteOffWithModernStandby)
{
    const ImportPatch lookUp({"kernel32.dll", "kernelbase.dll"}, "GetProcAddress",
                             reinterpret_cast<void*>(&LookUp));
    const ImportPatch clock({"kernel32.dll", "kernelbase.dll"}, "GetTickCount",
                            reinterpret_cast<void*>(&TickAhead));
    ASSERT_GT(lookUp.Patched() * clock.Patched(), 0u);
    LoopbackServer server(ServerBehaviour::Reply);
    SetSetting("ComboNameSel", "1");
    for (const bool modernStandby : {false, true}) {
        g_modernStandby = modernStandby;
        Start();
        Press(IDC_BUTTON_START);
        ASSERT_TRUE(Waits([&] { return CurrentPhase() == Phase::CountingDown; }));
        // The wake comes last: the engine takes another within a minute of it for the same.
        for (const DWORD offMs : {5000, 120000}) {
            SCOPED_TRACE((modernStandby ? "Modern Standby, off for " : "none, off for ") +
                         std::to_string(offMs));
            const size_t logged = LogFrom(0).size();
            struct {
                GUID display = {0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
                DWORD length = sizeof(DWORD);
                DWORD state = 0;  // off, then on
            } notice;
            ::SendMessageA(App().MainWindow(), WM_POWERBROADCAST, 0x8013 /* PBT_POWERSETTINGCHANGE */,
                           reinterpret_cast<LPARAM>(&notice));
            g_ticksAhead += offMs;
            notice.state = 1;
            ::SendMessageA(App().MainWindow(), WM_POWERBROADCAST, 0x8013, reinterpret_cast<LPARAM>(&notice));
            EXPECT_EQ(LogFrom(logged).find("  Wake\r\n") != std::string::npos, modernStandby && offMs > 60000)
                << LogFrom(logged);
        }
        App().Stop();
    }
}

// Address-change notices come in bursts, and many change nothing the program uses: the network is
// looked at when they stop, or five seconds after the first (here, at test speed), and the engine hears
// of it only when the addresses or the default route differ.
TEST_F(Form, ABurstOfAddressNoticesIsOneChangeAndOnlyWhenWhatTheProgramUsesChanged)
{
    const ImportPatch lookUp({"kernel32.dll", "kernelbase.dll"}, "GetProcAddress",
                             reinterpret_cast<void*>(&LookUp));
    ASSERT_GT(lookUp.Patched(), 0u);
    LoopbackServer server(ServerBehaviour::Reply);
    SetSetting("ComboNameSel", "1");
    Start();
    Press(IDC_BUTTON_START);
    ASSERT_TRUE(Waits([&] { return server.Finished() == 1 && CurrentPhase() == Phase::CountingDown; }));
    // What the watch reads of the machine by default (the tests' loopback-only network).
    const std::optional<NetworkSnapshot> machine = NetworkSnapshot::Read();
    ASSERT_TRUE(machine);
    EXPECT_EQ(std::count(machine->addresses.begin(), machine->addresses.end(), 0x0100007fUL), 1);
    EXPECT_EQ(
        std::count(machine->ipv6Addresses.begin(), machine->ipv6Addresses.end(), *ParseAddressLiteral("::1")),
        1);
    NetworkWatch& watch = App().View()->NetworkChanges();
    int looks = 0;
    bool changing = false;
    std::vector<IpAddress> ipv6;
    DWORD address = 0x0100007f;
    watch.SetSnapshotReader([&] {
        ++looks;
        return NetworkSnapshot{{changing ? ++address : address}, 1, 0, ipv6};
    });
    const auto notices = [&](int count) {
        for (int i = 0; i < count; ++i)
            ::PostMessageA(form, WM_PRODLE_ADDRESS_NOTICE, 0, 0);
    };
    const size_t changes = LogLines("The network changed");
    constexpr DWORD kNever = 3600000;

    // Notices that would never stop are looked at all the same, and nothing changed.
    watch.SetTiming({kNever, 20});
    notices(1);
    ASSERT_TRUE(Waits([&] { return looks == 2; }));
    PumpPending();
    EXPECT_EQ(LogLines("The network changed"), changes);

    // Fifty at once, and every look would find other addresses: one change, one restart.
    changing = true;
    notices(50);
    ASSERT_TRUE(Waits([&] { return looks >= 3 && server.RequestCount() == 2; }));
    PumpPending();
    EXPECT_EQ(looks, 3);
    EXPECT_EQ(LogLines("The network changed"), changes + 1);

    // The quiet that ends a burst is counted from its last notice.
    watch.SetTiming({400, kNever});
    notices(1);
    PumpFor(100);
    const DWORD last = ::GetTickCount();
    notices(1);
    ASSERT_TRUE(Waits([&] { return looks == 4; }));
    EXPECT_GE(::GetTickCount() - last, 380u);
    EXPECT_EQ(LogLines("The network changed"), changes + 2);

    // Where the system gives notice of IPv6 changes too (Windows Vista and later), its notice, posted
    // from the system's thread, is one as the IPv4 one is, and a new IPv6 address is a change.
    changing = false;
    ipv6 = {*ParseAddressLiteral("2001:db8::2")};
    ASSERT_NE(g_ipv6Notice.callback, nullptr);
    EXPECT_EQ(g_ipv6Notice.family, AF_INET6);
    std::thread([] { g_ipv6Notice.callback(g_ipv6Notice.context, nullptr, 1); }).join();
    ASSERT_TRUE(Waits([&] { return looks == 5; }));
    EXPECT_EQ(LogLines("The network changed"), changes + 3);
    App().Stop();  // its notice taken back while the stand-ins answer
    EXPECT_EQ(g_ipv6Notice.callback, nullptr);
}

// A notice the system refuses to give stops the watch only for a while: said once in the log, asked for
// again, each time after twice the wait, up to the longest (here, at test speed).
TEST_F(Form, ARefusedAddressNoticeIsLoggedAndAskedForAgainLessOften)
{
    g_asks = {};
    g_rearmWaits.clear();
    ImportPatch refusing({"iphlpapi.dll"}, "NotifyAddrChange",
                         reinterpret_cast<void*>(&RefusingNotifyAddrChange));
    ImportPatch timers({"user32.dll"}, "SetTimer", reinterpret_cast<void*>(&RecordingSetTimer));
    ASSERT_GT(refusing.Patched() * timers.Patched(), 0u);
    Start();
    ASSERT_EQ(g_asks.ticks.size(), 1u);
    App().View()->NetworkChanges().SetTiming({2000, 5000, 50, 100});
    const size_t refused = LogLines("The network is not watched: the system refused (error 8)");
    const size_t again = LogLines("The network is watched again, after 3 refused tries");

    g_asks.refusals = 3;
    ::SetEvent(g_asks.event);  // a notice: the next is asked for at once
    ASSERT_TRUE(Waits([&] { return g_asks.ticks.size() == 5; }));
    EXPECT_EQ(g_rearmWaits, (std::vector<UINT>{50, 100, 100})) << "twice the first wait, up to the longest";
    EXPECT_EQ(LogLines("The network is not watched: the system refused (error 8)"), refused + 1);
    EXPECT_EQ(LogLines("The network is watched again, after 3 refused tries"), again + 1);
}

}  // namespace
