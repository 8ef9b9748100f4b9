#include "support/listener.h"

namespace {

// Connects that the listener's own queue takes before the system starts dropping them.
constexpr int kQueueFillers = 3;

}  // namespace

LoopbackListener::LoopbackListener(const char* address, Handshake handshake, unsigned short port)
{
    const auto parsed = ParseAddressLiteral(address);
    if (!parsed || !IsLoopback(*parsed))
        return;  // loopback only, whatever a caller asks
    const SocketAddress local = SocketAddress::Of(*parsed, port);
    m_socket = ::socket(local.Family(), SOCK_STREAM, 0);
    if (m_socket == INVALID_SOCKET)
        return;
    const BOOL reuse = TRUE;
    ::setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    const int backlog = handshake == Handshake::Completes ? 64 : 0;
    if (::bind(m_socket, local.Get(), local.length) != 0 || ::listen(m_socket, backlog) != 0) {
        ::closesocket(m_socket);
        m_socket = INVALID_SOCKET;
        return;
    }
    if (handshake == Handshake::NeverAnswered)
        FillQueue(local);
}

void LoopbackListener::FillQueue(const SocketAddress& local)
{
    for (int i = 0; i < kQueueFillers; ++i) {
        const SOCKET filler = ::socket(local.Family(), SOCK_STREAM, 0);
        if (filler == INVALID_SOCKET)
            continue;
        u_long nonBlocking = 1;
        ::ioctlsocket(filler, FIONBIO, &nonBlocking);
        ::connect(filler, local.Get(), local.length);
        m_queueFillers.push_back(filler);
    }
    // The queue is full once the first of them has connected.
    fd_set connected;
    FD_ZERO(&connected);
    for (SOCKET filler : m_queueFillers)
        FD_SET(filler, &connected);
    timeval bound = {2, 0};
    ::select(0, nullptr, &connected, nullptr, &bound);
}

LoopbackListener::~LoopbackListener()
{
    for (SOCKET filler : m_queueFillers)
        ::closesocket(filler);
    if (m_socket != INVALID_SOCKET)
        ::closesocket(m_socket);
}
