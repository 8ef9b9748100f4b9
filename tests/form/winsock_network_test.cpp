// The engine's network on Windows Sockets, against loopback peers of both families that behave and
// peers that do not: the answers it gives for each request, the exact request on the wire, the race of a
// name's addresses, the news of a given-up socket never taken for the next one, and no handle or memory
// left behind. Only names that resolve without asking a name server are looked up (the machine's own
// name, "localhost", the test namespace's dual.prodle.test, and one too long for any DNS query).
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/rules/http_request.h"
#include "form/form_ids.h"
#include "form/winsock_network.h"
#include "support/import_patch.h"
#include "support/listener.h"
#include "support/loopback_server.h"
#include "support/process_figures.h"
#include "support/pump.h"

namespace {

struct Answer {
    std::string what;
    Ticket ticket;
    std::string text;
};

// The answers, as the engine would get them.
class AnswerLog : public NetworkAnswers {
public:
    void OnLocalAddressFound(Ticket t, const std::string& address) override
    {
        Add("LocalAddressFound", t, address);
    }
    void OnLocalAddressFailed(Ticket t) override { Add("LocalAddressFailed", t); }
    void OnHostFound(Ticket t) override { Add("HostFound", t); }
    void OnHostNotFound(Ticket t) override { Add("HostNotFound", t); }
    void OnConnected(Ticket t, const std::string& address) override { Add("Connected", t, address); }
    void OnConnectFailed(Ticket t) override { Add("ConnectFailed", t); }
    void OnNoSocket(Ticket t) override { Add("NoSocket", t); }
    void OnReplyData(Ticket t) override { Add("ReplyData", t); }
    void OnConnectionClosed(Ticket t) override { Add("ConnectionClosed", t); }

    bool Has(const std::string& what, Ticket ticket) const
    {
        for (const Answer& answer : answers)
            if (answer.what == what && answer.ticket == ticket)
                return true;
        return false;
    }
    // Every answer to the request, each piece of a reply counted.
    int Calls(Ticket ticket) const { return ticket < calls.size() ? calls[ticket] : 0; }
    std::vector<Answer> answers;

private:
    std::vector<int> calls;
    void Add(const std::string& what, Ticket ticket, const std::string& text = "")
    {
        if (ticket >= calls.size())
            calls.resize(ticket + 1);
        ++calls[ticket];
        // The pieces of a long reply are one answer here.
        if (answers.empty() || answers.back().what != what || answers.back().ticket != ticket)
            answers.push_back({what, ticket, text});
    }
};

std::set<std::string> OwnAddresses()
{
    std::set<std::string> addresses;
    char name[100] = {};
    ::gethostname(name, sizeof name - 1);
    if (const hostent* entry = ::gethostbyname(name))
        for (char** address = entry->h_addr_list; address && *address; ++address)
            addresses.insert(::inet_ntoa(*reinterpret_cast<in_addr*>(*address)));
    return addresses;
}

BOOL WINAPI RefusedWorkItem(LPTHREAD_START_ROUTINE, void*, ULONG)
{
    return FALSE;
}

// Connects of this machine still waiting for their handshake to port 80 of ::1, as Linux lists them
// (Wine's drive Z: is the root): the sockets a race left open on a peer that never answers.
int HalfOpenToIpv6Port80()
{
    std::ifstream table("Z:\\proc\\net\\tcp6");
    int count = 0;
    for (std::string line; std::getline(table, line);) {
        // "  0: <local>:<port> 00000000000000000000000001000000:0050 02 ...", state 02: SYN_SENT.
        count += line.find(" 00000000000000000000000001000000:0050 02 ") != std::string::npos ? 1 : 0;
    }
    return count;
}

// Whether the socket's connect is still waiting for the peer's handshake: neither made nor failed.
bool HandshakeUnanswered(SOCKET socket)
{
    fd_set made, failed;
    FD_ZERO(&made);
    FD_ZERO(&failed);
    FD_SET(socket, &made);
    FD_SET(socket, &failed);
    timeval now = {0, 0};
    return ::select(0, nullptr, &made, &failed, &now) == 0;
}

// Waits, handling nothing, until the window's queue holds news of this socket (the data's arrival: the
// news of the close follows only once they are read); what is taken out to look at is put back.
bool NewsQueued(HWND window, SOCKET socket)
{
    std::vector<MSG> taken;
    bool queued = false;
    for (const DWORD start = ::GetTickCount(); !queued && ::GetTickCount() - start < 5000; ::Sleep(5)) {
        MSG news;
        while (::PeekMessageA(&news, window, WM_PRODLE_SOCKET, WM_PRODLE_SOCKET, PM_REMOVE)) {
            taken.push_back(news);
            queued = queued || news.wParam == socket;
        }
    }
    for (const MSG& news : taken)
        ::PostMessageA(window, news.message, news.wParam, news.lParam);
    return queued;
}

// A window of the test's own that hands the network its lookup answers and socket news.
class NetworkWindow {
public:
    explicit NetworkWindow(WinsockNetwork& network)
    {
        static const ATOM atom = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = &NetworkWindow::Procedure;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = "ProdleNetworkTestWindow";
            return ::RegisterClassA(&wc);
        }();
        EXPECT_NE(atom, 0);
        m_hWnd = ::CreateWindowExA(0, "ProdleNetworkTestWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
        ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&network));
    }
    ~NetworkWindow() { ::DestroyWindow(m_hWnd); }
    HWND Get() const { return m_hWnd; }

private:
    static LRESULT CALLBACK Procedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* network = reinterpret_cast<WinsockNetwork*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (network && message == WM_PRODLE_SOCKET) {
            network->OnSocketNews(wParam, lParam);
            return 0;
        }
        if (network && message == WM_TIMER && network->OnTimer(wParam))
            return 0;
        if (network && (message == WM_PRODLE_LOCAL_LOOKUP || message == WM_PRODLE_HOST_LOOKUP ||
                        message == WM_PRODLE_CONNECT_LOOKUP)) {
            network->OnLookupAnswer(message, wParam, lParam);
            return 0;
        }
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    }

    HWND m_hWnd = nullptr;
};

class Network : public testing::Test {
protected:
    void SetUp() override
    {
        WSADATA data;
        ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
        m_network = std::make_unique<WinsockNetwork>();
        m_window = std::make_unique<NetworkWindow>(*m_network);
        m_network->Attach(m_window->Get(), &log);
    }
    void TearDown() override
    {
        m_window.reset();
        m_network.reset();
        ::WSACleanup();
    }

    // Handles messages until the answer comes (false after the bound).
    bool WaitFor(const std::string& what, Ticket ticket, DWORD ms = 5000) const
    {
        const bool came = PumpUntil([&] { return log.Has(what, ticket); }, ms);
        if (!came)
            ADD_FAILURE() << "no " << what << " for request " << ticket << " within " << ms << " ms";
        return came;
    }
    // A whole prodle to a loopback address (127.0.0.1 or ::1): connected, the request sent with a local
    // address of the same family; the answers that follow are the peer's.
    bool Prodle(Ticket ticket, const std::string& peer = "127.0.0.1")
    {
        network().Connect(ticket, peer);
        if (!WaitFor("Connected", ticket))
            return false;
        network().Send(ticket, BuildProdleRequest(LocalAddressFor(peer)));
        return true;
    }
    static std::string LocalAddressFor(const std::string& peer)
    {
        return peer.find(':') != std::string::npos ? "2001:db8::7" : "192.0.2.7";
    }
    WinsockNetwork& network() { return *m_network; }
    HWND window() const { return m_window->Get(); }

    AnswerLog log;

private:
    std::unique_ptr<WinsockNetwork> m_network;
    std::unique_ptr<NetworkWindow> m_window;
};

TEST_F(Network, TheLocalAddressIsThisMachinesAndNamesAreLookedUp)
{
    network().LookUpLocalAddress(1);
    ASSERT_TRUE(WaitFor("LocalAddressFound", 1));
    EXPECT_EQ(OwnAddresses().count(log.answers.back().text), 1u) << log.answers.back().text;

    network().LookUpHost(2, "localhost");
    ASSERT_TRUE(WaitFor("HostFound", 2));
    network().LookUpHost(3, "no-such-host-" + std::string(70, 'x') + ".invalid");
    ASSERT_TRUE(WaitFor("HostNotFound", 3));

    // An address of either family needs no lookup.
    network().LookUpHost(4, "[::1]");
    EXPECT_TRUE(log.Has("HostFound", 4));

    // A lookup the platform refuses to start fails at once instead of never answering.
    ImportPatch refused({"kernel32.dll", "kernelbase.dll"}, "QueueUserWorkItem",
                        reinterpret_cast<void*>(&RefusedWorkItem));
    ASSERT_GT(refused.Patched(), 0u);
    network().LookUpLocalAddress(5);
    network().LookUpHost(6, "localhost");
    network().Connect(7, "localhost.");
    EXPECT_TRUE(log.Has("LocalAddressFailed", 5));
    EXPECT_TRUE(log.Has("HostNotFound", 6));
    EXPECT_TRUE(log.Has("ConnectFailed", 7));
}

TEST_F(Network, AConnectionToTheCheckedNameOrAnAddressOrARefusingPeer)
{
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    network().LookUpHost(1, "localhost");
    ASSERT_TRUE(WaitFor("HostFound", 1));
    network().Connect(2, "localhost");
    ASSERT_TRUE(WaitFor("Connected", 2));
    EXPECT_EQ(log.answers.back().text, "127.0.0.1");  // the address connected to, for the history
    // A name the check did not look up is looked up by the connection itself.
    network().Connect(3, "LOCALHOST");
    ASSERT_TRUE(WaitFor("Connected", 3));
    EXPECT_EQ(log.answers.back().text, "127.0.0.1");
    network().Connect(4, "127.0.0.2");  // nothing listens there
    ASSERT_TRUE(WaitFor("ConnectFailed", 4));
    network().Connect(5, "no-such-host-" + std::string(70, 'x') + ".invalid");
    ASSERT_TRUE(WaitFor("ConnectFailed", 5));
    // An IPv6 address, bracketed or not.
    LoopbackServer ipv6(ServerBehaviour::Reply, "::1");
    ASSERT_TRUE(ipv6.Listening());
    for (Ticket ticket : {6, 7}) {
        network().Connect(ticket, ticket == 6 ? "::1" : "[::1]");
        ASSERT_TRUE(WaitFor("Connected", ticket));
        EXPECT_EQ(log.answers.back().text, "::1");
    }
}

// A name with an address of each family, whose IPv6 peer never answers the handshake while its IPv4 peer
// does: IPv6 is tried first, IPv4 a quarter of a second later, and the first handshake wins at once; the
// hanging connect is closed then, not left to its time-out. Every address refusing is one failure, with
// every socket of the race closed.
TEST_F(Network, ARaceOverBothFamiliesIsWonByTheFirstHandshakeAndLostOnlyWhenAllRefuse)
{
    network().LookUpHost(1, "dual.prodle.test");
    ASSERT_TRUE(WaitFor("HostFound", 1));
    {
        LoopbackListener hanging("::1", Handshake::NeverAnswered);
        LoopbackServer server(ServerBehaviour::Reply);
        ASSERT_TRUE(hanging.IsListening() && server.Listening());
        const int halfOpenBefore = HalfOpenToIpv6Port80();
        const DWORD start = ::GetTickCount();
        network().Connect(2, "dual.prodle.test");
        ASSERT_TRUE(WaitFor("Connected", 2));
        const DWORD took = ::GetTickCount() - start;
        EXPECT_EQ(log.answers.back().text, "127.0.0.1");
        EXPECT_GE(took, 240u) << "IPv4 was not held back for the IPv6 connect";
        EXPECT_LT(took, 250u + 200u) << "a hanging IPv6 connect held the race up";
        EXPECT_EQ(HalfOpenToIpv6Port80(), halfOpenBefore) << "the losing connect was left open";
        network().Close(2);
    }
    // Nothing listens on either address now. Once a later lookup has answered, the race's news have
    // all been handled.
    network().Connect(3, "dual.prodle.test");
    ASSERT_TRUE(WaitFor("ConnectFailed", 3));
    network().LookUpHost(4, "localhost");
    ASSERT_TRUE(WaitFor("HostFound", 4));
    EXPECT_EQ(log.Calls(3), 1);
    EXPECT_EQ(network().ConnectionSocket(), INVALID_SOCKET) << "a socket of the race is still open";
}

// A peer that never answers the handshake (a dead link) gives no answer at all: the engine's bound ends
// that connect. A connection given up says nothing more, not even the news that was already queued, which
// the next socket, getting the same number, must not inherit.
TEST_F(Network, AGivenUpConnectionSaysNothingMoreEvenToTheNextSocketOfItsNumber)
{
    LoopbackListener dead("127.0.0.8", Handshake::NeverAnswered);
    ASSERT_TRUE(dead.IsListening());
    network().Connect(1, "127.0.0.8");
    ASSERT_TRUE(HandshakeUnanswered(network().ConnectionSocket()));
    PumpPending();
    EXPECT_TRUE(log.answers.empty());
    network().Close(1);

    LoopbackServer silent(ServerBehaviour::Silent, "127.0.0.4");
    LoopbackServer replier(ServerBehaviour::Reply);
    ASSERT_TRUE(silent.Listening() && replier.Listening() && Prodle(2));
    // The reply and the close arrive while no message is handled: their news waits in the queue.
    const DWORD start = ::GetTickCount();
    while (replier.Finished() == 0 && ::GetTickCount() - start < 5000)
        ::Sleep(5);
    ASSERT_EQ(replier.Finished(), 1u);
    const SOCKET replaced = network().ConnectionSocket();
    ASSERT_TRUE(NewsQueued(window(), replaced));
    network().Close(2);
    network().Connect(3, "127.0.0.4");
    ASSERT_EQ(network().ConnectionSocket(), replaced) << "Windows Sockets gives the lowest free number";
    ASSERT_TRUE(WaitFor("Connected", 3));  // the stale news, queued before, has been handled
    PumpPending();
    for (const Answer& answer : log.answers)
        EXPECT_TRUE(answer.what == "Connected") << answer.what << " for request " << answer.ticket;
}

struct Peer {
    const char* name;
    ServerBehaviour behaviour;
    bool sendsData;
    DWORD settleMs;  // how long the peer may take over one connection
};

const Peer kPeers[] = {
    {"OneByteEvery200ms", ServerBehaviour::Trickle, true, 5000},
    {"ReplyInPieces", ServerBehaviour::ReplyInPieces, true, 5000},
    {"FiveMegabytes", ServerBehaviour::SendFiveMegabytes, true, 60000},
    {"ClosesWithoutData", ServerBehaviour::CloseAtOnce, false, 5000},
    {"ResetsWithoutData", ServerBehaviour::Reset, false, 5000},
    {"ResetsAfterItsReply", ServerBehaviour::ReplyThenReset, true, 5000},
    {"BinaryGarbage", ServerBehaviour::Garbage, true, 5000},
};

void PrintTo(const Peer& peer, std::ostream* out)
{
    *out << peer.name;
}

// Each peer, at its IPv4 and at its IPv6 address.
class EachPeer : public Network, public testing::WithParamInterface<std::tuple<Peer, const char*>> {};

// Each peer gets the request exactly (an IPv6 local address in brackets in its Host line), the data (if
// any) come as replies and the close last; three prodles against it leave no socket, handle or memory
// behind. (No SCOPED_TRACE between the figures:
// GoogleTest starts a thread, with a megabyte of stack, for a thread's first trace.)
TEST_P(EachPeer, AnswersAsItBehavesAndLeavesNothingBehind)
{
    const auto& [peer, address] = GetParam();
    // Windows Sockets keeps what a first connection sets up for the rest of the run.
    const auto prodleToAGoodPeer = [this, address = address](Ticket ticket) {
        LoopbackServer good(ServerBehaviour::Reply, address);
        ASSERT_TRUE(good.Listening() && Prodle(ticket, address) && WaitFor("ReplyData", ticket) &&
                    WaitFor("ConnectionClosed", ticket));
    };
    prodleToAGoodPeer(100);
    PumpPending();
    const ProcessFigures before = MeasureProcess();
    ASSERT_TRUE(before.Measured()) << before;
    {
        LoopbackServer server(peer.behaviour, address);
        ASSERT_TRUE(server.Listening());
        for (Ticket ticket = 1; ticket <= 3; ++ticket) {
            ASSERT_TRUE(Prodle(ticket, address));
            ASSERT_TRUE(WaitFor("ConnectionClosed", ticket, peer.settleMs));
            EXPECT_EQ(log.Has("ReplyData", ticket), peer.sendsData) << "prodle " << ticket;
            EXPECT_EQ(log.answers.back().what, "ConnectionClosed") << "prodle " << ticket;
            ASSERT_EQ(server.Requests().size(), ticket);
            EXPECT_EQ(server.Requests().back(), BuildProdleRequest(LocalAddressFor(address)))
                << "prodle " << ticket;
        }
    }
    prodleToAGoodPeer(101);
    PumpPending();
    const ProcessFigures after = MeasureProcess();
    ASSERT_TRUE(after.Measured()) << after;
    EXPECT_LE(after.handles, before.handles + 1);  // a socket a prodle would be 3
    EXPECT_LT(after.memory, before.memory + 1024 * 1024) << before.memory;
}

INSTANTIATE_TEST_SUITE_P(Hostile, EachPeer,
                         testing::Combine(testing::ValuesIn(kPeers), testing::Values("127.0.0.1", "::1")),
                         [](const testing::TestParamInfo<EachPeer::ParamType>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::string(std::get<1>(info.param)) == "::1" ? "OverIpv6" : "");
                         });

// A long run: a thousand prodles, every other one refused, hold no more handles or memory at the end.
TEST_F(Network, AThousandProdlesLeaveNothingBehind)
{
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    server.CountRequestsOnly();
    const auto run = [&](Ticket first, Ticket count) {
        for (Ticket ticket = first; ticket < first + count; ++ticket) {
            if (ticket % 2) {
                network().Connect(ticket, "127.0.0.2");
                if (!WaitFor("ConnectFailed", ticket))
                    return;
            } else if (!Prodle(ticket) || !WaitFor("ConnectionClosed", ticket)) {
                return;
            }
            if (log.answers.size() > 100)
                log.answers.clear();
        }
    };
    run(1, 100);
    PumpPending();
    const ProcessFigures before = MeasureProcess();
    ASSERT_TRUE(before.Measured()) << before;
    run(101, 1000);
    PumpPending();
    const ProcessFigures after = MeasureProcess();
    ASSERT_TRUE(after.Measured()) << after;
    EXPECT_EQ(server.RequestCount(), 550u);
    EXPECT_LE(after.handles, before.handles + 4);
    EXPECT_LT(after.memory, before.memory + 1024 * 1024) << before.memory;
}

}  // namespace
