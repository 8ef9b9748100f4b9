#include "support/loopback_server.h"

#include <winsock2.h>
#include <windows.h>

#include <cstring>

#include "form/socket_address.h"

namespace {

// Every wait of the server thread is cut into slices this long, so that stopping is never held up.
constexpr long kSliceMs = 20;

// Waits up to one slice for the socket to become readable (or writable); true when it did.
bool WaitFor(SOCKET s, bool forWriting)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval slice = {0, kSliceMs * 1000};
    return ::select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &slice) > 0;
}

void CloseGracefully(SOCKET s)
{
    ::shutdown(s, SD_SEND);
    ::closesocket(s);
}

}  // namespace

const char LoopbackServer::kReply[] =
    "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 2\r\n\r\nok";

LoopbackServer::LoopbackServer(ServerBehaviour behaviour, const char* address)
    : behaviour_(behaviour), listener_(INVALID_SOCKET)
{
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    if (behaviour_ == ServerBehaviour::SendFiveMegabytes)
        bigReply_.assign(kFiveMegabytes, 'x');

    const auto parsed = ParseAddressLiteral(address);
    if (!parsed || !IsLoopback(*parsed))
        return;  // loopback only, whatever a caller asks
    const SocketAddress local = SocketAddress::Of(*parsed, 80);

    // Port 80 may still be held by another test run on this machine: wait for it a while.
    const DWORD start = ::GetTickCount();
    while (!listening_ && ::GetTickCount() - start < 30000) {
        const SOCKET s = ::socket(local.Family(), SOCK_STREAM, 0);
        BOOL on = TRUE;
        ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
        if (::bind(s, local.Get(), local.length) == 0 && ::listen(s, 8) == 0) {
            listener_ = s;
            listening_ = true;
        } else {
            ::closesocket(s);
            ::Sleep(100);
        }
    }
    if (listening_)
        thread_ = std::thread(&LoopbackServer::Serve, this);
}

LoopbackServer::~LoopbackServer()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    for (Socket s : silent_)
        ::closesocket(s);
    if (listener_ != INVALID_SOCKET)
        ::closesocket(listener_);
    ::WSACleanup();
}

std::vector<std::string> LoopbackServer::Requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void LoopbackServer::Serve()
{
    while (!stop_) {
        WatchSilentClients();
        if (!WaitFor(listener_, false))
            continue;
        const SOCKET client = ::accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            continue;
        u_long nonBlocking = 1;
        ::ioctlsocket(client, FIONBIO, &nonBlocking);
        Answer(client);
    }
}

void LoopbackServer::Answer(Socket client)
{
    const std::string request = ReadRequest(client);
    if (!countOnly_) {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
    }
    ++requestCount_;
    switch (behaviour_) {
    case ServerBehaviour::Reply:
        SendAll(client, kReply, sizeof kReply - 1);
        CloseGracefully(client);
        break;
    case ServerBehaviour::ReplyInPieces: {
        // Each piece is more than one read of the program (1024 bytes) and arrives on its own.
        const std::string piece(1500, 'p');
        SendAll(client, kReply, sizeof kReply - 1);
        for (int i = 0; i < 3 && PauseUnlessStopping(150); ++i)
            SendAll(client, piece.data(), piece.size());
        CloseGracefully(client);
        break;
    }
    case ServerBehaviour::Silent:
        silent_.push_back(client);
        ++openClients_;
        return;  // not finished: it stays open
    case ServerBehaviour::CloseAtOnce:
        CloseGracefully(client);
        break;
    case ServerBehaviour::SendFiveMegabytes:
        SendAll(client, bigReply_.data(), bigReply_.size());
        CloseGracefully(client);
        break;
    case ServerBehaviour::Reset:
        Abort(client);
        break;
    case ServerBehaviour::ReplyThenReset:
        // The pause lets the reply be read before the reset arrives.
        SendAll(client, kReply, sizeof kReply - 1);
        PauseUnlessStopping(200);
        Abort(client);
        break;
    case ServerBehaviour::Trickle:
        // Stops early when the client has gone (a send fails).
        for (size_t i = 0; i < kTrickleBytes && i < sizeof kReply - 1 && SendAll(client, kReply + i, 1);
             ++i) {
            if (!PauseUnlessStopping(kTrickleIntervalMs))
                break;
        }
        CloseGracefully(client);
        break;
    case ServerBehaviour::Garbage: {
        // Every byte value, zeros and CR LF included, in an order that reads as nothing.
        std::string garbage(kGarbageBytes, '\0');
        for (size_t i = 0; i < garbage.size(); ++i)
            garbage[i] = static_cast<char>((i * 167 + 13) & 0xFF);
        SendAll(client, garbage.data(), garbage.size());
        CloseGracefully(client);
        break;
    }
    }
    ++finished_;
}

std::string LoopbackServer::ReadRequest(Socket client)
{
    // Up to the blank line that ends the headers, the client's close, or two seconds.
    std::string request;
    const DWORD start = ::GetTickCount();
    while (!stop_ && request.find("\r\n\r\n") == std::string::npos && ::GetTickCount() - start < 2000) {
        if (!WaitFor(client, false))
            continue;
        char chunk[512];
        const int got = ::recv(client, chunk, sizeof chunk, 0);
        if (got <= 0)
            break;
        request.append(chunk, static_cast<size_t>(got));
    }
    return request;
}

bool LoopbackServer::SendAll(Socket client, const char* data, size_t size)
{
    size_t sent = 0;
    while (sent < size && !stop_) {
        if (!WaitFor(client, true))
            continue;
        const int part =
            ::send(client, data + sent, static_cast<int>(size - sent < 65536 ? size - sent : 65536), 0);
        if (part > 0)
            sent += static_cast<size_t>(part);
        else if (::WSAGetLastError() != WSAEWOULDBLOCK)
            return false;
    }
    return sent == size;
}

bool LoopbackServer::PauseUnlessStopping(unsigned milliseconds)
{
    for (unsigned waited = 0; waited < milliseconds && !stop_; waited += kSliceMs)
        ::Sleep(kSliceMs);
    return !stop_;
}

void LoopbackServer::Abort(Socket client)
{
    // SO_LINGER with a zero time-out: the close sends a reset instead of an orderly end.
    const linger abortive = {1, 0};
    ::setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive), sizeof abortive);
    ::closesocket(client);
}

void LoopbackServer::WatchSilentClients()
{
    if (answerSilent_.exchange(false)) {
        for (Socket client : silent_) {
            SendAll(client, kReply, sizeof kReply - 1);
            CloseGracefully(client);
            --openClients_;
            ++finished_;
        }
        silent_.clear();
    }
    for (auto it = silent_.begin(); it != silent_.end();) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(*it, &set);
        timeval now = {0, 0};
        char byte;
        if (::select(0, &set, nullptr, nullptr, &now) > 0 && ::recv(*it, &byte, 1, 0) <= 0) {
            ::closesocket(*it);
            it = silent_.erase(it);
            ++clientsGone_;
            --openClients_;
        } else {
            ++it;
        }
    }
}
