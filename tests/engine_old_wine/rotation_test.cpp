// A failed connection: with "Ignore Connection Failures" the next host of the list is tried (or the
// option is given up when there is no other host); without it the engine stops with a message box.
// 127.0.0.2 and 127.0.0.3 have nothing listening, so their connects are refused at once.
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
#include "support/form.h"
#include "support/test_app.h"

namespace {

SOCKET WINAPI NoSocket(int, int, int)
{
    ::WSASetLastError(WSAEMFILE);
    return INVALID_SOCKET;
}

// What the program asks of windows that are gone.
int g_callsOnGoneWindows = 0;

template <class Function>
Function Real(const char* dll, const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA(dll), name)));
}

BOOL WINAPI NoteSetWindowText(HWND window, LPCSTR text)
{
    g_callsOnGoneWindows += !::IsWindow(window);
    return RealFunction<decltype(&::SetWindowTextA)>("user32.dll", "SetWindowTextA")(window, text);
}

BOOL WINAPI NoteEnableWindow(HWND window, BOOL enable)
{
    g_callsOnGoneWindows += !::IsWindow(window);
    return RealFunction<decltype(&::EnableWindow)>("user32.dll", "EnableWindow")(window, enable);
}

}  // namespace

class Rotation : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        SetSetting("Ignore", "1");
    }
    // Starts the cycle with a host text that is checked as "localhost" (a text with spaces before it,
    // or an empty one, would be checked by a lookup that leaves the machine) and then becomes `host`,
    // as the user may type while the check runs: the countdown takes the text as it then is.
    void StartCycleWithHostText(const std::string& host) const
    {
        TypeHost("localhost");
        StartCycleAndSettle();  // the local address is known from then on
        PressStart();
        TypeHost(host);
        SettleLookups();
    }
    void SetIgnore(bool ignore) const
    {
        KeepAliveOptions options = Engine().Options();
        options.ignoreFailures = ignore;
        Engine().SetOptions(options);
    }
};

TEST_F(Rotation, HostNotInTheListGoesBackToTheFirstEntry)
{
    SetHosts({"127.0.0.1", "127.0.0.3"}, 1);
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    TypeHost("127.0.0.2");
    StartCycleAndSettle();
    Tick();
    ASSERT_TRUE(WaitForConnection());

    // The cycle was started again on entry 0: its first prodle is due at the next tick.
    EXPECT_EQ(ComboSelection(Form(), IDC_COMBO_HOSTS), 0);
    EXPECT_EQ(HostText(), "127.0.0.1");
    EXPECT_TRUE(Counting());
    // The failure came as socket news, outside a tick: the new countdown shows at once all the same.
    EXPECT_EQ(Countdown(), " 0:01");
    EXPECT_EQ(TrayTip(), "Prodle in  0:01");
    EXPECT_TRUE(server.Requests().empty());
    Tick();
    ASSERT_TRUE(WaitForRequests(server, 1));
    EXPECT_EQ(Setting("ComboNameSel"), "0");
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_EQ(ComboEntries(Form(), IDC_COMBO_HOSTS).size(), 2u) << "the failed host was not added";
}

TEST_F(Rotation, OnlyEntryStopsTheEngineAndGivesUpTheOption)
{
    SetHosts({"127.0.0.2"});
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    StartCycleAndSettle();
    bool stoppedBeforeTheBox = false;
    App().onBox = [&](const RecordedBox&) {
        stoppedBeforeTheBox = !Counting() && !Engine().Options().ignoreFailures;
    };
    Tick();
    ASSERT_TRUE(WaitForConnection());

    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_EQ(LastBox(),
              "You had a connection failure on the only\ndomain in the list.\n\n"
              "Prodle has reset your \"Ignore Connection Failures\"\noption. Please restart Prodle");
    EXPECT_TRUE(stoppedBeforeTheBox);
    EXPECT_FALSE(Engine().Options().ignoreFailures);
    EXPECT_EQ(Setting("Ignore"), "0");
    EXPECT_EQ(TrayTip(), "Prodle has stopped");
    EXPECT_TRUE(TrayShows(IDI_STOPPED));
    EXPECT_EQ(Status(), "NOT RUNNING");
    EXPECT_FALSE(Counting());
    EXPECT_TRUE(StartEnabled());
    EXPECT_EQ(Engine().ConnectionSocket(), INVALID_SOCKET);
}

TEST_F(Rotation, SeveralEntriesMoveToTheNextAndWrapAfterTheLast)
{
    SetHosts({"localhost", "127.0.0.2", "127.0.0.3"}, 1);
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    StartCycleAndSettle();

    Tick();
    ASSERT_TRUE(WaitForConnection());
    EXPECT_EQ(HostText(), "127.0.0.3");
    EXPECT_TRUE(Counting());
    Tick();
    ASSERT_TRUE(WaitForConnection());
    // Back to the first entry, a name: it is checked before its countdown starts.
    EXPECT_EQ(HostText(), "localhost");
    EXPECT_EQ(Status(), "Validating Domain Name");
    SettleLookups();
    ASSERT_TRUE(Counting());
    EXPECT_TRUE(server.Requests().empty());
    Tick();
    ASSERT_TRUE(WaitForRequests(server, 1));
    EXPECT_EQ(Setting("ComboNameSel"), "0");
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_TRUE(Engine().Options().ignoreFailures);
}

TEST_F(Rotation, WithoutIgnoreAFailedConnectionStopsTheEngineWithABox)
{
    SetSetting("Ignore", "0");
    SetSetting("Debug", "1");  // 15-second period
    // The later prodles of the cycle would go to the listed host, where a server answers; none may start
    // from the box's loop.
    SetHosts({"127.0.0.1"});
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    TypeHost("127.0.0.2");
    StartCycleAndSettle();
    bool tooEarlyNotice = false;
    App().onBox = [&](const RecordedBox&) {
        App().onBox = nullptr;
        tooEarlyNotice = TrayTip() == "Prodle has stopped";
        TickToExpiry();
        // The connect's bound, queued before the box came up, passes while it is up.
        Engine().SetConnectBound(0);
        ::SendMessageA(Form(), WM_TIMER, TIMER_CONNECT_BOUND, 0);
        PumpFor(100);
    };
    Tick();
    ASSERT_TRUE(WaitForConnection());

    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_EQ(server.RequestCount(), 0u);
    EXPECT_TRUE(IsErrorBox(LastBox(), "Prodle: Cannot connect to 127.0.0.2 on port 80")) << LastBox();
    EXPECT_FALSE(tooEarlyNotice);  // the engine is stopped after the box is dismissed
    EXPECT_EQ(TrayTip(), "Prodle has stopped");
    EXPECT_EQ(Status(), "NOT RUNNING");
    EXPECT_FALSE(Counting());
    EXPECT_EQ(Engine().ConnectionSocket(), INVALID_SOCKET);
    // A failed attempt stores nothing.
    EXPECT_FALSE(Setting("Often").has_value());
}

TEST_F(Rotation, ExitWhileTheFailureBoxIsUpLeavesTheClosedProgramAlone)
{
    SetSetting("Ignore", "0");
    SetHosts({"127.0.0.2"});
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    StartCycleAndSettle();
    const HWND form = Form();
    ImportPatch text({"user32.dll"}, "SetWindowTextA", reinterpret_cast<void*>(&NoteSetWindowText));
    ImportPatch enable({"user32.dll"}, "EnableWindow", reinterpret_cast<void*>(&NoteEnableWindow));
    ASSERT_GT(text.Patched() * enable.Patched(), 0u);
    g_callsOnGoneWindows = 0;
    App().onBox = [&](const RecordedBox&) {
        ::SendMessageA(form, WM_COMMAND, ID_TRAY_EXIT, 0);  // the tray menu's Exit
    };
    Tick();
    ASSERT_TRUE(PumpUntil([] { return App().MainWindow() == nullptr; }));

    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_EQ(g_callsOnGoneWindows, 0);
    EXPECT_NE(TrayTip(), "Prodle has stopped") << "the closed program changed its tooltip";
}

TEST_F(Rotation, SocketThatCannotBeMadeIsReportedAndTheCountdownRunsOn)
{
    SetHosts({"127.0.0.1", "127.0.0.2"});
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    StartCycleAndSettle();
    {
        ImportPatch noSocket({"ws2_32.dll", "wsock32.dll"}, "socket", reinterpret_cast<void*>(&NoSocket));
        ASSERT_GT(noSocket.Patched(), 0u);
        Tick();
    }
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_TRUE(IsErrorBox(LastBox(), "Prodle: Error opening stream socket")) << LastBox();
    // No rotation for this failure: the same host, the countdown going on, nothing stored.
    EXPECT_EQ(CurrentPhase(), Phase::CountingDown);
    EXPECT_EQ(ComboSelection(Form(), IDC_COMBO_HOSTS), 0);
    EXPECT_EQ(Engine().ConnectionSocket(), INVALID_SOCKET);
    EXPECT_FALSE(Setting("Often").has_value());
}

TEST_F(Rotation, HostThatNeverAnswersIsLeftAtTheBoundAndNoProdleStartsMeanwhile)
{
    LoopbackListener dead("127.0.0.8", Handshake::NeverAnswered);
    ASSERT_TRUE(dead.IsListening());
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    SetSetting("Debug", "1");       // a 15-second period, shorter than the bound
    SetSetting("RandomTime", "1");  // targets of 10, 12, 14, 17, 19 or 20 seconds
    SetHosts({"127.0.0.8", "127.0.0.1"});
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    StartCycleAndSettle();
    Tick();
    const SOCKET connecting = Engine().ConnectionSocket();
    ASSERT_EQ(CurrentPhase(), Phase::Connecting);

    // The next prodle falls due: one connection at a time, so it is skipped and the count starts over
    // with a random target, as after any expiry.
    const std::string randomTargets[] = {" 0:10", " 0:12", " 0:14", " 0:17", " 0:19", " 0:20"};
    const auto isRandomTarget = [&](const std::string& text) {
        return std::find(std::begin(randomTargets), std::end(randomTargets), text) != std::end(randomTargets);
    };
    ASSERT_TRUE(isRandomTarget(Countdown())) << Countdown();
    TickToExpiry();
    EXPECT_EQ(CurrentPhase(), Phase::Connecting);
    EXPECT_EQ(Engine().ConnectionSocket(), connecting);
    EXPECT_TRUE(isRandomTarget(Countdown())) << Countdown();

    Engine().SetConnectBound(0);
    ::SendMessageA(Form(), WM_TIMER, TIMER_CONNECT_BOUND, 0);
    EXPECT_FALSE(Engine().IsConnecting());
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
    ASSERT_NE(Form(), nullptr);
    StartCycleWithHostText("  127.0.0.2");
    Tick();
    ASSERT_TRUE(WaitForConnection());
    EXPECT_EQ(HostText(), "127.0.0.3");
    EXPECT_EQ(BoxCount(), 0u);

    SetIgnore(false);
    StartCycleWithHostText("  127.0.0.2");
    Tick();
    ASSERT_TRUE(WaitForConnection());
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_TRUE(IsErrorBox(LastBox(), "Prodle: Cannot connect to 127.0.0.2 on port 80")) << LastBox();
}

TEST_F(Rotation, EmptyOrSpacesOnlyHostFailsWithoutABox)
{
    SetHosts({"127.0.0.3"});
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    for (const char* host : {"", "   "}) {
        // With "Ignore Connection Failures" the countdown simply runs on...
        SetIgnore(true);
        StartCycleWithHostText(host);
        Tick();
        EXPECT_EQ(CurrentPhase(), Phase::CountingDown) << '"' << host << '"';
        EXPECT_EQ(Engine().ConnectionSocket(), INVALID_SOCKET);

        // ...without it the engine stops, with the tray's notice.
        SetIgnore(false);
        StartCycleWithHostText(host);
        Tick();
        EXPECT_FALSE(Counting()) << '"' << host << '"';
        EXPECT_EQ(Status(), "NOT RUNNING");
        EXPECT_EQ(TrayTip(), "Prodle has stopped");
        EXPECT_EQ(App().GetWaitCursorCount(), 0);
    }
    EXPECT_EQ(BoxCount(), 0u);
}
