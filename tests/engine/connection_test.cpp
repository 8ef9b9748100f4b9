// One prodle against loopback servers: what a successful connection stores, a reply overtaken by the
// close, a peer that never answers the handshake, and the dialogs that meet a connection being made.
// How the engine meets peers that misbehave is in hostile_peers_test.cpp.
#include <cstring>
#include <string>

#include "app/resource.h"
#include "support/dialog_script.h"
#include "support/engine_fixture.h"
#include "support/listener.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

class Connection : public EngineFixture {
protected:
    // Starts the cycle on the host now in the combo box and makes its first prodle.
    void StartAndProdle(const LoopbackServer& server)
    {
        StartCycleAndSettle();
        ASSERT_TRUE(Counting());
        const size_t before = server.Requests().size();
        Tick();
        ASSERT_TRUE(WaitForRequests(server, before + 1));
    }
    void SendSocketEvent(WPARAM socket, WORD event) const
    {
        ::SendMessageA(view_->m_hWnd, WM_PRODLE_SOCKET, socket, WSAMAKESELECTREPLY(event, 0));
    }
};

TEST_F(Connection, SuccessfulConnectionStoresThePeriodTheListAndANewHost)
{
    SetHosts({"127.0.0.2", "127.0.0.3"}, 1);
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(view_, nullptr);
    view_->m_editOften.SetWindowText("7.5 minutes");
    view_->m_comboNames.SetWindowText("127.0.0.1");
    StartAndProdle(server);

    EXPECT_EQ(Setting("Often"), "7.5 minutes");
    EXPECT_EQ(Setting("ComboName0"), "127.0.0.2");
    EXPECT_EQ(Setting("ComboName1"), "127.0.0.3");
    EXPECT_EQ(Setting("ComboName2"), "127.0.0.1");
    EXPECT_EQ(Setting("ComboNameSel"), "2");
    EXPECT_EQ(view_->m_comboNames.GetCount(), 3);
    EXPECT_EQ(view_->m_comboNames.GetCurSel(), 2);
    EXPECT_EQ(view_->m_nSelIndex, 2);
    EXPECT_EQ(view_->m_strLastDomain, "127.0.0.1");
    ASSERT_TRUE(WaitUntilCompleted());
    EXPECT_EQ(Status().rfind("Prodle completed at ", 0), 0u) << Status();
    EXPECT_FALSE(view_->m_bBusy);
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(Connection, HostDifferingOnlyInLetterCaseSelectsTheExistingEntry)
{
    SetHosts({"127.0.0.2", "localhost"});
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(view_, nullptr);
    view_->m_comboNames.SetWindowText("LOCALHOST");
    StartAndProdle(server);

    EXPECT_EQ(view_->m_comboNames.GetCount(), 2);
    EXPECT_EQ(Setting("ComboNameSel"), "1");
    EXPECT_FALSE(Setting("ComboName2").has_value());
    EXPECT_EQ(view_->m_strLastDomain, "LOCALHOST");
    EXPECT_EQ(HostText(), "localhost");
}

TEST_F(Connection, LeadingSpacesAreSkippedForTheConnectionButKeptInTheList)
{
    // A host text with spaces before it is validated as a name; that lookup would go to a name server,
    // so here the validation is of the bare name and the spaced text is what the prodle is given.
    SetHosts({"127.0.0.1"});
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(view_, nullptr);
    view_->m_comboNames.SetWindowText("localhost");
    StartCycleAndSettle();
    ASSERT_TRUE(Counting());

    view_->m_strDomain = "  localhost";
    view_->RunTheJob(TRUE);
    ASSERT_TRUE(WaitForRequests(server, 1));
    EXPECT_EQ(view_->m_strLastDomain, "  localhost");
    EXPECT_EQ(view_->m_comboNames.GetCount(), 2);
    EXPECT_EQ(view_->m_comboNames.GetLBText(1), "  localhost");
    EXPECT_EQ(Setting("ComboName1"), "  localhost");
    EXPECT_EQ(Setting("ComboNameSel"), "1");
    EXPECT_FALSE(view_->m_bNewDomain);
}

TEST_F(Connection, NamedHostWithoutAnEntryInTheLookupBufferIsResolvedOnTheSpot)
{
    SetHosts({"127.0.0.1"});
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(view_, nullptr);
    StartCycleAndSettle();  // a numeric host: the buffer holds only the local lookup's entry
    ASSERT_TRUE(Counting());
    std::memset(view_->m_hostBuffer, 0, sizeof view_->m_hostBuffer);

    view_->m_strDomain = "localhost";
    view_->RunTheJob(TRUE);
    ASSERT_TRUE(WaitForRequests(server, 1));
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_EQ(view_->m_strLastDomain, "localhost");
}

TEST_F(Connection, CloseThatOvertakesTheReadStillCompletesTheProdle)
{
    SetHosts({"127.0.0.1"});
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(view_, nullptr);
    StartCycleAndSettle();
    Tick();
    ASSERT_TRUE(WaitForConnection());
    // No messages are handled until the server has answered and closed; then the close comes first.
    const DWORD start = ::GetTickCount();
    while (server.Finished() == 0 && ::GetTickCount() - start < 5000)
        ::Sleep(10);
    ASSERT_EQ(server.Finished(), 1u);
    ::Sleep(50);
    SendSocketEvent(static_cast<WPARAM>(view_->m_socket), FD_CLOSE);
    EXPECT_FALSE(view_->m_bWaiting);
    EXPECT_FALSE(view_->m_bBusy);
    EXPECT_EQ(view_->m_socket, -1);
    EXPECT_EQ(Status().rfind("Prodle completed at ", 0), 0u) << Status();
    PumpFor(100);  // the queued news of the closed socket are dropped
    EXPECT_EQ(view_->m_socket, -1);
}

// A peer that never answers the handshake, as on a dead link: the connect goes on without blocking
// anything, and only the bound ends it.
class DeadLink : public Connection {
protected:
    static constexpr const char* kDeadHost = "127.0.0.8";

    // Starts the program and the cycle on the dead host and makes the prodle that connects to it.
    void StartConnecting(DWORD boundMs)
    {
        ASSERT_TRUE(dead_.IsListening());
        SetHosts({kDeadHost});
        StartProdle();
        ASSERT_NE(view_, nullptr);
        view_->m_dwConnectBoundMs = boundMs;
        StartCycleAndSettle();
        Tick();
        ASSERT_TRUE(view_->m_bConnectPending);
    }

    LoopbackListener dead_{kDeadHost, Handshake::NeverAnswered};
};

TEST_F(DeadLink, StopWhileConnectingGivesTheConnectionUpForGood)
{
    StartConnecting(60000);
    // The tick has returned with the connection under way, under the wait cursor.
    const int abandoned = view_->m_socket;
    EXPECT_NE(abandoned, -1);
    EXPECT_EQ(App().GetWaitCursorCount(), 1);
    PumpFor(100);
    EXPECT_TRUE(view_->m_bConnectPending) << "the handshake is never answered";

    view_->StopCycle(true);
    EXPECT_FALSE(view_->m_bConnectPending);
    EXPECT_EQ(view_->m_socket, -1);
    EXPECT_EQ(App().GetWaitCursorCount(), 0);

    // The next connection, on another socket number (the old one is held by a socket of the test), is
    // under way when the late news of the abandoned one and the old bound arrive: neither is taken for it.
    const SOCKET holder = ::socket(AF_INET, SOCK_STREAM, 0);
    StartCycleAndSettle();
    Tick();
    ASSERT_TRUE(view_->m_bConnectPending);
    ASSERT_NE(view_->m_socket, abandoned);
    SendSocketEvent(static_cast<WPARAM>(abandoned), FD_CONNECT);
    PumpFor(100);
    EXPECT_TRUE(view_->m_bConnectPending);
    EXPECT_NE(Status(), "Connection made OK");
    EXPECT_FALSE(Setting("Often").has_value()) << "nothing of a successful connection happened";
    EXPECT_EQ(BoxCount(), 0u);
    view_->StopCycle(true);
    ::closesocket(holder);
}

// Edit Names and Options confirmed while a connection is being made take effect after its outcome,
// which is handled with the list and the options of the moment it began: the dialogs open once it is.
TEST_F(Connection, EditNamesWaitsForTheConnectionAndAHostDeletedThereStaysDeleted)
{
    SetSetting("Debug", "1");  // 15-second period
    LoopbackServer first(ServerBehaviour::Reply, "127.0.0.1");
    LoopbackServer second(ServerBehaviour::Reply, "127.0.0.12");
    ASSERT_TRUE(first.Listening() && second.Listening());
    SetHosts({"127.0.0.1", "127.0.0.12"});
    StartProdle();
    ASSERT_NE(view_, nullptr);
    StartCycleAndSettle();
    Tick();  // the connect is started; its outcome is not handled yet

    DialogScript script("Edit Names");
    script.SelectListEntry(IDC_LIST_NAMES, 0).Click(IDC_BUTTON_DELETE_SELECTION).Click(IDOK);
    script.Arm();
    ::SendMessageA(view_->m_hWnd, WM_COMMAND, ID_EDIT_NAMES, 0);
    EXPECT_FALSE(script.Finished()) << "the dialog waits for the connection";
    EXPECT_EQ(App().GetWaitCursorCount(), 2);
    ASSERT_TRUE(PumpUntil([&] { return script.Finished(); })) << script.Failure();
    ASSERT_EQ(first.RequestCount(), 1u);

    EXPECT_EQ(Setting("ComboName0"), "127.0.0.12");
    EXPECT_EQ(Setting("ComboName1"), "");
    EXPECT_EQ(Setting("ComboNameSel"), "0");
    EXPECT_EQ(HostText(), "127.0.0.12");
    for (int i = 0; i < 15; ++i)
        Tick();
    ASSERT_TRUE(WaitForRequests(second, 1));
    EXPECT_EQ(first.RequestCount(), 1u);
    ASSERT_TRUE(WaitUntilCompleted());
    EXPECT_EQ(Setting("ComboName1"), "") << "the deleted host did not come back";
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(DeadLink, OptionsWaitForTheConnectionWhoseFailureMeetsTheOptionsItBeganWith)
{
    StartConnecting(60000);
    DialogScript script("Options");
    script.SetCheck(IDC_CHECK_IGNORE_FAILURES, true).Click(IDOK);
    script.Arm();
    ::SendMessageA(view_->m_hWnd, WM_COMMAND, ID_OPTIONS, 0);
    PumpFor(100);
    EXPECT_FALSE(script.Finished()) << "the dialog waits for the connection";

    // The bound passes: without "Ignore Connection Failures" the failure stops the engine with its box,
    // and then the dialog turns the option on.
    view_->m_dwConnectBoundMs = 0;
    ::SendMessageA(view_->m_hWnd, WM_TIMER, TIMER_CONNECT_BOUND, 0);
    ASSERT_TRUE(PumpUntil([&] { return script.Finished(); })) << script.Failure();
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_TRUE(IsErrorBox(LastBox(), std::string("Prodle: Cannot connect to ") + kDeadHost + " on port 80"));
    EXPECT_EQ(Status(), "NOT RUNNING");
    EXPECT_EQ(Setting("Ignore"), "1");
}

TEST_F(Connection, EditNamesOkWhileACycleRunsLeavesItRunningAndRedirectsItsLaterProdles)
{
    LoopbackServer first(ServerBehaviour::Reply, "127.0.0.1");
    LoopbackServer second(ServerBehaviour::Reply, "127.0.0.12");
    ASSERT_TRUE(first.Listening() && second.Listening());
    SetHosts({"127.0.0.1", "127.0.0.12"});
    StartProdle();
    ASSERT_NE(view_, nullptr);
    StartAndProdle(first);
    ASSERT_TRUE(WaitUntilCompleted());
    Tick();
    const int count = view_->m_nCount;

    // The current host is deleted: the next entry becomes current.
    DialogScript script("Edit Names");
    script.SelectListEntry(IDC_LIST_NAMES, 0).Click(IDC_BUTTON_DELETE_SELECTION).Click(IDOK);
    script.Arm();
    ::SendMessageA(view_->m_hWnd, WM_COMMAND, ID_EDIT_NAMES, 0);
    ASSERT_TRUE(script.Finished()) << script.Failure();
    EXPECT_EQ(HostText(), "127.0.0.12");
    EXPECT_TRUE(Counting());
    EXPECT_EQ(view_->m_nCount, count) << "the countdown goes on where it was";
    EXPECT_EQ(Status().rfind("Prodle completed at ", 0), 0u) << Status();

    view_->m_nCount = view_->m_nTargetSecs - 1;
    Tick();
    ASSERT_TRUE(WaitForRequests(second, 1));
    EXPECT_EQ(first.RequestCount(), 1u);
    EXPECT_EQ(BoxCount(), 0u);
}
