// What Edit Names and Options confirm, also while a connection is being made or waits for the network:
// the connection's outcome is handled with the options it began with, and never brings back a host that
// the user deleted since; what the user confirmed stands.
#include "engine_fixture.h"

TEST_F(EngineTest, ASuccessStoresThePeriodAndTheListAndAddsANewHostAsGiven)
{
    Launch(Stored({"127.0.0.2", "LocalHost"}, 0));
    TypeMinutes("7.5 minutes");
    TypeHost("  10.0.0.1");
    StartCounting();
    ProdleAndConnect();
    EXPECT_EQ(Connections().back(), "10.0.0.1") << "connected without the spaces";
    EXPECT_EQ(world.stored.often, "7.5 minutes");
    EXPECT_EQ(world.stored.hosts, (std::vector<std::string>{"127.0.0.2", "LocalHost", "  10.0.0.1"}));
    EXPECT_EQ(world.stored.selected, 2);
    EXPECT_EQ(world.hosts, *world.stored.hosts);
    EXPECT_EQ(engine->CurrentHost(), "  10.0.0.1");

    // A host that differs from an entry only in letter case is that entry.
    TypeHost("localhost");
    StartCounting();
    ProdleAndConnect();
    EXPECT_EQ(world.stored.hosts->size(), 3u);
    EXPECT_EQ(world.stored.selected, 1);
    EXPECT_EQ(engine->CurrentHost(), "localhost");
}

TEST_F(EngineTest, EditNamesDuringAConnectOrAWaitForTheNetworkNeverBringsADeletedHostBack)
{
    Launch(Stored({"127.0.0.1", "127.0.0.2"}));
    StartCounting();
    AdvanceToNextAlarm();  // connecting to 127.0.0.1, the cycle's first prodle
    engine->ConfirmHostList({"127.0.0.2"}, 0);
    EXPECT_EQ(world.stored.hosts, std::vector<std::string>{"127.0.0.2"});
    Connect();
    EXPECT_EQ(engine->Hosts().Entries(), std::vector<std::string>{"127.0.0.2"});
    EXPECT_EQ(world.stored.hosts, std::vector<std::string>{"127.0.0.2"});
    EXPECT_EQ(world.stored.selected, 0);
    Reply();
    ProdleAndConnect();
    EXPECT_EQ(Connections().back(), "127.0.0.2") << "later prodles go where the dialog left the selection";

    // The same after a wake, while a failed connect waits for the network.
    Launch(Stored({"127.0.0.1", "127.0.0.2"}));
    StartCounting();
    engine->OnSuspend();
    engine->OnResume();
    AdvanceToNextAlarm();
    Refuse();
    ASSERT_EQ(phase(), Phase::WaitingForNetworkToProdle);
    engine->ConfirmHostList({"127.0.0.2"}, 0);
    AdvanceToNextAlarm();
    Connect();
    EXPECT_EQ(engine->Hosts().Entries(), std::vector<std::string>{"127.0.0.2"});
    EXPECT_EQ(world.stored.hosts, std::vector<std::string>{"127.0.0.2"});

    // A host typed and started with was never in the list: the new list takes it when it connects.
    Launch(Stored({"127.0.0.1", "127.0.0.2"}));
    TypeHost("127.0.0.9");
    StartCounting();
    engine->ConfirmHostList({"127.0.0.2"}, 0);
    ProdleAndConnect();
    EXPECT_EQ(Connections().back(), "127.0.0.9");
    EXPECT_EQ(world.stored.hosts, (std::vector<std::string>{"127.0.0.2", "127.0.0.9"}));
    EXPECT_EQ(world.selected, 1);

    // Deleted while its connect was under way, then the network changes: the restart goes to the host
    // the dialog left selected.
    Launch(Stored({"127.0.0.1", "127.0.0.2"}));
    StartCounting();
    AdvanceToNextAlarm();
    engine->ConfirmHostList({"127.0.0.2"}, 0);
    engine->OnNetworkChanged();
    AnswerLocalAddress();
    AdvanceToNextAlarm();
    EXPECT_EQ(Connections(), (std::vector<std::string>{"127.0.0.1", "127.0.0.2"}));
}

TEST_F(EngineTest, OptionsDuringAConnectMeetItsFailureWithTheOptionsItBeganWith)
{
    Launch(Stored({"127.0.0.8", "127.0.0.1"}));
    StartCounting();
    AdvanceToNextAlarm();
    KeepAliveOptions options = engine->Options();
    options.ignoreFailures = true;
    engine->ConfirmOptions(options);
    EXPECT_TRUE(world.stored.options->ignoreFailures);
    Advance(21000);
    EXPECT_EQ(world.boxes,
              std::vector<std::string>{ErrorBox("Prodle: Cannot connect to 127.0.0.8 on port 80")});
    CloseBox();
    EXPECT_TRUE(engine->Options().ignoreFailures) << "what the user confirmed stands";
}

TEST_F(EngineTest, AnEmptyListIsReplacedByTheDefaultsWithANoticeAndIsNotStored)
{
    Settings settings = Stored({});
    settings.options.autoStart = true;
    Launch(settings);
    EXPECT_EQ(world.hosts, DefaultParameters().defaultHosts);
    EXPECT_EQ(world.selected, 0);
    ASSERT_EQ(world.boxes, std::vector<std::string>{"Prodle is restoring the default domain set."});
    Advance(5000);
    EXPECT_EQ(phase(), Phase::ReportingStopThenAutoStart) << "nothing starts until the notice is answered";
    CloseBox();
    Advance(1000);
    EXPECT_EQ(phase(), Phase::LookingUpLocalAddress);
    EXPECT_EQ(world.stored.writes, 0);

    // Edit Names with every entry deleted: the empty list is stored, the defaults are shown.
    engine->ConfirmHostList({}, 0);
    EXPECT_EQ(world.stored.hosts, std::vector<std::string>{});
    EXPECT_EQ(world.notices, std::vector<std::string>{"Prodle is restoring the default domain set."});
    EXPECT_EQ(engine->Hosts().Entries(), DefaultParameters().defaultHosts);
    EXPECT_EQ(engine->CurrentHost(), "www.one.example");
}

// Letter case is ignored from A to Z, and only there: '@' and '`', '[' and '{' stay apart.
TEST(HostListTest, FindsAHostIgnoringLetterCaseAndPicksAnotherByDrawingAgain)
{
    HostList list;
    list.Replace({"Az.example", "zz", "@[", "`{"}, 0);
    EXPECT_EQ(list.Find("aZ.EXAMPLE"), 0);
    EXPECT_EQ(list.Find("ZZ"), 1);
    EXPECT_EQ(list.Find("`{"), 3);
    EXPECT_EQ(list.Find("@{"), -1);

    // A draw of the selected entry is drawn again; with one entry the first draw stands.
    list.Replace({"a", "b", "c"}, 1);
    const std::vector<int> draws = {4, 7, 5};  // entries 1, 1, 2
    size_t taken = 0;
    EXPECT_EQ(list.PickOther([&] { return draws[taken++]; }), 2);
    EXPECT_EQ(taken, 3u);
    list.Replace({"a"}, 0);
    taken = 0;
    EXPECT_EQ(list.PickOther([&] { return draws[taken++]; }), 0);
    EXPECT_EQ(taken, 1u);
}

TEST_F(EngineTest, AStoredSelectionBeyondTheListSelectsTheFirstAndANegativeOneNone)
{
    for (int stored : {2, 5}) {
        Launch(Stored({"alpha", "beta"}, stored));
        EXPECT_EQ(world.selected, 0) << stored;
        EXPECT_EQ(engine->CurrentHost(), "alpha");
    }
    Launch(Stored({"alpha", "beta"}, -1));
    EXPECT_EQ(world.selected, -1);
    EXPECT_EQ(engine->Hosts().Text(), "");
    EXPECT_EQ(engine->CurrentHost(), "");
}
