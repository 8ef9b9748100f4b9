// The engine's phases: driven without a form (a stand-in front end and a window of the test's own), it
// moves only as the table in engine/rules/phases.cpp lists, and the state diagram in
// docs/architecture.md is that table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/resource.h"
#include "engine/keep_alive_engine.h"
#include "support/loopback_server.h"
#include "support/pump.h"
#include "support/test_app.h"

namespace {

class StandInFrontEnd : public KeepAliveFrontEnd {
public:
    struct Move {
        Phase from;
        Trigger why;
        Phase to;
    };

    CString MinutesText() const override { return minutes; }
    void SetMinutesText(const CString& text) override { minutes = text; }
    CString HostText() const override { return host; }
    std::vector<CString> Hosts() const override { return hosts; }
    int SelectedHost() const override { return selected; }
    int FindHost(const CString& text) const override
    {
        for (size_t i = 0; i < hosts.size(); ++i)
            if (::lstrcmpiA(hosts[i].c_str(), text.c_str()) == 0)
                return static_cast<int>(i);
        return -1;
    }
    void SelectHost(int index) override
    {
        selected = index;
        host = hosts[static_cast<size_t>(index)];
    }
    void AppendHost(const CString& text) override { hosts.push_back(text); }
    void ShowStatus(const CString& text) override { status = text; }
    void ShowCountdown(const CString&) override {}
    void ShowCounting(bool) override {}
    void EnableStart(bool) override {}
    void ShowTrayPicture(TrayPicture) override {}
    void ShowTrayTip(const CString&) override {}
    void StopFlashing() override {}
    void BeginWait() override { ++waits; }
    void EndWait() override { --waits; }
    bool ShowError(const CString& text) override
    {
        boxes.push_back(text);
        return true;
    }
    void StoreConnection(const CString&, const std::vector<CString>&, int) override { ++stored; }
    void StoreIgnoreFailuresOff() override {}
    void PhaseChanged(Phase from, Trigger why, Phase to) override { moves.push_back({from, why, to}); }

    CString minutes = "25";
    CString host;
    std::vector<CString> hosts;
    int selected = 0;
    CString status;
    int waits = 0;
    int stored = 0;
    std::vector<CString> boxes;
    std::vector<Move> moves;
};

// A window of the test's own that hands the engine its timers, socket news and lookup answers.
class EngineWindow {
public:
    explicit EngineWindow(KeepAliveEngine& engine)
    {
        static const ATOM atom = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = &EngineWindow::Procedure;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = "ProdleEngineTestWindow";
            return ::RegisterClassA(&wc);
        }();
        EXPECT_NE(atom, 0);
        m_hWnd = ::CreateWindowExA(0, "ProdleEngineTestWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
        ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&engine));
    }
    ~EngineWindow() { ::DestroyWindow(m_hWnd); }
    HWND Get() const { return m_hWnd; }

private:
    static LRESULT CALLBACK Procedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* engine = reinterpret_cast<KeepAliveEngine*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (!engine)
            return ::DefWindowProcA(hWnd, message, wParam, lParam);
        if (message == WM_TIMER && engine->OnTimer(wParam))
            return 0;
        if (message == WM_PRODLE_SOCKET) {
            engine->OnSocketNews(wParam, lParam);
            return 0;
        }
        if (message == WM_PRODLE_LOCAL_LOOKUP || message == WM_PRODLE_HOST_LOOKUP ||
            message == WM_PRODLE_CONNECT_LOOKUP) {
            engine->OnLookupAnswer(message, wParam, lParam);
            return 0;
        }
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    }

    HWND m_hWnd = nullptr;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

TEST(Phases, AnEngineWithoutAFormMovesOnlyAsTheTableSays)
{
    WSADATA data;
    ASSERT_EQ(::WSAStartup(MAKEWORD(1, 1), &data), 0);
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StandInFrontEnd front;
    front.hosts = {"localhost", "127.0.0.2"};
    front.host = "localhost";
    {
        KeepAliveEngine engine(front);
        EngineWindow window(engine);
        engine.Attach(window.Get());
        KeepAliveOptions options;
        options.ignoreFailures = true;
        engine.SetOptions(options);
        const auto settlesIn = [&](Phase phase) {
            return PumpUntil([&] { return engine.CurrentPhase() == phase && front.waits == 0; });
        };

        // The local address, the host's check, the countdown, a prodle and its reply.
        engine.Start();
        EXPECT_EQ(engine.CurrentPhase(), Phase::LookingUpLocalAddress);
        ASSERT_TRUE(settlesIn(Phase::CountingDown));
        engine.OnTimer(TIMER_COUNTDOWN);
        EXPECT_EQ(engine.CurrentPhase(), Phase::Connecting);
        ASSERT_TRUE(PumpUntil([&] { return server.Finished() == 1; }));
        ASSERT_TRUE(settlesIn(Phase::CountingDown));
        EXPECT_EQ(front.stored, 1);

        // A refused host with "Ignore Connection Failures": the next host, checked again.
        front.SelectHost(1);
        engine.Start();
        engine.OnTimer(TIMER_COUNTDOWN);
        ASSERT_TRUE(settlesIn(Phase::CountingDown));
        EXPECT_EQ(front.host, "localhost");

        // Without it: the box and a stop. Then a refused period.
        options.ignoreFailures = false;
        engine.SetOptions(options);
        front.SelectHost(1);
        engine.Start();
        engine.OnTimer(TIMER_COUNTDOWN);
        ASSERT_TRUE(settlesIn(Phase::Stopped));
        front.minutes = "0";
        engine.Start();
        EXPECT_EQ(engine.CurrentPhase(), Phase::Stopped);
        ASSERT_EQ(front.boxes.size(), 2u);
        EXPECT_EQ(front.boxes[0].rfind("Prodle: Cannot connect to 127.0.0.2 on port 80\n\n", 0), 0u);
        EXPECT_EQ(front.boxes[1], "Prodle: Time period must be between 1 and 60");
        engine.Shutdown();
    }
    ::WSACleanup();

    std::vector<Phase> visited;
    for (const auto& move : front.moves) {
        EXPECT_TRUE(IsListedMove(move.from, move.why, move.to))
            << PhaseName(move.from) << " -> " << PhaseName(move.to) << ": " << TriggerText(move.why);
        visited.push_back(move.to);
    }
    for (Phase phase : {Phase::LookingUpLocalAddress, Phase::CheckingHost, Phase::CountingDown,
                        Phase::Connecting, Phase::ReportingFailure, Phase::WaitingForReply})
        EXPECT_NE(std::find(visited.begin(), visited.end(), phase), visited.end()) << PhaseName(phase);
}

TEST(Phases, TheArchitectureDocumentsDiagramIsTheTable)
{
    const char* source = std::getenv("PRODLE_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "the tests run through wine-run, which names the source folder";
    const std::string document = ReadFile(std::string(source) + "/docs/architecture.md");
    ASSERT_FALSE(document.empty());
    const std::string start = "```mermaid\n";
    const size_t diagram = document.find(start + "stateDiagram-v2");
    ASSERT_NE(diagram, std::string::npos);
    const size_t end = document.find("```", diagram + start.size());
    EXPECT_EQ(document.substr(diagram + start.size(), end - diagram - start.size()), PhaseDiagram())
        << "docs/architecture.md's state diagram is made by PhaseDiagram() from engine/rules/phases.cpp";
}
