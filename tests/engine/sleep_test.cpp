// Sleep and wake, announced as Windows does: WM_POWERBROADCAST to the program's top-level window.
#include "app/resource.h"
#include "support/engine_fixture.h"
#include "support/listener.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

class Sleep : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        SetSetting("Debug", "1");  // 15-second period
        SetHosts({"127.0.0.1"});
    }
    static void Power(WPARAM event) { ::SendMessageA(App().MainWindow(), WM_POWERBROADCAST, event, 0); }
    static void SleepAndWake()
    {
        Power(PBT_APMSUSPEND);
        Power(PBT_APMRESUMEAUTOMATIC);
        Power(PBT_APMRESUMESUSPEND);  // the same wake, announced again
    }
    void RetryNow() const { ::SendMessageA(Form(), WM_TIMER, TIMER_NETWORK_RETRY, 0); }
};

TEST_F(Sleep, AWakeProdlesAtTheNextTickOnceThenCountsThePeriod)
{
    LoopbackServer server(ServerBehaviour::Reply);
    StartProdle();
    SleepAndWake();  // a program not started stays so
    EXPECT_EQ(Status(), "PLEASE START ME");
    StartCycleAndSettle();
    Tick();
    ASSERT_TRUE(WaitForRequests(server, 1) && WaitUntilCompleted());
    Tick();
    Power(PBT_APMSUSPEND);
    Power(PBT_APMRESUMEAUTOMATIC);
    Tick();
    ASSERT_TRUE(WaitForRequests(server, 2) && WaitUntilCompleted());
    EXPECT_EQ(Countdown(), " 0:15");
    // The same wake announced again, once the user is back.
    Power(PBT_APMRESUMESUSPEND);
    Tick();
    PumpFor(100);
    EXPECT_EQ(server.RequestCount(), 2u) << "one wake, one prodle";
}

TEST_F(Sleep, AFailureSoonAfterAWakeWaitsForTheNetworkUntilItComesOrTheGraceEnds)
{
    StartProdle();
    StartCycleAndSettle();
    SleepAndWake();
    Tick();  // nothing listens yet: refused
    ASSERT_TRUE(PumpUntil([this] { return CurrentPhase() == Phase::WaitingForNetwork; }));
    RetryNow();
    ASSERT_TRUE(PumpUntil([this] { return CurrentPhase() == Phase::WaitingForNetwork; }));
    EXPECT_EQ(Status(), "Waiting for the network");
    EXPECT_EQ(TrayTip(), "Prodle is waiting for the network");
    EXPECT_EQ(BoxCount(), 0u);
    {
        LoopbackServer server(ServerBehaviour::Reply);  // the network is back
        RetryNow();
        ASSERT_TRUE(WaitForRequests(server, 1) && WaitUntilCompleted());
        EXPECT_EQ(CurrentPhase(), Phase::CountingDown);
    }
    // Another wake whose network never comes back: when the grace has passed, the usual box and stop.
    Engine().SetWakeGrace(0);
    SleepAndWake();
    Tick();
    ASSERT_TRUE(WaitForConnection());
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_TRUE(IsErrorBox(LastBox(), "Prodle: Cannot connect to 127.0.0.1 on port 80")) << LastBox();
    EXPECT_EQ(CurrentPhase(), Phase::Stopped);
}

TEST_F(Sleep, ASuspendGivesUpAConnectionQuietlyAndTheNextProdleWorks)
{
    LoopbackListener dead("127.0.0.8", Handshake::NeverAnswered);
    StartProdle();
    TypeHost("127.0.0.8");
    StartCycleAndSettle();
    Tick();
    ASSERT_EQ(CurrentPhase(), Phase::Connecting);
    Power(PBT_APMSUSPEND);
    EXPECT_EQ(CurrentPhase(), Phase::CountingDown);
    EXPECT_EQ(App().GetWaitCursorCount(), 0);

    TypeHost("127.0.0.1");
    {
        LoopbackServer silent(ServerBehaviour::Silent);
        StartCycleAndSettle();
        Tick();
        ASSERT_TRUE(WaitForRequests(silent, 1));
        Power(PBT_APMSUSPEND);
        EXPECT_EQ(Engine().ConnectionSocket(), INVALID_SOCKET);
        EXPECT_TRUE(PumpUntil([&] { return silent.ClientsGone() == 1; }));
    }
    LoopbackServer server(ServerBehaviour::Reply);
    Power(PBT_APMRESUMEAUTOMATIC);
    Tick();
    ASSERT_TRUE(WaitForRequests(server, 1) && WaitUntilCompleted());
    EXPECT_EQ(BoxCount(), 0u);
}
