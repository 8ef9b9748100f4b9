// Sleep, wake and a change of network: a connection is given up quietly before a sleep; a wake prodles a
// running cycle a second later, once however often it is announced; for a while after a wake or a change
// a failed lookup or connect waits for the network, trying again every 3 s. A box waits for the user
// whatever happens meanwhile, and a stopped program stays stopped.
#include <algorithm>

#include "engine_fixture.h"

TEST_F(EngineTest, ASuspendGivesAConnectionUpQuietlyAndAWakeProdlesOnceASecondLater)
{
    Launch(Stored({"127.0.0.1"}));
    StartCounting();
    AdvanceToNextAlarm();
    engine->OnSuspend();
    EXPECT_EQ(phase(), Phase::CountingDown);
    EXPECT_EQ(world.OpenConnections(), 0);
    EXPECT_FALSE(world.waiting);
    EXPECT_TRUE(world.boxes.empty());
    Sleep(3 * 60 * 60 * 1000);
    engine->OnResume();
    Advance(999);
    EXPECT_EQ(Connections().size(), 1u);
    Advance(1);
    EXPECT_EQ(Connections().size(), 2u);
    Connect();
    Reply();
    engine->OnResume();  // the same wake, announced again once the user is back
    Advance(5000);
    EXPECT_EQ(Connections().size(), 2u) << "one wake, one prodle";

    // A later wake without a sleep announced before it (a critical suspend) is a wake all the same.
    Advance(2 * 60 * 1000);
    engine->OnResume();
    Advance(1000);
    EXPECT_EQ(Connections().size(), 3u);
}

TEST_F(EngineTest, ASuspendDuringTheCyclesFirstConnectLeavesTheWakesProdleToTheSameHost)
{
    for (int selected : {0, -1}) {
        Launch(Stored({"127.0.0.1", "127.0.0.2"}, selected));
        TypeHost("127.0.0.2");
        StartCounting();
        AdvanceToNextAlarm();
        engine->OnSuspend();
        engine->OnResume();
        Advance(1000);
        EXPECT_EQ(Connections().back(), "127.0.0.2") << "stored selection " << selected;
        EXPECT_EQ(phase(), Phase::Connecting);
    }
}

TEST_F(EngineTest, FailuresSoonAfterAWakeWaitForTheNetworkUntilItAnswersOrTheGraceEnds)
{
    Launch(Stored({"www.example.com"}));
    StartCounting();
    engine->OnSuspend();
    Sleep(60 * 60 * 1000);
    engine->OnResume();
    AdvanceToNextAlarm();
    Refuse();
    EXPECT_EQ(phase(), Phase::WaitingForNetworkToProdle);
    EXPECT_EQ(world.status, "Waiting for the network");
    EXPECT_EQ(world.tip, "Prodle is waiting for the network");
    Advance(3000);
    ASSERT_EQ(Connections().size(), 2u) << "tried again after 3 s";
    Refuse();
    Advance(3000);
    Connect();
    EXPECT_EQ(phase(), Phase::WaitingForReply);
    EXPECT_EQ(world.journal.back(), "The network is back after 6 s and 2 tries");
    EXPECT_TRUE(world.counting) << "the countdown runs again";

    // A start's lookup that fails after a wake waits too, and the whole start is tried again.
    engine->OnSuspend();
    engine->OnResume();
    engine->Start();
    AnswerHost(false);
    EXPECT_EQ(phase(), Phase::WaitingForNetworkToStart);
    Advance(3000);
    EXPECT_EQ(phase(), Phase::CheckingHost);
    EXPECT_TRUE(world.boxes.empty());

    // Until the grace of a minute has passed: then the failure takes its usual course.
    Advance(55000);
    AnswerHost(false);
    EXPECT_EQ(phase(), Phase::WaitingForNetworkToStart) << "59 s after the wake";
    Advance(3000);
    AnswerHost(false);
    EXPECT_EQ(phase(), Phase::ReportingStop);
    EXPECT_EQ(world.boxes, std::vector<std::string>{ErrorBox("Prodle: Name www.example.com Not Found")});
    // Each wait is one record, however many tries it took.
    const auto waits =
        std::count_if(world.history.begin(), world.history.end(), [](const ProdleRecord& record) {
            return record.outcome == ProdleOutcome::WaitedForNetwork;
        });
    EXPECT_EQ(waits, 2);
}

TEST_F(EngineTest, TheNetworksGraceEndsAMinuteAfterTheWake)
{
    for (uint64_t after : {59999u, 60000u}) {
        Launch(Stored({"www.example.com"}));
        StartCounting();
        engine->OnSuspend();
        engine->OnResume();
        Sleep(after);
        engine->Start();
        AnswerHost(false);
        EXPECT_EQ(phase(), after < 60000 ? Phase::WaitingForNetworkToStart : Phase::ReportingStop) << after;
    }
}

TEST_F(EngineTest, AWaitForTheNetworkIsOneRecordAndTwoLinesHoweverManyTriesItTakes)
{
    Launch(Stored({"127.0.0.1"}));
    StartCounting();
    ProdleAndConnect();
    Reply();
    engine->OnFormShown(true);
    engine->OnSuspend();
    engine->OnResume();
    AdvanceToNextAlarm();
    Refuse();
    EXPECT_FALSE(world.counting) << "no countdown runs while it waits";
    EXPECT_EQ(world.countdown, "");
    while (phase() == Phase::WaitingForNetworkToProdle) {
        Advance(3000);
        Refuse();
    }
    EXPECT_EQ(phase(), Phase::ReportingFailure) << "the grace has passed";
    std::vector<std::string> waits;
    for (const std::string& line : world.journal) {
        if (line.find("for the network") != std::string::npos)
            waits.push_back(line);
    }
    EXPECT_EQ(waits,
              (std::vector<std::string>{
                  "Waiting for the network: cannot connect to 127.0.0.1 on port 80: refused, or the name "
                  "not found",
                  "Stopped waiting for the network after 60 s and 20 tries"}));
    std::vector<ProdleOutcome> outcomes;
    for (const ProdleRecord& record : world.history)
        outcomes.push_back(record.outcome);
    EXPECT_EQ(outcomes, (std::vector<ProdleOutcome>{ProdleOutcome::Reply, ProdleOutcome::WaitedForNetwork,
                                                    ProdleOutcome::Refused}));
    CloseBox();
}

TEST_F(EngineTest, NothingThatComesWhileABoxIsUpStartsAProdleOrAnotherBox)
{
    Settings settings = Stored({"127.0.0.1", "127.0.0.2"});
    settings.options.ignoreFailures = true;
    Launch(settings);
    StartCounting();
    AdvanceToNextAlarm();
    engine->OnNoSocket(world.requests.back().ticket);
    for (int i = 0; i < 3; ++i) {
        engine->OnSuspend();
        Sleep(60 * 60 * 1000);
        engine->OnResume();
        Advance(30 * 60 * 1000);
        engine->OnNetworkChanged();
    }
    EXPECT_EQ(Connections().size(), 1u);
    EXPECT_EQ(world.boxes.size(), 1u);
    CloseBox();
    EXPECT_EQ(phase(), Phase::CountingDown);
    ProdleAndConnect();
    EXPECT_EQ(Connections().size(), 2u);
}

TEST_F(EngineTest, AStoppedProgramStaysStoppedThroughSleepWakeAndNetworkChanges)
{
    Launch(Stored({"127.0.0.1"}));
    engine->OnSuspend();
    engine->OnResume();
    engine->OnNetworkChanged();
    Advance(60 * 60 * 1000);
    EXPECT_EQ(phase(), Phase::Stopped);
    EXPECT_EQ(world.status, "PLEASE START ME");
    EXPECT_TRUE(world.requests.empty());
    // Nor does a wake it slept through make it wait for the network once it is started.
    engine->OnSuspend();
    engine->OnResume();
    StartCounting();
    AdvanceToNextAlarm();
    Refuse();
    EXPECT_EQ(phase(), Phase::ReportingFailure);
}

TEST_F(EngineTest, AChangeOfNetworkLooksTheAddressAndTheHostUpAgainAndProdlesOnceTheyAnswer)
{
    Launch(Stored({"www.example.com"}));
    StartCounting();
    ProdleAndConnect();
    Reply();
    // What the user typed without pressing Start is no part of a restart the program makes itself.
    TypeMinutes("abc");
    TypeHost("www.typed.example");
    engine->OnNetworkChanged();
    EXPECT_EQ(phase(), Phase::LookingUpLocalAddress);
    FailLocalAddress();
    EXPECT_EQ(phase(), Phase::WaitingForNetworkToStart) << "the new network is not up yet";
    Advance(3000);
    AnswerLocalAddress("198.51.100.4");
    EXPECT_EQ(world.requests.back().host, "www.example.com");
    AnswerHost(true);
    Advance(1000);
    Connect();
    EXPECT_EQ(world.requests.back().sent.find("Host: 198.51.100.4\r\n") != std::string::npos, true);
    EXPECT_EQ(world.requests.back().host, "www.example.com");
    Reply();
    EXPECT_TRUE(world.boxes.empty());
    EXPECT_EQ(world.stored.often, "25");
    EXPECT_EQ(engine->Hosts().Entries(), std::vector<std::string>{"www.example.com"});
}

TEST_F(EngineTest, TheLogTellsStartsFailuresAndTheirReasonsSleepWakeChangesOfNetworkAndTheEnd)
{
    Settings settings = Stored({"127.0.0.2", "127.0.0.3"});
    settings.options.ignoreFailures = true;
    Launch(settings);
    StartCounting();
    AdvanceToNextAlarm();
    Refuse();
    engine->OnSuspend();
    engine->OnResume();
    Advance(1000);
    Advance(21000);
    engine->OnNetworkChanged();
    engine->Shutdown();
    EXPECT_EQ(world.journal,
              (std::vector<std::string>{
                  "Start, host 127.0.0.2, every 25 minutes",
                  "Failure: cannot connect to 127.0.0.2 on port 80: refused, or the name not found; the next "
                  "host is "
                  "127.0.0.3",
                  "Sleep", "Wake",
                  "Waiting for the network: cannot connect to 127.0.0.3 on port 80: no answer within 21 s",
                  "The network changed", "Stopped waiting for the network after 0 s and 0 tries", "Exit"}));
}
