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
        StartProdle();
    }
    static void Power(WPARAM event) { ::SendMessageA(App().MainWindow(), WM_POWERBROADCAST, event, 0); }
};

TEST_F(Sleep, ASuspendGivesUpAConnectionQuietlyAndAWakeProdlesOnceAtTheNextTick)
{
    Power(PBT_APMSUSPEND);
    Power(PBT_APMRESUMEAUTOMATIC);
    EXPECT_EQ(Status(), "PLEASE START ME") << "a program not started stays so";
    LoopbackListener dead("127.0.0.8", Handshake::NeverAnswered);
    TypeHost("127.0.0.8");
    StartCycleAndSettle();
    Tick();
    Power(PBT_APMSUSPEND);  // while connecting
    EXPECT_EQ(CurrentPhase(), Phase::CountingDown);
    EXPECT_EQ(App().GetWaitCursorCount(), 0);
    TypeHost("127.0.0.1");
    {
        LoopbackServer silent(ServerBehaviour::Silent);
        StartCycleAndSettle();
        Tick();
        ASSERT_TRUE(WaitForRequests(silent, 1));
        Power(PBT_APMSUSPEND);  // while waiting for the reply
        EXPECT_TRUE(PumpUntil([&] { return silent.ClientsGone() == 1; }));
    }
    LoopbackServer server(ServerBehaviour::Reply);
    Power(PBT_APMRESUMEAUTOMATIC);
    Tick();
    ASSERT_TRUE(WaitForRequests(server, 1) && WaitUntilCompleted());
    EXPECT_EQ(Countdown(), " 0:15") << "the period counts from the wake's prodle";
    Power(PBT_APMRESUMESUSPEND);  // the same wake, announced again once the user is back
    Tick();
    PumpFor(100);
    EXPECT_EQ(server.RequestCount(), 1u) << "one wake, one prodle";
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(Sleep, AFailureSoonAfterAWakeWaitsForTheNetworkUntilItComesOrTheGraceEnds)
{
    const auto waiting = [this] {
        return PumpUntil([this] { return CurrentPhase() == Phase::WaitingForNetwork; });
    };
    StartCycleAndSettle();
    Power(PBT_APMSUSPEND);
    Power(PBT_APMRESUMEAUTOMATIC);
    Tick();  // nothing listens yet: refused
    ASSERT_TRUE(waiting());
    ::SendMessageA(Form(), WM_TIMER, TIMER_NETWORK_RETRY, 0);
    ASSERT_TRUE(waiting());
    EXPECT_EQ(Status(), "Waiting for the network");
    EXPECT_EQ(TrayTip(), "Prodle is waiting for the network");
    EXPECT_EQ(BoxCount(), 0u);
    {
        LoopbackServer server(ServerBehaviour::Reply);  // the network is back
        ::SendMessageA(Form(), WM_TIMER, TIMER_NETWORK_RETRY, 0);
        ASSERT_TRUE(WaitForRequests(server, 1) && WaitUntilCompleted());
    }
    // Another wake whose network never comes back: once the grace has passed, the usual box and stop.
    Engine().SetWakeGrace(0);
    Power(PBT_APMSUSPEND);
    Power(PBT_APMRESUMEAUTOMATIC);
    Tick();
    ASSERT_TRUE(WaitForConnection());
    EXPECT_TRUE(IsErrorBox(LastBox(), "Prodle: Cannot connect to 127.0.0.1 on port 80")) << LastBox();
    EXPECT_EQ(CurrentPhase(), Phase::Stopped);
}
