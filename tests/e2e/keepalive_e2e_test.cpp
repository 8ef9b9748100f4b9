// The real program against loopback peers, started as a user would with auto-start on: its first
// prodle reaches a server, at its IPv4 or its IPv6 address, and it ends when its main window is
// closed; against a peer that never
// answers the handshake it keeps answering its messages from the click on Start, reports the failure
// at the connect's bound, and still ends at once when told to exit.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/resource.h"
#include "support/listener.h"
#include "support/loopback_server.h"
#include "support/program.h"
#include "support/registry.h"

namespace {

constexpr const char* kDeadHost = "127.0.0.8";

class KeepAliveEndToEnd : public testing::Test {
protected:
    void SetUp() override
    {
        RemoveBaseKey();
        RemoveIniFile();
        SetSetting("AutoStart", "1");
    }
    void TearDown() override { RemoveBaseKey(); }
};

// How long the form's thread takes to answer one message sent now (the whole time-out when it does not).
DWORD AnswerTime(HWND form, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    DWORD_PTR ignored = 0;
    if (!::SendMessageTimeoutA(form, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored))
        return timeoutMs;
    return ::GetTickCount() - start;
}

// The countdown shows the full period again at the tick that starts a prodle.
bool ProdleStarted(void* form)
{
    return WindowText(::GetDlgItem(static_cast<HWND>(form), IDC_STATIC_COUNTDOWN)) == "25:00";
}

// A peer that never answers the handshake, as on a dead link.
class DeadLinkEndToEnd : public KeepAliveEndToEnd {
protected:
    // Starts the program on the dead host and presses "Start or Apply Changes"; its form, or null. The
    // first prodle connects there a second after the click.
    HWND StartAndClickStart()
    {
        SetSetting("AutoStart", "0");
        SetSetting("ComboName0", kDeadHost);
        if (!dead_.IsListening() || !prodle_.Start())
            return nullptr;
        HWND form = prodle_.Form();
        if (form)
            PressButton(form, IDC_BUTTON_START);
        return form;
    }

    LoopbackListener dead_{kDeadHost, Handshake::NeverAnswered};
    ProdleProcess prodle_;
};

}  // namespace

// The stored host: an address of either family.
class EachFamilyEndToEnd : public KeepAliveEndToEnd, public testing::WithParamInterface<const char*> {};

TEST_P(EachFamilyEndToEnd, AutoStartedProgramProdlesALoopbackServerAndExitsOnClose)
{
    const std::string host = GetParam();
    SetSetting("ComboName0", host);
    SetSetting("Debug", "1");
    LoopbackServer server(ServerBehaviour::Reply, host == "[::1]" ? "::1" : host.c_str());
    ASSERT_TRUE(server.Listening());

    ProdleProcess prodle;
    ASSERT_TRUE(prodle.Start()) << ProgramPath() << " error " << ::GetLastError();
    // The pause at start-up, the auto-start a second later, the local lookup and the first prodle a
    // second after the countdown starts: a few seconds in all.
    const DWORD start = ::GetTickCount();
    while (server.Requests().empty() && ::GetTickCount() - start < 15000)
        ::Sleep(50);
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    EXPECT_EQ(request.rfind("GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n", 0), 0u) << request;
    EXPECT_EQ(request.substr(request.size() - 4), "\r\n\r\n");

    HWND frame = prodle.MainWindow();
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(::IsWindowVisible(frame));
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(prodle.WaitForExit(15000), 0);
    EXPECT_EQ(Setting("ComboNameSel"), "0");
    EXPECT_EQ(Setting("Often"), "25");
}

INSTANTIATE_TEST_SUITE_P(Ipv4AndIpv6, EachFamilyEndToEnd, testing::Values("127.0.0.1", "[::1]"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.index == 0 ? "Ipv4" : "Ipv6");
                         });

// Windows gives up an unanswered connect after 21 s, and so does the program, on its own: Wine only
// after Linux's 138 s. A thread that waited in the connect would answer nothing until it ended; a busy
// machine delays an answer by far less than half of that.
TEST_F(DeadLinkEndToEnd, ConnectThatIsNeverAnsweredLeavesTheProgramAnsweringUntilItsBound)
{
    constexpr DWORD kBoundMs = 21000;
    HWND form = StartAndClickStart();
    ASSERT_NE(form, nullptr);
    // From the click on (the first prodle goes a second later), every message is answered, all the while
    // the connect waits, until its bound's box.
    const DWORD clicked = ::GetTickCount();
    DWORD worstAnswerMs = 0;
    int answers = 0;
    HWND box = nullptr;
    while (!(box = prodle_.WaitForDialog("Prodle", 0)) && ::GetTickCount() - clicked < 3 * kBoundMs) {
        const DWORD answerMs = AnswerTime(form, 2 * kBoundMs);
        worstAnswerMs = std::max(worstAnswerMs, answerMs);
        answers += answerMs < 2 * kBoundMs ? 1 : 0;
        ::Sleep(20);
    }
    const DWORD boxAfterMs = ::GetTickCount() - clicked;
    std::printf("[ figures  ] a connect never answered: the box %lu ms after the click, %d answers while it "
                "waited, the slowest in %lu ms\n",
                static_cast<unsigned long>(boxAfterMs), answers, static_cast<unsigned long>(worstAnswerMs));
    ASSERT_NE(box, nullptr) << "the connect was not given up at its bound";
    EXPECT_GT(answers, 1);
    EXPECT_LT(worstAnswerMs, kBoundMs / 2) << "the window did not answer while the connect waited";
    EXPECT_GE(boxAfterMs, kBoundMs) << "the connect failed before its bound";
    const std::string text = MessageBoxText(box);
    EXPECT_EQ(text.rfind(std::string("Prodle: Cannot connect to ") + kDeadHost + " on port 80\n\n", 0), 0u)
        << text;
    PressButton(box, IDOK);
    struct Stopped {
        HWND form;
        static bool Check(void* self)
        {
            return WindowText(::GetDlgItem(static_cast<Stopped*>(self)->form, IDC_STATIC_STATUS)) ==
                   "NOT RUNNING";
        }
    } stopped{form};
    EXPECT_TRUE(WaitFor(Stopped::Check, &stopped, 5000));
}

// Asked to exit as the uninstaller does, by "prodle.exe /exit", which waits for it to end.
TEST_F(DeadLinkEndToEnd, ExitWhileAConnectIsPendingEndsAtOnce)
{
    HWND form = StartAndClickStart();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(WaitFor(ProdleStarted, form, 15000));

    ProdleProcess exit;
    ASSERT_TRUE(exit.Start("/exit"));
    EXPECT_EQ(exit.WaitForExit(5000), 0);
    EXPECT_FALSE(prodle_.IsRunning()) << "\"/exit\" returned before the running program ended";
    EXPECT_EQ(prodle_.WaitForExit(0), 0);
}
