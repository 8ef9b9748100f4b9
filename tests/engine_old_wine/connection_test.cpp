// One prodle against loopback servers: what a successful connection stores, a reply overtaken by the
// close, a peer that never answers the handshake, and the dialogs that meet a connection being made.
// How the engine meets peers that misbehave is in hostile_peers_test.cpp.
#include <string>

#include "app/resource.h"
#include "support/dialog_script.h"
#include "support/engine_fixture.h"
#include "support/form.h"
#include "support/listener.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

using Entries = std::vector<std::string>;

// The hosts file of the tests' network sends this name to 127.0.0.9.
constexpr const char* kNamedHost = "www.example.com";
constexpr const char* kNamedHostAddress = "127.0.0.9";

}  // namespace

class Connection : public EngineFixture {
protected:
    // Starts the cycle on the host now in the combo box and makes its first prodle.
    void StartAndProdle(const LoopbackServer& server)
    {
        StartCycleAndSettle();
        ASSERT_TRUE(Counting());
        const size_t before = server.RequestCount();
        Tick();
        ASSERT_TRUE(WaitForRequests(server, before + 1));
    }
    Entries HostEntries() const { return ComboEntries(Form(), IDC_COMBO_HOSTS); }
};

TEST_F(Connection, SuccessfulConnectionStoresThePeriodTheListAndANewHost)
{
    SetHosts({"127.0.0.2", "127.0.0.3"}, 1);
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    TypeMinutes("7.5 minutes");
    TypeHost("127.0.0.1");
    StartAndProdle(server);

    EXPECT_EQ(Setting("Often"), "7.5 minutes");
    EXPECT_EQ(Setting("ComboName0"), "127.0.0.2");
    EXPECT_EQ(Setting("ComboName1"), "127.0.0.3");
    EXPECT_EQ(Setting("ComboName2"), "127.0.0.1");
    EXPECT_EQ(Setting("ComboNameSel"), "2");
    EXPECT_EQ(HostEntries(), (Entries{"127.0.0.2", "127.0.0.3", "127.0.0.1"}));
    EXPECT_EQ(ComboSelection(Form(), IDC_COMBO_HOSTS), 2);
    EXPECT_EQ(Engine().CurrentHost(), "127.0.0.1");
    EXPECT_EQ(server.Requests()[0], ExpectedRequest(Engine().LocalAddress()));
    ASSERT_TRUE(WaitUntilCompleted());
    EXPECT_EQ(Status().rfind("Prodle completed at ", 0), 0u) << Status();
    Tick();
    EXPECT_TRUE(StartEnabled()) << "the reply gives the Start button back at the next tick";
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(Connection, HostDifferingOnlyInLetterCaseSelectsTheExistingEntry)
{
    SetHosts({"127.0.0.2", "localhost"});
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    TypeHost("LOCALHOST");
    StartAndProdle(server);

    EXPECT_EQ(HostEntries().size(), 2u);
    EXPECT_EQ(Setting("ComboNameSel"), "1");
    EXPECT_FALSE(Setting("ComboName2").has_value());
    EXPECT_EQ(Engine().CurrentHost(), "LOCALHOST");
    EXPECT_EQ(HostText(), "localhost");

    // Edit Names finds the current host in the list the same way, and it stays current through a move.
    ASSERT_TRUE(WaitUntilCompleted());
    DialogScript script("Edit Names");
    script.Inspect(
        [](HWND dialog) { EXPECT_EQ(::SendDlgItemMessageA(dialog, IDC_LIST_HOSTS, LB_GETCURSEL, 0, 0), 1); });
    script.Drag(IDC_LIST_HOSTS, 1, 0).Click(IDOK);
    script.Arm();
    ::SendMessageA(Form(), WM_COMMAND, ID_EDIT_NAMES, 0);
    ASSERT_TRUE(script.Finished()) << script.Failure();
    EXPECT_EQ(Setting("ComboNameSel"), "0");
    EXPECT_EQ(Engine().CurrentHost(), "localhost");
}

TEST_F(Connection, LeadingSpacesAreSkippedForTheConnectionButKeptInTheList)
{
    SetHosts({"127.0.0.1"});
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    // Checked as "localhost"; the text the countdown then takes, while the check runs, has spaces before
    // it (a text that starts with spaces is checked by a lookup that would leave the machine).
    StartCycleAndSettle();  // the local address is known from then on
    TypeHost("localhost");
    PressStart();
    TypeHost("  localhost");
    SettleLookups();
    ASSERT_TRUE(Counting());

    Tick();
    ASSERT_TRUE(WaitForRequests(server, 1));
    EXPECT_EQ(Engine().CurrentHost(), "  localhost");
    EXPECT_EQ(HostEntries(), (Entries{"127.0.0.1", "  localhost"}));
    EXPECT_EQ(Setting("ComboName1"), "  localhost");
    EXPECT_EQ(Setting("ComboNameSel"), "1");
}

TEST_F(Connection, CloseThatOvertakesTheReadStillCompletesTheProdle)
{
    SetHosts({"127.0.0.1"});
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    StartCycleAndSettle();
    Tick();
    ASSERT_TRUE(WaitForConnection());
    // No messages are handled until the server has answered and closed; then the close comes first.
    const DWORD start = ::GetTickCount();
    while (server.Finished() == 0 && ::GetTickCount() - start < 5000)
        ::Sleep(10);
    ASSERT_EQ(server.Finished(), 1u);
    ::Sleep(50);
    SendSocketNews(Engine().ConnectionSocket(), FD_CLOSE);
    EXPECT_EQ(CurrentPhase(), Phase::CountingDown);
    EXPECT_EQ(Engine().ConnectionSocket(), INVALID_SOCKET);
    EXPECT_EQ(Status().rfind("Prodle completed at ", 0), 0u) << Status();
    PumpFor(100);  // the queued news of the closed socket are dropped
    EXPECT_EQ(CurrentPhase(), Phase::CountingDown);
}

// A peer that never answers the handshake, as on a dead link: the connect goes on without blocking
// anything, and only the bound ends it.
class DeadLink : public Connection {
protected:
    static constexpr const char* kDeadHost = "127.0.0.8";

    // Starts the program and the cycle on the dead host and makes the prodle that connects to it.
    void StartConnecting()
    {
        ASSERT_TRUE(dead_.IsListening());
        SetHosts({kDeadHost});
        StartProdle();
        ASSERT_NE(Form(), nullptr);
        StartCycleAndSettle();
        Tick();
        ASSERT_EQ(CurrentPhase(), Phase::Connecting);
    }
    // The bound passes now.
    void PassTheBound() const
    {
        Engine().SetConnectBound(0);
        ::SendMessageA(Form(), WM_TIMER, TIMER_CONNECT_BOUND, 0);
    }

    LoopbackListener dead_{kDeadHost, Handshake::NeverAnswered};
};

TEST_F(DeadLink, ARestartWhileConnectingGivesTheConnectionUpForGood)
{
    StartConnecting();
    // The tick has returned with the connection under way, under the wait cursor.
    const SOCKET abandoned = Engine().ConnectionSocket();
    EXPECT_NE(abandoned, INVALID_SOCKET);
    EXPECT_EQ(App().GetWaitCursorCount(), 1);
    PumpFor(100);
    EXPECT_EQ(CurrentPhase(), Phase::Connecting) << "the handshake is never answered";

    // "Start or Apply Changes" starts over: the connection is given up, socket and wait cursor.
    StartCycleAndSettle();
    EXPECT_EQ(Engine().ConnectionSocket(), INVALID_SOCKET);
    EXPECT_EQ(App().GetWaitCursorCount(), 0);
    const SOCKET holder = ::socket(AF_INET, SOCK_STREAM, 0);  // keeps the old number from the next one

    // The next connection is under way when late news of the abandoned one arrives: it is not taken for
    // the new one's.
    Tick();
    ASSERT_EQ(CurrentPhase(), Phase::Connecting);
    ASSERT_NE(Engine().ConnectionSocket(), abandoned);
    SendSocketNews(abandoned, FD_CONNECT);
    PumpFor(100);
    EXPECT_EQ(CurrentPhase(), Phase::Connecting);
    EXPECT_FALSE(Setting("Often").has_value()) << "nothing of a successful connection happened";
    EXPECT_EQ(BoxCount(), 0u);
    ::closesocket(holder);
}

// Edit Names and Options confirmed while a connection is being made take effect after its outcome,
// which is handled with the list and the options of the moment it began: the dialogs open once it is.
// A running cycle goes on where it was, and its later prodles go where the dialog left the selection.
TEST_F(Connection, EditNamesWaitsForTheConnectionAndRedirectsTheLaterProdles)
{
    SetSetting("Debug", "1");  // 15-second period
    LoopbackServer first(ServerBehaviour::Reply, "127.0.0.1");
    LoopbackServer second(ServerBehaviour::Reply, kNamedHostAddress);
    ASSERT_TRUE(first.Listening() && second.Listening());
    SetHosts({"127.0.0.1", kNamedHost});
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    StartCycleAndSettle();
    Tick();  // the connect is started; its outcome is not handled yet
    Tick();
    const std::string left = Countdown();

    // The current host is deleted: the next entry, a name never looked up, becomes current.
    DialogScript script("Edit Names");
    script.SelectListEntry(IDC_LIST_HOSTS, 0).Click(IDC_BUTTON_DELETE_SELECTION).Click(IDOK);
    script.Arm();
    ::SendMessageA(Form(), WM_COMMAND, ID_EDIT_NAMES, 0);
    EXPECT_FALSE(script.Finished()) << "the dialog waits for the connection";
    EXPECT_EQ(App().GetWaitCursorCount(), 2);
    ASSERT_TRUE(PumpUntil([&] { return script.Finished(); })) << script.Failure();
    ASSERT_EQ(first.RequestCount(), 1u);

    EXPECT_EQ(Setting("ComboName0"), kNamedHost);
    EXPECT_EQ(Setting("ComboName1"), "");
    EXPECT_EQ(Setting("ComboNameSel"), "0");
    EXPECT_EQ(HostText(), kNamedHost);
    EXPECT_TRUE(Counting());
    // The countdown goes on where it was (its real timer may have ticked meanwhile).
    const int went = std::stoi(left.substr(3)) - std::stoi(Countdown().substr(3));
    EXPECT_TRUE(went == 0 || went == 1) << left << " became " << Countdown();

    // The next prodle looks the name up on the spot and goes there.
    TickToExpiry();
    ASSERT_TRUE(WaitForRequests(second, 1));
    EXPECT_EQ(first.RequestCount(), 1u);
    ASSERT_TRUE(WaitUntilCompleted());
    EXPECT_EQ(Setting("ComboName1"), "") << "the deleted host did not come back";
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(DeadLink, OptionsWaitForTheConnectionWhoseFailureMeetsTheOptionsItBeganWith)
{
    StartConnecting();
    DialogScript script("Options");
    script.SetCheck(IDC_CHECK_IGNORE_FAILURES, true).Click(IDOK);
    script.Arm();
    ::SendMessageA(Form(), WM_COMMAND, ID_OPTIONS, 0);
    PumpFor(100);
    EXPECT_FALSE(script.Finished()) << "the dialog waits for the connection";

    // Without "Ignore Connection Failures" the failure stops the engine with its box, and then the
    // dialog turns the option on.
    PassTheBound();
    ASSERT_TRUE(PumpUntil([&] { return script.Finished(); })) << script.Failure();
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_TRUE(IsErrorBox(LastBox(), std::string("Prodle: Cannot connect to ") + kDeadHost + " on port 80"));
    EXPECT_EQ(Status(), "NOT RUNNING");
    EXPECT_EQ(Setting("Ignore"), "1");
    EXPECT_TRUE(Engine().Options().ignoreFailures);
}
