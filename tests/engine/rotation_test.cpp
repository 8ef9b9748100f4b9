// A failed connection: with "Ignore Connection Failures" the next host of the list is tried (or the
// option is given up when there is no other host); without it the engine stops with a message box.
// 127.0.0.2 and 127.0.0.3 have nothing listening, so their connects are refused at once.
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "app/resource.h"
#include "support/engine_fixture.h"
#include "support/import_patch.h"
#include "support/listener.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

SOCKET WINAPI NoSocket(int, int, int)
{
    ::WSASetLastError(WSAEMFILE);
    return INVALID_SOCKET;
}

// What the program asks of windows that are gone and of the shell's notification area.
int g_callsOnGoneWindows = 0;
std::vector<std::string> g_trayTips;

template <class Function>
Function Real(const char* dll, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA(dll), name)));
}

BOOL WINAPI NoteSetWindowText(HWND window, LPCSTR text)
{
    g_callsOnGoneWindows += !::IsWindow(window);
    return Real<decltype(&::SetWindowTextA)>("user32.dll", "SetWindowTextA")(window, text);
}

BOOL WINAPI NoteEnableWindow(HWND window, BOOL enable)
{
    g_callsOnGoneWindows += !::IsWindow(window);
    return Real<decltype(&::EnableWindow)>("user32.dll", "EnableWindow")(window, enable);
}

BOOL WINAPI NoteNotifyIcon(DWORD message, PNOTIFYICONDATAA data)
{
    if (message == NIM_MODIFY && (data->uFlags & NIF_TIP))
        g_trayTips.push_back(data->szTip);
    return Real<decltype(&::Shell_NotifyIconA)>("shell32.dll", "Shell_NotifyIconA")(message, data);
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
    ASSERT_TRUE(WaitForConnection());

    // The cycle was started again on entry 0: its first prodle is due at the next tick.
    EXPECT_EQ(view_->m_comboNames.GetCurSel(), 0);
    EXPECT_EQ(view_->m_strDomain, "127.0.0.1");
    EXPECT_TRUE(Counting());
    // The failure came as socket news, outside a tick: the new countdown shows at once all the same.
    EXPECT_EQ(Countdown(), " 0:01");
    EXPECT_EQ(view_->m_trayIcon.GetTip(), "Prodle in  0:01");
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
    ASSERT_TRUE(WaitForConnection());

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
    ASSERT_TRUE(WaitForConnection());
    EXPECT_EQ(HostText(), "127.0.0.3");
    EXPECT_TRUE(Counting());
    Tick();
    ASSERT_TRUE(WaitForConnection());
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
    // Where a prodle that fell due while the box is up would go; none may start from the box's loop.
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    view_->m_strLastDomain = "127.0.0.1";
    bool tooEarlyNotice = false;
    App().onBox = [&](const RecordedBox&) {
        App().onBox = nullptr;
        tooEarlyNotice = view_->m_trayIcon.GetTip() == "Prodle has stopped";
        view_->m_nCount = view_->m_nTargetSecs - 1;
        Tick();
        // The connect's bound, queued before the box came up, passes while it is up.
        view_->m_dwConnectBoundMs = 0;
        ::SendMessageA(view_->m_hWnd, WM_TIMER, TIMER_CONNECT_BOUND, 0);
        PumpFor(100);
    };
    Tick();
    ASSERT_TRUE(WaitForConnection());

    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_EQ(server.RequestCount(), 0u);
    EXPECT_TRUE(IsErrorBox(LastBox(), "Prodle: Cannot connect to 127.0.0.2 on port 80")) << LastBox();
    EXPECT_FALSE(tooEarlyNotice);  // the engine is stopped after the box is dismissed
    EXPECT_EQ(view_->m_trayIcon.GetTip(), "Prodle has stopped");
    EXPECT_EQ(Status(), "NOT RUNNING");
    EXPECT_FALSE(Counting());
    EXPECT_EQ(view_->m_socket, -1);
    // A failed attempt stores nothing.
    EXPECT_FALSE(Setting("Often").has_value());
}

TEST_F(Rotation, ExitWhileTheFailureBoxIsUpLeavesTheClosedProgramAlone)
{
    SetSetting("Ignore", "0");
    SetHosts({"127.0.0.2"});
    StartProdle();
    ASSERT_NE(view_, nullptr);
    StartCycleAndSettle();
    const HWND form = view_->m_hWnd;
    ImportPatch text({"user32.dll"}, "SetWindowTextA", reinterpret_cast<void*>(&NoteSetWindowText));
    ImportPatch enable({"user32.dll"}, "EnableWindow", reinterpret_cast<void*>(&NoteEnableWindow));
    ImportPatch tray({"shell32.dll"}, "Shell_NotifyIconA", reinterpret_cast<void*>(&NoteNotifyIcon));
    ASSERT_GT(text.Patched() * enable.Patched() * tray.Patched(), 0u);
    g_callsOnGoneWindows = 0;
    App().onBox = [&](const RecordedBox&) {
        ::SendMessageA(form, WM_COMMAND, ID_TRAY_EXIT, 0);  // the tray menu's Exit
        g_trayTips.clear();
    };
    Tick();
    ASSERT_TRUE(PumpUntil([] { return App().MainWindow() == nullptr; }));
    view_ = nullptr;

    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_EQ(g_callsOnGoneWindows, 0);
    EXPECT_TRUE(g_trayTips.empty()) << "the closed program changed its tooltip to " << g_trayTips.front();
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

TEST_F(Rotation, HostThatNeverAnswersIsLeftAtTheBoundAndNoProdleStartsMeanwhile)
{
    LoopbackListener dead("127.0.0.8", Handshake::NeverAnswered);
    ASSERT_TRUE(dead.IsListening());
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    SetSetting("Debug", "1");  // a 15-second period, shorter than the bound
    SetSetting("RandomTime", "1");  // targets of 10, 12, 14, 17, 19 or 20 seconds
    SetHosts({"127.0.0.8", "127.0.0.1"});
    StartProdle();
    ASSERT_NE(view_, nullptr);
    StartCycleAndSettle();
    Tick();
    const int connecting = view_->m_socket;
    ASSERT_TRUE(view_->m_bConnectPending);

    // The next prodle falls due: one connection at a time, so it is skipped and the count starts over
    // with a random target, as after any expiry.
    const std::string randomTargets[] = {" 0:10", " 0:12", " 0:14", " 0:17", " 0:19", " 0:20"};
    const auto isRandomTarget = [&](const std::string& text) {
        return std::find(std::begin(randomTargets), std::end(randomTargets), text) != std::end(randomTargets);
    };
    ASSERT_TRUE(isRandomTarget(Countdown())) << Countdown();
    for (int left = std::stoi(Countdown().substr(3)); left > 0; --left)
        Tick();
    EXPECT_TRUE(view_->m_bConnectPending);
    EXPECT_EQ(view_->m_socket, connecting);
    EXPECT_EQ(view_->m_nCount, 0);
    EXPECT_TRUE(isRandomTarget(Countdown())) << Countdown();

    view_->m_dwConnectBoundMs = 0;
    ::SendMessageA(view_->m_hWnd, WM_TIMER, TIMER_CONNECT_BOUND, 0);
    EXPECT_FALSE(view_->m_bConnectPending);
    EXPECT_EQ(HostText(), "127.0.0.1");
    EXPECT_EQ(App().GetWaitCursorCount(), 0);
    ASSERT_TRUE(Counting());
    EXPECT_EQ(Countdown(), " 0:01") << "the rotation's countdown shows at once";
    Tick();
    ASSERT_TRUE(WaitForRequests(server, 1));
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_TRUE(PumpUntil([&] { return server.Finished() == 1; }));
    EXPECT_EQ(server.RequestCount(), 1u) << "the skipped prodle never went out";
}

TEST_F(Rotation, LeadingSpacesAreSkippedForTheFailureTextAndTheListSearch)
{
    // Entry 1 is stored with spaces before it, so the search with the text after them does not find
    // it, and the rotation goes back to entry 0 (finding it would have moved on to entry 2).
    SetHosts({"127.0.0.3", "  127.0.0.2", "127.0.0.1"}, 2);
    StartProdle();
    ASSERT_NE(view_, nullptr);
    StartCycleAndSettle();
    ASSERT_TRUE(Counting());
    // A text with spaces before it would be validated as a name (a lookup that leaves the machine), so
    // the prodle is given the text as the countdown would after such a validation.
    view_->m_strDomain = "  127.0.0.2";
    view_->RunTheJob(TRUE);
    ASSERT_TRUE(WaitForConnection());
    EXPECT_EQ(HostText(), "127.0.0.3");
    EXPECT_EQ(BoxCount(), 0u);

    view_->m_bIgnoreFailures = FALSE;
    view_->m_strDomain = "  127.0.0.2";
    view_->RunTheJob(TRUE);
    ASSERT_TRUE(WaitForConnection());
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_TRUE(IsErrorBox(LastBox(), "Prodle: Cannot connect to 127.0.0.2 on port 80")) << LastBox();
}

TEST_F(Rotation, EmptyOrSpacesOnlyHostFailsWithoutABox)
{
    SetHosts({"127.0.0.3"});
    StartProdle();
    ASSERT_NE(view_, nullptr);
    for (const char* host : {"", "   "}) {
        // With "Ignore Connection Failures" the countdown simply runs on...
        view_->m_bIgnoreFailures = TRUE;
        StartCycleAndSettle();
        view_->m_strDomain = host;
        view_->RunTheJob(TRUE);
        EXPECT_TRUE(Counting()) << '"' << host << '"';
        EXPECT_EQ(view_->m_socket, -1);

        // ...without it the engine stops, with the tray's notice.
        view_->m_bIgnoreFailures = FALSE;
        view_->RunTheJob(TRUE);
        EXPECT_FALSE(Counting()) << '"' << host << '"';
        EXPECT_EQ(Status(), "NOT RUNNING");
        EXPECT_EQ(view_->m_trayIcon.GetTip(), "Prodle has stopped");
        EXPECT_EQ(App().GetWaitCursorCount(), 0);
    }
    EXPECT_EQ(BoxCount(), 0u);
}
