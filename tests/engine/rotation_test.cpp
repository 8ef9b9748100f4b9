// A failed connection: with "Ignore Connection Failures" the next host of the list is tried (or the
// option is given up when there is no other host); without it the engine stops with a message box.
// 127.0.0.2 and 127.0.0.3 have nothing listening, so their connects are refused at once.
#include <string>

#include "support/engine_fixture.h"
#include "support/import_patch.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

SOCKET WINAPI NoSocket(int, int, int)
{
    ::WSASetLastError(WSAEMFILE);
    return INVALID_SOCKET;
}

}  // namespace

class Rotation : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        SetSetting("Ignore", "1");
    }
};

TEST_F(Rotation, HostNotInTheListGoesBackToTheFirstEntry)
{
    SetHosts({"127.0.0.1", "127.0.0.3"}, 1);
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(view_, nullptr);
    view_->m_comboNames.SetWindowText("127.0.0.2");
    StartCycleAndSettle();
    Tick();

    // The cycle was started again on entry 0: its first prodle is due at the next tick.
    EXPECT_EQ(view_->m_comboNames.GetCurSel(), 0);
    EXPECT_EQ(view_->m_strDomain, "127.0.0.1");
    EXPECT_TRUE(Counting());
    EXPECT_EQ(view_->m_nCount, view_->m_nTargetSecs - 1);
    EXPECT_TRUE(server.Requests().empty());
    Tick();
    ASSERT_TRUE(WaitForRequests(server, 1));
    EXPECT_EQ(Setting("ComboNameSel"), "0");
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_EQ(view_->m_comboNames.GetCount(), 2);  // the failed host was not added
}

TEST_F(Rotation, OnlyEntryStopsTheEngineAndGivesUpTheOption)
{
    SetHosts({"127.0.0.2"});
    StartProdle();
    ASSERT_NE(view_, nullptr);
    StartCycleAndSettle();
    bool stoppedBeforeTheBox = false;
    App().onBox = [&](const RecordedBox&) { stoppedBeforeTheBox = !Counting() && !view_->m_bIgnoreFailures; };
    Tick();

    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_EQ(LastBox(),
              "You had a connection failure on the only\ndomain in the list.\n\n"
              "Prodle has reset your \"Ignore Connection Failures\"\noption. Please restart Prodle");
    EXPECT_TRUE(stoppedBeforeTheBox);
    EXPECT_FALSE(view_->m_bIgnoreFailures);
    EXPECT_EQ(Setting("Ignore"), "0");
    EXPECT_EQ(view_->m_trayIcon.GetTip(), "Prodle has stopped");
    EXPECT_EQ(Status(), "NOT RUNNING");
    EXPECT_FALSE(Counting());
    EXPECT_TRUE(view_->m_btnStart.IsWindowEnabled());
    EXPECT_EQ(view_->m_socket, -1);
}

TEST_F(Rotation, SeveralEntriesMoveToTheNextAndWrapAfterTheLast)
{
    SetHosts({"localhost", "127.0.0.2", "127.0.0.3"}, 1);
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(view_, nullptr);
    StartCycleAndSettle();

    Tick();
    EXPECT_EQ(HostText(), "127.0.0.3");
    EXPECT_TRUE(Counting());
    Tick();
    // Back to the first entry, a name: it is validated before its countdown starts.
    EXPECT_EQ(HostText(), "localhost");
    EXPECT_EQ(Status(), "Validating Domain Name");
    PumpUntil([] { return App().GetWaitCursorCount() == 0; });
    ASSERT_TRUE(Counting());
    EXPECT_TRUE(server.Requests().empty());
    Tick();
    ASSERT_TRUE(WaitForRequests(server, 1));
    EXPECT_EQ(Setting("ComboNameSel"), "0");
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_TRUE(view_->m_bIgnoreFailures);
}

TEST_F(Rotation, WithoutIgnoreAFailedConnectionStopsTheEngineWithABox)
{
    SetSetting("Ignore", "0");
    SetHosts({"127.0.0.2"});
    StartProdle();
    ASSERT_NE(view_, nullptr);
    StartCycleAndSettle();
    bool tooEarlyNotice = false;
    App().onBox = [&](const RecordedBox&) { tooEarlyNotice = view_->m_trayIcon.GetTip() == "Prodle has stopped"; };
    Tick();

    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_TRUE(IsErrorBox(LastBox(), "Prodle: Cannot connect to 127.0.0.2 on port 80")) << LastBox();
    EXPECT_FALSE(tooEarlyNotice);  // the engine is stopped after the box is dismissed
    EXPECT_EQ(view_->m_trayIcon.GetTip(), "Prodle has stopped");
    EXPECT_EQ(Status(), "NOT RUNNING");
    EXPECT_FALSE(Counting());
    EXPECT_EQ(view_->m_socket, -1);
    // A failed attempt stores nothing.
    EXPECT_FALSE(Setting("Often").has_value());
}

TEST_F(Rotation, SocketThatCannotBeMadeIsReportedAndTheCountdownRunsOn)
{
    SetHosts({"127.0.0.1", "127.0.0.2"});
    StartProdle();
    ASSERT_NE(view_, nullptr);
    StartCycleAndSettle();
    {
        ImportPatch noSocket({"ws2_32.dll", "wsock32.dll"}, "socket", reinterpret_cast<void*>(&NoSocket));
        ASSERT_GT(noSocket.Patched(), 0u);
        Tick();
    }
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_TRUE(IsErrorBox(LastBox(), "Prodle: Error opening stream socket")) << LastBox();
    // No rotation for this failure: the same host, the countdown going on, nothing stored.
    EXPECT_TRUE(Counting());
    EXPECT_EQ(view_->m_comboNames.GetCurSel(), 0);
    EXPECT_EQ(view_->m_socket, -1);
    EXPECT_FALSE(Setting("Often").has_value());
}
