// The job cycle: starting and stopping, the period check, the countdown and its display, the random
// options and the auto-start, driven by sending timer messages to the real view.
#include <set>
#include <utility>

#include "app/resource.h"
#include "engine/prodle_view.h"
#include "support/engine_fixture.h"
#include "support/import_patch.h"
#include "support/listener.h"
#include "support/loopback_server.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

// Connects succeed here and never get an answer: prodles stay waiting while the countdown runs.
constexpr const char* kSilentHost = "127.0.0.5";
constexpr const char* kPeriodMessage = "Prodle: Time period must be between 1 and 60";

// Which timers run, as the program arms and kills them through its imports of SetTimer and KillTimer:
// asking changes nothing, where killing a timer to see whether it ran (and arming it again) would.
class ArmedTimers {
public:
    ArmedTimers()
        : m_arm({"user32.dll"}, "SetTimer", reinterpret_cast<void*>(&Arm)),
          m_disarm({"user32.dll"}, "KillTimer", reinterpret_cast<void*>(&Disarm))
    {
        s_armed.clear();
    }
    static bool Running(HWND hWnd, UINT_PTR id) { return s_armed.count({hWnd, id}) != 0; }

private:
    template <class Function>
    static Function Real(const char* name)
    {
        const FARPROC address = ::GetProcAddress(::GetModuleHandleA("user32.dll"), name);
        return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
    }
    static UINT_PTR WINAPI Arm(HWND hWnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
    {
        const UINT_PTR armed = Real<decltype(&::SetTimer)>("SetTimer")(hWnd, id, elapse, proc);
        if (armed && hWnd)
            s_armed.insert({hWnd, id});
        return armed;
    }
    static BOOL WINAPI Disarm(HWND hWnd, UINT_PTR id)
    {
        s_armed.erase({hWnd, id});
        return Real<decltype(&::KillTimer)>("KillTimer")(hWnd, id);
    }

    inline static std::set<std::pair<HWND, UINT_PTR>> s_armed;
    ImportPatch m_arm;
    ImportPatch m_disarm;
};

class JobCycle : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        SetHosts({kSilentHost});
    }

    CProdleView& Start()
    {
        StartProdle();
        EXPECT_NE(view_, nullptr);
        // The local address is taken as known, so that a start goes straight to the host's validation.
        view_->m_bLocalAddressKnown = TRUE;
        view_->m_strLocalAddress = "127.0.0.1";
        App().boxes.clear();
        return *view_;
    }
    // Ticks of the countdown; a connection that a tick starts gets its outcome before the next one.
    void Tick(CProdleView& view, int count = 1) const
    {
        for (int i = 0; i < count; ++i) {
            EngineFixture::Tick();
            WaitForConnection();
        }
    }
    static CString Text(const CWnd& control) { return control.GetWindowText(); }
    static bool TimerRunning(const CProdleView& view, UINT_PTR id) { return ArmedTimers::Running(view.m_hWnd, id); }
    static bool ShowsIcon(const CProdleView& view, UINT id)
    {
        return view.m_trayIcon.GetIcon() == App().LoadSmallIcon(id);
    }

    LoopbackListener m_listener{kSilentHost};
    ArmedTimers m_timers;
};

TEST_F(JobCycle, AcceptedMinutesTextsGiveTheirPeriodInSeconds)
{
    ASSERT_TRUE(m_listener.IsListening());
    CProdleView& view = Start();
    const struct {
        const char* text;
        int seconds;
    } cases[] = {{"1.5", 90}, {"60.5", 3630}, {"25", 1500}, {" 7 minutes", 420}};
    for (const auto& c : cases) {
        view.m_editOften.SetWindowText(c.text);
        view.StartCycle();
        EXPECT_EQ(view.m_nPeriodSecs, c.seconds) << c.text;
        EXPECT_EQ(view.m_nTargetSecs, c.seconds) << c.text;
        EXPECT_EQ(view.m_strOften, c.text);
        EXPECT_TRUE(view.m_staticNextLabel.IsWindowEnabled());
    }
    EXPECT_TRUE(App().boxes.empty());
}

TEST_F(JobCycle, RefusedMinutesTextsStopTheEngineAndBringBackTheLastAcceptedText)
{
    CProdleView& view = Start();
    view.m_editOften.SetWindowText("12");
    view.StartCycle();
    ASSERT_EQ(view.m_strOften, "12");
    for (const char* text : {"0.5", "0", "61", "abc", ""}) {
        App().boxes.clear();
        view.m_editOften.SetWindowText(text);
        view.StartCycle();
        ASSERT_EQ(App().boxes.size(), 1u) << text;
        EXPECT_EQ(App().boxes[0].text, kPeriodMessage);
        EXPECT_EQ(Text(view.m_editOften), "12") << text;
        EXPECT_EQ(Text(view.m_staticStatus), "NOT RUNNING");
        EXPECT_EQ(view.m_trayIcon.GetTip(), "Prodle has stopped");
        EXPECT_TRUE(ShowsIcon(view, IDI_STOPPED));
        EXPECT_TRUE(view.m_btnStart.IsWindowEnabled());
        EXPECT_FALSE(view.m_staticNextLabel.IsWindowEnabled());
        EXPECT_FALSE(TimerRunning(view, TIMER_COUNTDOWN));
    }
}

TEST_F(JobCycle, DebugModeAcceptsAnyTextWithAFifteenSecondPeriod)
{
    SetSetting("Debug", "1");
    CProdleView& view = Start();
    for (const char* text : {"abc", "0", "99"}) {
        view.m_editOften.SetWindowText(text);
        view.StartCycle();
        EXPECT_EQ(view.m_nPeriodSecs, 15) << text;
        EXPECT_EQ(view.m_strOften, text);
    }
    EXPECT_TRUE(App().boxes.empty());
}

TEST_F(JobCycle, FirstProdleComesOnTheFirstTickThenTheDisplayCountsDown)
{
    ASSERT_TRUE(m_listener.IsListening());
    CProdleView& view = Start();
    view.m_editOften.SetWindowText("25");
    view.StartCycle();
    EXPECT_EQ(view.m_socket, -1);
    Tick(view);
    EXPECT_NE(view.m_socket, -1) << "the first tick expires the countdown and prodles";
    EXPECT_EQ(Text(view.m_staticCountdown), "25:00");
    EXPECT_EQ(view.m_trayIcon.GetTip(), "Prodle in 25:00");
    Tick(view);
    EXPECT_EQ(Text(view.m_staticCountdown), "24:59");
    EXPECT_EQ(view.m_trayIcon.GetTip(), "Prodle in 24:59");
}

TEST_F(JobCycle, CountdownKeepsTheMinutesSpaceAndZeroPadsTheSeconds)
{
    ASSERT_TRUE(m_listener.IsListening());
    CProdleView& view = Start();
    view.m_editOften.SetWindowText("5");
    view.StartCycle();
    Tick(view);
    EXPECT_EQ(Text(view.m_staticCountdown), " 5:00");
    Tick(view, 53);
    EXPECT_EQ(Text(view.m_staticCountdown), " 4:07");
    Tick(view, 246);
    EXPECT_EQ(Text(view.m_staticCountdown), " 0:01");
    EXPECT_EQ(view.m_trayIcon.GetTip(), "Prodle in  0:01");
}

TEST_F(JobCycle, TicksEnableStartOnlyWhenNoRequestIsPending)
{
    LoopbackServer server(ServerBehaviour::Silent, "127.0.0.4");
    ASSERT_TRUE(server.Listening());
    CProdleView& view = Start();
    view.m_comboNames.SetWindowText("127.0.0.4");
    view.StartCycle();
    EXPECT_FALSE(view.m_btnStart.IsWindowEnabled());
    Tick(view);  // prodles; the server holds its answer back
    ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 1; }));
    ASSERT_TRUE(view.m_bWaiting);
    Tick(view, 3);
    EXPECT_FALSE(view.m_btnStart.IsWindowEnabled());
    server.AnswerSilentClients();
    ASSERT_TRUE(PumpUntil([&] { return !view.m_bWaiting; }));
    EXPECT_FALSE(view.m_btnStart.IsWindowEnabled()) << "the reply leaves the button to the next tick";
    Tick(view);
    EXPECT_TRUE(view.m_btnStart.IsWindowEnabled());
}

TEST_F(JobCycle, StartAndStopShowTheirStateOnTheFormAndTheTray)
{
    ASSERT_TRUE(m_listener.IsListening());
    CProdleView& view = Start();
    EXPECT_EQ(Text(view.m_staticStatus), "PLEASE START ME");
    EXPECT_TRUE(ShowsIcon(view, IDI_STOPPED));

    view.StartCycle();
    EXPECT_TRUE(ShowsIcon(view, IDI_RUNNING));
    EXPECT_FALSE(view.m_btnStart.IsWindowEnabled());
    EXPECT_TRUE(view.m_bBusy);
    EXPECT_EQ(Text(view.m_staticStatus), "Starting Connection") << "a numeric host is not looked up";
    EXPECT_TRUE(TimerRunning(view, TIMER_COUNTDOWN));

    Tick(view);
    ASSERT_NE(view.m_socket, -1);
    view.StopCycle(false);
    EXPECT_EQ(view.m_socket, -1);
    EXPECT_FALSE(view.m_bWaiting);
    EXPECT_EQ(Text(view.m_staticStatus), "NOT RUNNING");
    EXPECT_EQ(Text(view.m_staticCountdown), "");
    EXPECT_FALSE(view.m_staticNextLabel.IsWindowEnabled());
    EXPECT_TRUE(view.m_btnStart.IsWindowEnabled());
    EXPECT_EQ(view.m_trayIcon.GetTip(), "Prodle in 25:00") << "a stop without notice leaves the tray as it was";
    EXPECT_FALSE(TimerRunning(view, TIMER_COUNTDOWN));

    view.StopCycle(true);
    EXPECT_EQ(view.m_trayIcon.GetTip(), "Prodle has stopped");
    EXPECT_TRUE(ShowsIcon(view, IDI_STOPPED));
}

TEST_F(JobCycle, RandomTimeKeepsSixtyMinutesFromGrowing)
{
    CProdleView& view = Start();
    view.m_nPeriodSecs = 3600;
    for (int i = 0; i < 500; ++i) {
        view.RandomizeTarget();
        ASSERT_GE(view.m_nTargetSecs, 3570);
        ASSERT_LE(view.m_nTargetSecs, 3599);
    }
    view.m_nPeriodSecs = 15;
    view.m_bDebug = TRUE;
    std::set<int> targets;
    for (int i = 0; i < 500; ++i) {
        view.RandomizeTarget();
        targets.insert(view.m_nTargetSecs);
    }
    EXPECT_EQ(targets, (std::set<int>{10, 12, 14, 17, 19, 20}));
}

TEST_F(JobCycle, RandomHostWithOneEntryAlwaysPicksIt)
{
    ASSERT_TRUE(m_listener.IsListening());
    SetSetting("RandomName", "1");
    CProdleView& view = Start();
    view.m_editOften.SetWindowText("1");
    view.StartCycle();
    Tick(view);  // first expiry: the validated host
    for (int pick = 0; pick < 5; ++pick) {
        Tick(view, 60);
        EXPECT_EQ(view.m_comboNames.GetCurSel(), 0);
        EXPECT_EQ(view.m_strDomain, kSilentHost);
        EXPECT_TRUE(view.m_bFirstRun);
        Tick(view);  // the prodle to the picked host
    }
}

TEST_F(JobCycle, RandomHostWithTwoEntriesAlternates)
{
    ASSERT_TRUE(m_listener.IsListening());
    SetSetting("ComboName1", "127.0.0.6");
    SetSetting("RandomName", "1");
    CProdleView& view = Start();
    view.m_editOften.SetWindowText("1");
    view.StartCycle();
    Tick(view);
    int expected = 1;
    for (int pick = 0; pick < 4; ++pick, expected = 1 - expected) {
        Tick(view, 60);
        EXPECT_EQ(view.m_comboNames.GetCurSel(), expected);
        EXPECT_EQ(view.m_nSelIndex, expected);
        EXPECT_TRUE(view.m_bFirstRun) << "the picked host is prodled at the next tick";
        Tick(view);
        EXPECT_FALSE(view.m_bFirstRun);
    }
}

TEST_F(JobCycle, RandomHostSwitchedOnMidCountdownStillProdlesTheCurrentHostFirst)
{
    ASSERT_TRUE(m_listener.IsListening());
    SetSetting("ComboName1", "127.0.0.6");
    CProdleView& view = Start();
    view.m_editOften.SetWindowText("1");
    view.StartCycle();
    Tick(view);
    view.m_bRandomName = TRUE;
    Tick(view, 60);
    EXPECT_EQ(view.m_comboNames.GetCurSel(), 0);
    EXPECT_FALSE(view.m_bFirstRun);
}

TEST_F(JobCycle, AutoStartFiresOnceAndAManualStartFirstCancelsIt)
{
    ASSERT_TRUE(m_listener.IsListening());
    SetSetting("AutoStart", "1");
    ASSERT_TRUE(App().Start());
    CProdleView& view = *App().View();
    EXPECT_TRUE(ShowsIcon(view, IDI_RUNNING));
    EXPECT_TRUE(view.m_bAutoStartTimer);
    view.m_bLocalAddressKnown = TRUE;
    ::SendMessageA(view.m_hWnd, WM_TIMER, TIMER_AUTO_START, 0);
    EXPECT_FALSE(view.m_bAutoStartTimer);
    EXPECT_FALSE(TimerRunning(view, TIMER_AUTO_START));
    EXPECT_TRUE(TimerRunning(view, TIMER_COUNTDOWN));
    App().Stop();

    ASSERT_TRUE(App().Start());
    CProdleView& again = *App().View();
    again.m_bLocalAddressKnown = TRUE;
    again.StartCycle();  // within the first second
    EXPECT_FALSE(TimerRunning(again, TIMER_AUTO_START));
}

TEST_F(JobCycle, CloseWindowHidesAndRestoreShowsTheFrame)
{
    CProdleView& view = Start();
    HWND frame = App().MainWindow();
    ::SendMessageA(view.m_hWnd, WM_COMMAND, ID_TRAY_RESTORE, 0);
    EXPECT_TRUE(::IsWindowVisible(frame));
    ::SendMessageA(view.m_hWnd, WM_COMMAND, IDC_BUTTON_CLOSE_WINDOW, 0);
    EXPECT_FALSE(::IsWindowVisible(frame));
    EXPECT_TRUE(::IsWindow(frame)) << "closing the window only hides it";
}

}  // namespace
