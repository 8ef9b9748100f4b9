// The job cycle: starting, the period check, the countdown and its display, the random options and the
// auto-start, driven by sending the form its commands and timer messages.
#include "app/resource.h"
#include "support/engine_fixture.h"
#include "support/form.h"
#include "support/listener.h"
#include "support/loopback_server.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"
#include "support/timer_watch.h"

namespace {

// Connects succeed here and never get an answer: prodles stay waiting while the countdown runs.
constexpr const char* kSilentHost = "127.0.0.5";
constexpr const char* kPeriodMessage = "Prodle: Time period must be between 1 and 60";

class JobCycle : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        SetHosts({kSilentHost});
    }

    // Starts the program and, when `minutes` are given, a cycle with them.
    void Start(const char* minutes = nullptr)
    {
        StartProdle();
        ASSERT_NE(Form(), nullptr);
        if (minutes) {
            TypeMinutes(minutes);
            StartCycleAndSettle();
        }
    }
    // Ticks of the countdown; a connection that a tick starts gets its outcome before the next one.
    void Ticks(int count) const
    {
        for (int i = 0; i < count; ++i) {
            Tick();
            WaitForConnection();
        }
    }
    bool TimerRunning(UINT_PTR id) const { return m_timers.Running(Form(), id); }

    LoopbackListener m_listener{kSilentHost};
    TimerWatch m_timers;
};

TEST_F(JobCycle, AcceptedMinutesTextsGiveTheirPeriodAndAreStoredAsTyped)
{
    ASSERT_TRUE(m_listener.IsListening());
    Start();
    const struct {
        const char* text;
        const char* period;
    } cases[] = {{"1.5", " 1:30"}, {"60.5", "60:30"}, {"25", "25:00"}, {" 7 minutes", " 7:00"}};
    for (const auto& c : cases) {
        TypeMinutes(c.text);
        StartCycleAndSettle();
        EXPECT_TRUE(Counting()) << c.text;
        Ticks(1);  // the first tick expires the countdown and prodles; the next target is the period
        EXPECT_EQ(Countdown(), c.period) << c.text;
        EXPECT_EQ(Setting("Often"), c.text);
    }
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(JobCycle, ARefusedPeriodStopsTheEngineWithTheTraysNoticeAndBringsBackTheLastAcceptedText)
{
    ASSERT_TRUE(m_listener.IsListening());
    Start();
    EXPECT_EQ(Status(), "PLEASE START ME");
    EXPECT_TRUE(TrayShows(IDI_STOPPED));
    TypeMinutes("12");
    StartCycleAndSettle();
    EXPECT_TRUE(TrayShows(IDI_RUNNING));
    EXPECT_FALSE(StartEnabled());
    EXPECT_TRUE(TimerRunning(TIMER_COUNTDOWN));
    PressStart();
    EXPECT_EQ(Status(), "Starting Connection") << "a numeric host is not looked up";
    Ticks(1);
    ASSERT_NE(Engine().ConnectionSocket(), INVALID_SOCKET);

    for (const char* text : {"0.5", "0", "61", "abc", ""}) {
        App().boxes.clear();
        TypeMinutes(text);
        PressStart();
        ASSERT_EQ(BoxCount(), 1u) << text;
        EXPECT_EQ(LastBox(), kPeriodMessage);
        EXPECT_EQ(ControlText(Form(), IDC_EDIT_OFTEN), "12") << text;
        EXPECT_EQ(Status(), "NOT RUNNING");
        EXPECT_EQ(Countdown(), "");
        EXPECT_EQ(TrayTip(), "Prodle has stopped");
        EXPECT_TRUE(TrayShows(IDI_STOPPED));
        EXPECT_TRUE(StartEnabled());
        EXPECT_FALSE(Counting());
        EXPECT_FALSE(TimerRunning(TIMER_COUNTDOWN));
        EXPECT_EQ(Engine().ConnectionSocket(), INVALID_SOCKET);
    }
}

TEST_F(JobCycle, DebugModeAcceptsAnyTextWithAFifteenSecondPeriod)
{
    ASSERT_TRUE(m_listener.IsListening());
    SetSetting("Debug", "1");
    Start();
    for (const char* text : {"abc", "0", "99"}) {
        TypeMinutes(text);
        StartCycleAndSettle();
        Ticks(1);
        EXPECT_EQ(Countdown(), " 0:15") << text;
        EXPECT_EQ(Setting("Often"), text);
    }
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(JobCycle, FirstProdleComesOnTheFirstTickThenTheDisplayCountsDown)
{
    ASSERT_TRUE(m_listener.IsListening());
    Start("25");
    EXPECT_EQ(Engine().ConnectionSocket(), INVALID_SOCKET);
    Ticks(1);
    EXPECT_NE(Engine().ConnectionSocket(), INVALID_SOCKET)
        << "the first tick expires the countdown and prodles";
    EXPECT_EQ(Countdown(), "25:00");
    EXPECT_EQ(TrayTip(), "Prodle in 25:00");
    Ticks(1);
    EXPECT_EQ(Countdown(), "24:59");
    EXPECT_EQ(TrayTip(), "Prodle in 24:59");
}

TEST_F(JobCycle, CountdownKeepsTheMinutesSpaceAndZeroPadsTheSeconds)
{
    ASSERT_TRUE(m_listener.IsListening());
    Start("5");
    Ticks(1);
    EXPECT_EQ(Countdown(), " 5:00");
    Ticks(53);
    EXPECT_EQ(Countdown(), " 4:07");
    Ticks(246);
    EXPECT_EQ(Countdown(), " 0:01");
    EXPECT_EQ(TrayTip(), "Prodle in  0:01");
}

TEST_F(JobCycle, TicksEnableStartOnlyWhenNoRequestIsPending)
{
    LoopbackServer server(ServerBehaviour::Silent, "127.0.0.4");
    ASSERT_TRUE(server.Listening());
    Start();
    TypeHost("127.0.0.4");
    StartCycleAndSettle();
    EXPECT_FALSE(StartEnabled());
    Ticks(1);  // prodles; the server holds its answer back
    ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 1; }));
    ASSERT_EQ(CurrentPhase(), Phase::WaitingForReply);
    Ticks(3);
    EXPECT_FALSE(StartEnabled());
    server.AnswerSilentClients();
    ASSERT_TRUE(WaitUntilCompleted());
    EXPECT_FALSE(StartEnabled()) << "the reply leaves the button to the next tick";
    Ticks(1);
    EXPECT_TRUE(StartEnabled());
}

TEST_F(JobCycle, RandomHostWithOneEntryAlwaysPicksIt)
{
    ASSERT_TRUE(m_listener.IsListening());
    SetSetting("RandomName", "1");
    Start("1");
    Ticks(1);  // first expiry: the host just checked
    for (int pick = 0; pick < 5; ++pick) {
        TickToExpiry();
        EXPECT_EQ(ComboSelection(Form(), IDC_COMBO_HOSTS), 0);
        EXPECT_EQ(HostText(), kSilentHost);
        EXPECT_EQ(Countdown(), " 0:01") << "the cycle starts again on the picked host";
        Ticks(1);
        EXPECT_EQ(CurrentPhase(), Phase::WaitingForReply) << "the picked host is prodled at the next tick";
    }
}

TEST_F(JobCycle, RandomHostWithTwoEntriesAlternates)
{
    LoopbackListener other("127.0.0.6");
    ASSERT_TRUE(m_listener.IsListening() && other.IsListening());
    SetSetting("ComboName1", "127.0.0.6");
    SetSetting("RandomName", "1");
    Start("1");
    Ticks(1);
    int expected = 1;
    for (int pick = 0; pick < 4; ++pick, expected = 1 - expected) {
        TickToExpiry();
        EXPECT_EQ(ComboSelection(Form(), IDC_COMBO_HOSTS), expected);
        Ticks(1);
        EXPECT_NE(CurrentPhase(), Phase::CountingDown) << "the picked host is prodled at the next tick";
    }
}

TEST_F(JobCycle, RandomHostSwitchedOnMidCountdownStillProdlesTheCurrentHostFirst)
{
    LoopbackListener other("127.0.0.6");
    ASSERT_TRUE(m_listener.IsListening() && other.IsListening());
    SetSetting("ComboName1", "127.0.0.6");
    Start("1");
    Ticks(1);
    KeepAliveOptions options = Engine().Options();
    options.randomHost = true;
    Engine().SetOptions(options);
    TickToExpiry();
    WaitForConnection();
    EXPECT_EQ(ComboSelection(Form(), IDC_COMBO_HOSTS), 0);
    EXPECT_EQ(CurrentPhase(), Phase::WaitingForReply);
    TickToExpiry();
    EXPECT_EQ(ComboSelection(Form(), IDC_COMBO_HOSTS), 1) << "the expiry after that picks";
}

TEST_F(JobCycle, AutoStartFiresOnceAndAManualStartFirstCancelsIt)
{
    ASSERT_TRUE(m_listener.IsListening());
    SetSetting("AutoStart", "1");
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    EXPECT_TRUE(TrayShows(IDI_RUNNING));
    EXPECT_TRUE(TimerRunning(TIMER_AUTO_START));
    ::SendMessageA(Form(), WM_TIMER, TIMER_AUTO_START, 0);
    SettleLookups();
    EXPECT_FALSE(TimerRunning(TIMER_AUTO_START));
    EXPECT_TRUE(TimerRunning(TIMER_COUNTDOWN));
    App().Stop();

    StartProdle();
    PressStart();  // within the first second
    EXPECT_FALSE(TimerRunning(TIMER_AUTO_START));
    SettleLookups();
}

TEST_F(JobCycle, CloseWindowHidesAndRestoreShowsTheFrame)
{
    Start();
    HWND frame = App().MainWindow();
    ::SendMessageA(Form(), WM_COMMAND, ID_TRAY_RESTORE, 0);
    EXPECT_TRUE(::IsWindowVisible(frame));
    ::SendMessageA(Form(), WM_COMMAND, IDC_BUTTON_CLOSE_WINDOW, 0);
    EXPECT_FALSE(::IsWindowVisible(frame));
    EXPECT_TRUE(::IsWindow(frame)) << "closing the window only hides it";
}

}  // namespace
