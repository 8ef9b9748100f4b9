// The engine against peers that misbehave: a server that never answers, answers one byte at a time or
// in pieces, sends 5 MB, closes or resets without a word, resets after its reply, sends binary garbage,
// or keeps every connection open. After each, the engine is in the state its rules give (any reply data complete
// the prodle; a close or reset without data leaves it waiting), it holds no socket or handle more than
// before, and the next prodle to a well-behaved server completes.
#include <ostream>
#include <regex>
#include <string>

#include "app/resource.h"
#include "support/engine_fixture.h"
#include "support/form.h"
#include "support/process_figures.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

struct Peer {
    const char* name;
    ServerBehaviour behaviour;
    bool sendsData;  // any reply data complete the prodle; without them it stays waiting
    DWORD settleMs;  // how long the server may take over one connection
};

const Peer kPeers[] = {
    {"NeverAnswers", ServerBehaviour::Silent, false, 0},
    {"OneByteEvery200ms", ServerBehaviour::Trickle, true, 5000},
    {"ReplyInPieces", ServerBehaviour::ReplyInPieces, true, 5000},
    {"FiveMegabytes", ServerBehaviour::SendFiveMegabytes, true, 60000},
    {"ClosesWithoutData", ServerBehaviour::CloseAtOnce, false, 5000},
    {"ResetsWithoutData", ServerBehaviour::Reset, false, 5000},
    {"ResetsAfterItsReply", ServerBehaviour::ReplyThenReset, true, 5000},
    {"BinaryGarbage", ServerBehaviour::Garbage, true, 5000},
};

// Prodles made against each peer: a socket leaked by each of them shows as this many extra handles.
constexpr int kProdlesPerPeer = 3;
// Handles the process may gain for reasons of the system's own; below kProdlesPerPeer.
constexpr DWORD kHandleSlack = 2;
constexpr SIZE_T kMemorySlack = 1024 * 1024;

// Names the case in test listings instead of a dump of its bytes.
void PrintTo(const Peer& peer, std::ostream* out)
{
    *out << peer.name;
}

std::string PeerName(const testing::TestParamInfo<Peer>& info)
{
    return info.param.name;
}

}  // namespace

class HostilePeers : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        SetSetting("Debug", "1");  // 15-second period: the next prodle is never due by accident
        SetHosts({"127.0.0.1"});
    }

    // Starts the program and the cycle and makes a first prodle, which sets up what Windows Sockets
    // keeps for the rest of the run, so that counting handles afterwards is fair.
    void StartAndWarmUp()
    {
        StartProdle();
        ASSERT_NE(Form(), nullptr);
        StartCycleAndSettle();
        ASSERT_TRUE(Counting());
        ExpectProdleCompletes();
    }

    void ProdleNow() const { TickToExpiry(); }
    bool ConnectionOpen() const { return Engine().ConnectionSocket() != INVALID_SOCKET; }

    // What the engine shows after a prodle, and whether the next tick gives the Start button back.
    void ExpectCompleted() const
    {
        static const std::regex completed("Prodle completed at [0-2][0-9]:[0-5][0-9]:[0-5][0-9]");
        EXPECT_EQ(CurrentPhase(), Phase::CountingDown);
        EXPECT_TRUE(std::regex_match(Status(), completed)) << Status();
        EXPECT_TRUE(TrayShows(IDI_RUNNING));
        Tick();
        EXPECT_TRUE(StartEnabled());
    }
    void ExpectStillWaiting() const
    {
        EXPECT_EQ(CurrentPhase(), Phase::WaitingForReply);
        EXPECT_EQ(Status(), "Prodle was sent");
        EXPECT_TRUE(TrayShows(IDI_IN_FLIGHT));
        Tick();
        EXPECT_FALSE(StartEnabled());
    }

    // A prodle to a well-behaved server completes, and the server's close is handled.
    void ExpectProdleCompletes()
    {
        LoopbackServer server(ServerBehaviour::Reply);
        ASSERT_TRUE(server.Listening());
        ProdleNow();
        ASSERT_TRUE(WaitForRequests(server, 1));
        ASSERT_TRUE(WaitUntilCompleted());
        ASSERT_TRUE(PumpUntil([&] { return server.Finished() == 1 && !ConnectionOpen(); }));
        ExpectCompleted();
    }

    // The figures once every connection has ended and its news has been handled.
    DWORD SettledHandles() const
    {
        EXPECT_TRUE(PumpUntil([this] { return !ConnectionOpen(); }));
        PumpFor(50);
        return ProcessHandleCount();
    }
    // The same while a connection is meant to stay open.
    static DWORD SettledHandlesWhileOpen()
    {
        PumpFor(50);
        return ProcessHandleCount();
    }
};

class EachHostilePeer : public HostilePeers, public testing::WithParamInterface<Peer> {};

TEST_P(EachHostilePeer, LeavesTheStateItsReplyDecidesLeaksNothingAndTheNextProdleWorks)
{
    const Peer& peer = GetParam();
    StartAndWarmUp();
    const DWORD handlesBefore = SettledHandles();
    const SIZE_T memoryBefore = ProcessMemory();
    ASSERT_GT(handlesBefore, 0u);

    {
        LoopbackServer server(peer.behaviour);
        ASSERT_TRUE(server.Listening());
        for (int i = 0; i < kProdlesPerPeer; ++i) {
            SCOPED_TRACE("prodle " + std::to_string(i + 1));
            ProdleNow();
            ASSERT_TRUE(WaitForRequests(server, i + 1));
            EXPECT_EQ(server.Requests()[i], ExpectedRequest(Engine().LocalAddress()));
            if (peer.sendsData) {
                // The first data complete the prodle, once: the rest of the reply only empties the socket.
                ASSERT_TRUE(WaitUntilCompleted());
                ExpectCompleted();
                SetControlText(Form(), IDC_STATIC_STATUS, "after the first data");
            }
            if (peer.behaviour == ServerBehaviour::Silent) {
                // The connection stays open; the one before it was closed by the engine.
                ASSERT_TRUE(PumpUntil([&] { return server.ClientsGone() == static_cast<size_t>(i); }));
                EXPECT_TRUE(ConnectionOpen());
            } else {
                ASSERT_TRUE(PumpUntil(
                    [&] { return server.Finished() == static_cast<size_t>(i + 1) && !ConnectionOpen(); },
                    peer.settleMs));
            }
            if (peer.sendsData)
                EXPECT_EQ(Status(), "after the first data");
            else
                ExpectStillWaiting();
        }
    }
    // A server that goes away closes what it held open; the engine then holds nothing either.
    ASSERT_TRUE(PumpUntil([this] { return !ConnectionOpen(); }));
    if (!peer.sendsData)
        ExpectStillWaiting();

    ExpectProdleCompletes();
    EXPECT_EQ(BoxCount(), 0u);
    const DWORD handlesAfter = SettledHandles();
    const SIZE_T memoryAfter = ProcessMemory();
    EXPECT_LE(handlesAfter, handlesBefore + kHandleSlack)
        << "handles went from " << handlesBefore << " to " << handlesAfter;
    EXPECT_LT(memoryAfter, memoryBefore + kMemorySlack)
        << "memory went from " << memoryBefore << " to " << memoryAfter;
}

INSTANTIATE_TEST_SUITE_P(Hostile, EachHostilePeer, testing::ValuesIn(kPeers), PeerName);

using HostileTiming = HostilePeers;

TEST_F(HostileTiming, ServerThatKeepsEveryConnectionOpenSeesAllButTheLastClosed)
{
    StartAndWarmUp();
    LoopbackServer server(ServerBehaviour::Silent);
    ASSERT_TRUE(server.Listening());
    ProdleNow();
    ASSERT_TRUE(WaitForRequests(server, 1));
    ASSERT_TRUE(PumpUntil([&] { return server.OpenClients() == 1; }));
    const DWORD handlesWithOne = SettledHandlesWhileOpen();

    constexpr size_t kProdles = 6;
    for (size_t i = 1; i < kProdles; ++i) {
        ProdleNow();
        ASSERT_TRUE(WaitForRequests(server, i + 1));
        ASSERT_TRUE(PumpUntil([&] { return server.ClientsGone() == i && server.OpenClients() == 1; }));
    }
    ExpectStillWaiting();
    const DWORD handlesAfter = SettledHandlesWhileOpen();
    EXPECT_LE(handlesAfter, handlesWithOne + kHandleSlack)
        << "handles went from " << handlesWithOne << " to " << handlesAfter;
}

TEST_F(HostileTiming, NewsOfAReplacedConnectionIsNotTakenForTheNextOne)
{
    // The reply and close of one prodle still wait in the queue when the next prodle replaces its
    // connection. The new socket may get the old one's number, and the old news must not count for it:
    // the next server sends nothing, so the next prodle must stay waiting with its connection open.
    StartAndWarmUp();
    {
        LoopbackServer replier(ServerBehaviour::Reply);
        ASSERT_TRUE(replier.Listening());
        ProdleNow();
        // Only the connect's own news is handled; the server's reply and close then stay queued.
        MSG msg;
        for (DWORD start = ::GetTickCount(); Engine().IsConnecting() && ::GetTickCount() - start < 5000;) {
            if (::PeekMessageA(&msg, Form(), WM_PRODLE_SOCKET, WM_PRODLE_SOCKET, PM_REMOVE))
                ::DispatchMessageA(&msg);
            else
                ::Sleep(5);
        }
        ASSERT_EQ(CurrentPhase(), Phase::WaitingForReply);
        const DWORD start = ::GetTickCount();
        while (replier.Finished() == 0 && ::GetTickCount() - start < 5000)
            ::Sleep(5);
        ASSERT_EQ(replier.Finished(), 1u);
        ::Sleep(50);
        ASSERT_EQ(CurrentPhase(), Phase::WaitingForReply);
    }
    const SOCKET replaced = Engine().ConnectionSocket();
    LoopbackServer silent(ServerBehaviour::Silent);
    ASSERT_TRUE(silent.Listening());
    ProdleNow();
    ASSERT_TRUE(WaitForRequests(silent, 1));
    PumpFor(200);
    // Windows Sockets gives the lowest free number: only then could the old news be mistaken.
    ASSERT_EQ(Engine().ConnectionSocket(), replaced)
        << "the next socket did not get the replaced one's number";
    EXPECT_EQ(silent.OpenClients(), 1u);
    ExpectStillWaiting();
}

TEST_F(HostileTiming, ProdleDueWhileAPeerStillTricklesItsReplyReplacesThatConnection)
{
    StartAndWarmUp();
    const DWORD handlesBefore = SettledHandles();
    {
        LoopbackServer server(ServerBehaviour::Trickle);
        ASSERT_TRUE(server.Listening());
        ProdleNow();
        ASSERT_TRUE(WaitForRequests(server, 1));
        ASSERT_TRUE(WaitUntilCompleted());
        // The server goes on trickling; the next prodle is due before it has finished.
        PumpFor(LoopbackServer::kTrickleIntervalMs + 50);
        ProdleNow();
        ASSERT_TRUE(WaitForRequests(server, 2));  // the server gave up the first connection
        ASSERT_TRUE(WaitUntilCompleted());
        ExpectCompleted();
        ASSERT_TRUE(PumpUntil([&] { return server.Finished() == 2 && !ConnectionOpen(); }));
    }
    ExpectProdleCompletes();
    const DWORD handlesAfter = SettledHandles();
    EXPECT_LE(handlesAfter, handlesBefore + kHandleSlack)
        << "handles went from " << handlesBefore << " to " << handlesAfter;
}
