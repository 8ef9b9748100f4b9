// What goes wrong: a connect refused or never answered, with and without "Ignore Connection Failures", a
// socket that cannot be made, no host to connect to, and lookups that fail. A box is settled before it
// shows: nothing that comes while it is up starts a prodle or another box. Each prodle, whatever its end,
// goes to the history once.
#include "engine_fixture.h"

TEST_F(EngineTest, WithoutIgnoreAFailedConnectShowsItsBoxAndStopsOnlyOnceItIsClosed)
{
    Parameters parameters = DefaultParameters();
    parameters.launchTime = "03:02:01";  // when the program's window was made, before the engine
    Launch(Stored({"127.0.0.1"}), parameters);
    TypeHost("127.0.0.2");
    StartCounting();
    AdvanceToNextAlarm();
    Refuse();
    ASSERT_EQ(world.boxes, std::vector<std::string>{"Prodle: Cannot connect to 127.0.0.2 on port 80\n\n"
                                                    "Prodle launched at time 03:02:01\n"
                                                    "This message created at time 04:05:06"});
    EXPECT_EQ(phase(), Phase::ReportingFailure);
    EXPECT_NE(world.tip, "Prodle has stopped") << "the stop comes after the box";

    // While it is up the countdown runs on, but neither a prodle nor a late bound does anything.
    Advance(25 * 60 * 1000);
    engine->OnWake();
    engine->OnSuspend();
    engine->OnResume();
    engine->Start();
    EXPECT_EQ(Connections().size(), 1u);
    EXPECT_EQ(world.boxes.size(), 1u);
    CloseBox();
    EXPECT_EQ(phase(), Phase::Stopped);
    EXPECT_EQ(world.tip, "Prodle has stopped");
    EXPECT_EQ(world.picture, TrayPicture::Stopped);
    EXPECT_EQ(world.status, "NOT RUNNING");
    EXPECT_FALSE(world.counting);
    EXPECT_EQ(world.stored.writes, 0) << "a failed attempt stores nothing";

    // The program ended while the box was up: its closing changes nothing more.
    engine->Start();
    AdvanceToNextAlarm();
    Refuse();
    engine->Shutdown();
    world.tip = "(after the end)";
    CloseBox();
    EXPECT_EQ(world.tip, "(after the end)");
    EXPECT_EQ(phase(), Phase::Closed);
}

TEST_F(EngineTest, WithIgnoreTheNextEntryIsTriedAndAHostOutsideTheListGoesToTheFirst)
{
    Settings settings = Stored({"127.0.0.3", "  127.0.0.2", "localhost"}, 2);
    settings.options.ignoreFailures = true;
    Launch(settings);
    StartCounting();
    AdvanceToNextAlarm();
    Refuse();
    // The last entry failed: back to the first, counting down from a new start, shown at once.
    EXPECT_EQ(engine->Hosts().Text(), "127.0.0.3");
    EXPECT_EQ(world.selected, 0);
    EXPECT_EQ(world.countdown, " 0:01");
    AdvanceToNextAlarm();
    Refuse();
    EXPECT_EQ(engine->Hosts().Selected(), 1);
    // Stored with spaces before it, that entry is checked as a name and connected to without them, and
    // then not found by the text after them: the first again.
    AnswerHost(true);
    AdvanceToNextAlarm();
    EXPECT_EQ(Connections().back(), "127.0.0.2");
    Refuse();
    EXPECT_EQ(engine->Hosts().Selected(), 0);
    EXPECT_TRUE(world.boxes.empty());
    EXPECT_EQ(world.stored.writes, 0);
}

TEST_F(EngineTest, TheOnlyHostFailingGivesTheOptionUpWithItsBoxThenTheTraysNotice)
{
    Settings settings = Stored({"127.0.0.2"});
    settings.options.ignoreFailures = true;
    Launch(settings);
    StartCounting();
    AdvanceToNextAlarm();
    Refuse();
    ASSERT_EQ(world.boxes.size(), 1u);
    EXPECT_EQ(world.boxes[0],
              "You had a connection failure on the only\ndomain in the list.\n\n"
              "Prodle has reset your \"Ignore Connection Failures\"\noption. Please restart Prodle");
    EXPECT_FALSE(engine->Options().ignoreFailures);
    EXPECT_FALSE(world.stored.options->ignoreFailures);
    EXPECT_FALSE(world.counting) << "stopped before the box";
    EXPECT_NE(world.tip, "Prodle has stopped");
    CloseBox();
    EXPECT_EQ(world.tip, "Prodle has stopped");
    EXPECT_EQ(world.picture, TrayPicture::Stopped);
    EXPECT_EQ(phase(), Phase::Stopped);
}

TEST_F(EngineTest, ANeverAnsweredConnectSkipsTheProdlesDueMeanwhileUntilItsBound)
{
    Settings settings = Stored({"127.0.0.8", "127.0.0.1"});
    settings.options.ignoreFailures = settings.options.randomTime = settings.options.debug = true;
    Launch(settings);
    StartCounting();
    AdvanceToNextAlarm();
    const std::set<std::string> randomTargets = {" 0:10", " 0:12", " 0:14", " 0:17", " 0:19", " 0:20"};
    EXPECT_EQ(randomTargets.count(world.countdown), 1u) << world.countdown;
    // Every prodle due in the next 21 s is skipped, each drawing its random target as any expiry does.
    Advance(20999);
    EXPECT_EQ(Connections().size(), 1u);
    EXPECT_EQ(phase(), Phase::Connecting);
    EXPECT_EQ(randomTargets.count(world.countdown), 1u) << world.countdown;
    Advance(1);
    EXPECT_EQ(engine->Hosts().Text(), "127.0.0.1");
    EXPECT_EQ(world.countdown, " 0:01") << "the rotation's countdown shows at once";
    EXPECT_FALSE(world.waiting);
    EXPECT_EQ(world.OpenConnections(), 0);
}

TEST_F(EngineTest, ASocketThatCannotBeMadeIsReportedAndNoHostTextFailsWithoutABox)
{
    for (bool ignore : {false, true}) {
        Settings settings = Stored({"127.0.0.1", "127.0.0.2"});
        settings.options.ignoreFailures = ignore;
        Launch(settings);
        StartCounting();
        AdvanceToNextAlarm();
        engine->OnNoSocket(world.requests.back().ticket);
        EXPECT_EQ(world.boxes.back(), ErrorBox("Prodle: Error opening stream socket"));
        CloseBox();
        // No rotation for it: with the option the countdown simply runs on.
        EXPECT_EQ(phase(), ignore ? Phase::CountingDown : Phase::Stopped);
        EXPECT_EQ(engine->Hosts().Selected(), 0);
    }
    for (const char* host : {"", "   "}) {
        for (bool ignore : {false, true}) {
            Settings settings = Stored({"localhost"});
            settings.options.ignoreFailures = ignore;
            Launch(settings);
            engine->Start();
            AnswerLocalAddress();
            // While the check runs: the countdown takes the texts as they then are.
            TypeHost(host);
            TypeMinutes("7");
            AnswerHost(true);
            const size_t boxes = world.boxes.size();
            AdvanceToNextAlarm();
            EXPECT_EQ(phase(), ignore ? Phase::CountingDown : Phase::Stopped) << '"' << host << '"';
            EXPECT_EQ(world.countdown, ignore ? " 7:00" : "");
            EXPECT_EQ(world.boxes.size(), boxes);
            EXPECT_FALSE(world.waiting);
        }
    }
}

TEST_F(EngineTest, LookupsThatFailStopWithTheirBoxesAndTheNextStartTriesAgain)
{
    Launch(Stored({"www.invalid"}));
    engine->Start();
    FailLocalAddress();
    EXPECT_EQ(world.boxes.back(), ErrorBox("Unable to get local IP address.\nHave you dialed your ISP?"));
    EXPECT_EQ(world.tip, "Prodle has stopped") << "stopped before its box";
    EXPECT_EQ(engine->LocalAddress(), "no address yet");
    CloseBox();
    engine->Start();
    EXPECT_EQ(phase(), Phase::LookingUpLocalAddress);
    AnswerLocalAddress("no digit");
    EXPECT_EQ(world.boxes.size(), 2u) << "an address that does not start with a digit is no address";
    CloseBox();
    engine->Start();
    AnswerLocalAddress("192.0.2.9");
    AnswerHost(false);
    EXPECT_EQ(world.boxes.back(), ErrorBox("Prodle: Name www.invalid Not Found"));
    EXPECT_TRUE(world.startEnabled);
    EXPECT_EQ(engine->LocalAddress(), "192.0.2.9");
}

TEST_F(EngineTest, EachProdleThatEndsGoesToTheHistoryWithHowItEndedAndItsReplyTime)
{
    Launch(Stored({"localhost"}));
    StartCounting();
    Advance(1000);
    const int64_t first = world.EpochSeconds();
    Advance(4);
    Connect("127.0.0.1");
    Advance(34);
    Reply();
    Reply();  // the rest of the reply changes nothing
    EXPECT_EQ(world.tip.substr(world.tip.find(" - ")), " - last reply 38 ms");
    ProdleAndConnect();
    ServerCloses();
    ProdleAndConnect();  // no reply before the next prodle
    AdvanceToNextAlarm();
    Refuse();
    CloseBox();
    // A start's lookup that fails; a connect that fails soon after a wake.
    engine->Start();
    AnswerHost(false);
    CloseBox();
    StartCounting();
    engine->OnSuspend();
    engine->OnResume();
    AdvanceToNextAlarm();
    Refuse();
    std::vector<std::string> lines;
    for (const ProdleRecord& record : world.history)
        lines.push_back(FormatRecord(record));
    auto at = [first](int64_t seconds) { return std::to_string(first + seconds) + "\tlocalhost\t"; };
    EXPECT_EQ(lines, (std::vector<std::string>{
                         at(0) + "127.0.0.1\treply\t38",
                         at(1500) + "192.0.2.80\tclosed without reply\t-1",
                         at(3000) + "192.0.2.80\tno reply\t-1",
                         at(4500) + "\trefused\t-1",
                         at(4500) + "\tlookup failed\t-1",
                         at(4501) + "\twaited for the network\t-1",
                     }));

    // A prodle under way when the program ends is none.
    Advance(3000);
    Connect();
    engine->Shutdown();
    EXPECT_EQ(world.history.size(), lines.size());
}
