// The cycle: a start's lookups, the period, the countdown and who sees it, a prodle and its reply, the
// random options and the auto-start.
#include "engine_fixture.h"

#include "engine/rules/http_request.h"

TEST_F(EngineTest, AStartLooksUpTheAddressOnceChecksTheNameAndProdlesASecondLater)
{
    Launch(Stored({"localhost"}));
    EXPECT_EQ(world.status, "PLEASE START ME");
    EXPECT_EQ(world.picture, TrayPicture::Stopped);
    engine->Start();
    EXPECT_EQ(phase(), Phase::LookingUpLocalAddress);
    EXPECT_EQ(world.status, "Determining Local IP Address");
    EXPECT_TRUE(world.waiting);
    EXPECT_FALSE(world.startEnabled);
    AnswerLocalAddress("192.0.2.7");
    EXPECT_EQ(world.status, "Validating Domain Name");
    EXPECT_EQ(world.requests.back().host, "localhost");
    AnswerHost(true);
    EXPECT_EQ(phase(), Phase::CountingDown);
    EXPECT_FALSE(world.waiting);
    EXPECT_EQ(world.countdown, " 0:01");
    EXPECT_EQ(world.tip, "Prodle in  0:01");
    EXPECT_EQ(world.status, "Validating Domain Name") << "kept until the prodle writes its own";

    Advance(999);
    EXPECT_TRUE(Connections().empty());
    Advance(1);
    ASSERT_EQ(Connections(), (std::vector<std::string>{"localhost"}));
    EXPECT_EQ(world.countdown, "25:00");
    Connect();
    EXPECT_EQ(world.status, "Prodle was sent");
    EXPECT_EQ(world.picture, TrayPicture::InFlight);
    EXPECT_EQ(world.requests.back().sent, BuildProdleRequest("192.0.2.7"));
    Reply();
    EXPECT_EQ(world.status, "Prodle completed at 04:05:06");
    EXPECT_EQ(world.picture, TrayPicture::Running);
    EXPECT_FALSE(world.startEnabled) << "the button comes back at the next second anyone sees";

    // The second start of the run asks for no local address.
    engine->Start();
    EXPECT_EQ(phase(), Phase::CheckingHost);
    EXPECT_EQ(world.requests.size(), 4u);
}

TEST_F(EngineTest, TheCountdownTicksOnlyWhileTheFormOrTheTraysTipShowsIt)
{
    Launch(Stored({"127.0.0.1"}));
    StartCounting();
    ProdleAndConnect();
    Advance(38);
    Reply();
    Advance(5500 - 38);
    EXPECT_EQ(world.countdown, "25:00") << "hidden: nothing changes between prodles";
    EXPECT_FALSE(deadline(Alarm::Countdown));

    engine->OnFormShown(true);
    EXPECT_EQ(world.countdown, "24:55");
    EXPECT_TRUE(world.startEnabled);
    Advance(500);
    EXPECT_EQ(world.countdown, "24:54") << "a tick at each change of the shown second";
    Advance(60 * 1000 + 0);
    EXPECT_EQ(world.countdown, "23:54");
    EXPECT_EQ(world.tip, "Prodle in 23:54 - last reply 38 ms");
    engine->OnFormShown(false);
    Advance(1000);
    EXPECT_FALSE(deadline(Alarm::Countdown));

    // The tray's tip: right at once when it shows, and each second for as long as it shows.
    engine->OnTrayTipShown(true);
    EXPECT_EQ(world.tip, "Prodle in 23:53 - last reply 38 ms");
    Advance(30000);
    EXPECT_EQ(world.tip, "Prodle in 23:23 - last reply 38 ms");
    engine->OnTrayTipShown(false);
    Advance(1000);
    EXPECT_FALSE(deadline(Alarm::Countdown));
}

TEST_F(EngineTest, PeriodsAreReadFromTheMinutesTextAndARefusedOneStopsWithItsBox)
{
    Launch(Stored({"127.0.0.1"}));
    const struct {
        const char* text;
        const char* period;
    } accepted[] = {{"1.5", " 1:30"}, {"60.5", "60:30"}, {" 7 minutes", " 7:00"}};
    for (const auto& c : accepted) {
        TypeMinutes(c.text);
        StartCounting();
        ProdleAndConnect();
        EXPECT_EQ(world.countdown, c.period) << c.text;
        EXPECT_EQ(world.stored.often, c.text);
    }
    // A success stores the period the cycle runs with, not one typed since.
    TypeMinutes("33");
    ProdleAndConnect();
    EXPECT_EQ(world.stored.often, " 7 minutes");
    TypeMinutes(" 7 minutes");
    for (const char* text : {"0.5", "0", "61", "abc", ""}) {
        TypeMinutes(text);
        engine->Start();
        EXPECT_EQ(phase(), Phase::ReportingStop) << text;
        EXPECT_EQ(world.boxes.back(), "Prodle: Time period must be between 1 and 60");
        EXPECT_EQ(world.minutes, " 7 minutes") << "the last accepted text comes back";
        EXPECT_EQ(world.status, "NOT RUNNING");
        EXPECT_EQ(world.tip, "Prodle has stopped");
        EXPECT_EQ(world.picture, TrayPicture::Stopped);
        EXPECT_EQ(world.OpenConnections(), 0);
        CloseBox();
        EXPECT_EQ(phase(), Phase::Stopped);
    }

    // Debug mode takes any text, for 15 s, and its random shifts are at most 5 s.
    Settings debug = Stored({"127.0.0.1"});
    debug.options.debug = debug.options.randomTime = true;
    debug.often = "abc";
    Launch(debug);
    StartCounting();
    std::set<std::string> targets;
    for (int i = 0; i < 400; ++i) {
        ProdleAndConnect();
        targets.insert(world.countdown);
    }
    EXPECT_EQ(targets, (std::set<std::string>{" 0:10", " 0:12", " 0:14", " 0:17", " 0:19", " 0:20"}));
}

TEST_F(EngineTest, AutoStartComesASecondAfterLaunchOnceAndAStartBeforeCancelsIt)
{
    Settings settings = Stored({"127.0.0.1"});
    settings.options.autoStart = true;
    settings.launchesStopped = false;
    Launch(settings);
    EXPECT_EQ(world.picture, TrayPicture::Running);
    Advance(999);
    EXPECT_EQ(phase(), Phase::Stopped);
    // A wake-up that comes early (a timer a tick ahead of the clock) asks again for the one it missed.
    world.wake.reset();
    engine->OnWake();
    ASSERT_EQ(world.wake, world.now + 1);
    Advance(1);
    EXPECT_EQ(phase(), Phase::LookingUpLocalAddress);
    AnswerLocalAddress();
    EXPECT_EQ(phase(), Phase::CountingDown);

    Launch(settings);
    engine->Start();
    AnswerLocalAddress();
    Advance(1000);
    ASSERT_EQ(Connections().size(), 1u) << "the auto-start did not start the cycle again";
    EXPECT_EQ(phase(), Phase::Connecting);
}

TEST_F(EngineTest, RandomHostsPickAnotherEntryAtEachExpiryButTheFirst)
{
    Settings settings = Stored({"127.0.0.1"});
    settings.options.randomHost = true;
    Launch(settings);
    StartCounting();
    for (int i = 0; i < 3; ++i) {
        ProdleAndConnect();
        EXPECT_EQ(Connections().back(), "127.0.0.1") << "one entry is picked every time";
    }

    // Two entries alternate; switched on mid-countdown, the current host is prodled first.
    Launch(Stored({"127.0.0.1", "127.0.0.2"}));
    StartCounting();
    ProdleAndConnect();
    KeepAliveOptions options = engine->Options();
    options.randomHost = true;
    engine->ConfirmOptions(options);
    ProdleAndConnect();
    EXPECT_EQ(Connections(), (std::vector<std::string>{"127.0.0.1", "127.0.0.1"}));
    for (const char* expected : {"127.0.0.2", "127.0.0.1", "127.0.0.2"}) {
        AdvanceToNextAlarm();
        EXPECT_EQ(world.selected, engine->Hosts().Selected());
        EXPECT_EQ(world.countdown, " 0:01") << "the picked host's cycle starts over";
        ProdleAndConnect();
        EXPECT_EQ(Connections().back(), expected);
    }
}

TEST_F(EngineTest, ADeadlineThatPassedInASleepComesAtOnceWithoutAWakeMessage)
{
    Launch(Stored({"127.0.0.1"}));
    StartCounting();
    ProdleAndConnect();
    Reply();
    Sleep(2 * 60 * 60 * 1000);
    ASSERT_TRUE(AdvanceToNextAlarm());
    EXPECT_EQ(Connections().size(), 2u);
    EXPECT_EQ(world.countdown, "25:00") << "the next period counts from this prodle";
}
