#include "form/prodle_connection.h"

#include <cstring>

#include "engine/rules/host_entry.h"
#include "form/form_ids.h"
#include "engine/rules/host_text.h"

void ProdleConnection::KeepEntry(const CString& host, const HostEntryCopy& entry)
{
    m_entryHost = WithoutLeadingSpaces(host);
    m_entry = entry;
}

ProdleConnection::Start ProdleConnection::Begin(const CString& host)
{
    GiveUp();
    m_host = WithoutLeadingSpaces(host);
    if (m_host.empty())
        return Start::NoHost;
    m_address = {};
    m_address.sin_port = ::htons(kHttpPort);
    int family = AF_INET;
    unsigned char bytes[4] = {};
    bool known = true;
    if (StartsWithDigit(m_host)) {
        // Taken as it comes: a text that is no address gives the no-address value, whose connect fails.
        m_address.sin_addr.s_addr = ::inet_addr(m_host.c_str());
    } else if (::lstrcmpiA(m_host.c_str(), m_entryHost.c_str()) == 0 &&
               FirstAddress(m_entry.View(), &family, bytes)) {
        std::memcpy(&m_address.sin_addr, bytes, sizeof bytes);
    } else {
        known = false;  // no entry of this host is kept (the list was changed since its check)
    }
    m_address.sin_family = static_cast<short>(family);

    m_socket.Reset(::socket(AF_INET, SOCK_STREAM, 0));
    if (!m_socket.IsOpen())
        return Start::NoSocket;
    // Registered before it connects: the socket no longer blocks, and the connect's outcome comes as news.
    ::WSAAsyncSelect(m_socket.Get(), m_window, WM_PRODLE_SOCKET, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);
    if (!known) {
        m_step = Step::LookingUp;
        if (!m_lookup.Start(m_window, WM_PRODLE_CONNECT_LOOKUP, m_host.c_str()))
            ::PostMessageA(m_window, WM_PRODLE_CONNECT_LOOKUP, 0, WSAMAKEASYNCREPLY(0, WSAENETDOWN));
        return Start::UnderWay;
    }
    if (!Connect(m_address)) {
        GiveUp();
        return Start::Failed;
    }
    return Start::UnderWay;
}

bool ProdleConnection::Connect(const sockaddr_in& address)
{
    m_step = Step::Connecting;
    const SOCKET s = m_socket.Get();
    if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        // Connected at once: the outcome still arrives the usual way.
        ::PostMessageA(m_window, WM_PRODLE_SOCKET, static_cast<WPARAM>(s), WSAMAKESELECTREPLY(FD_CONNECT, 0));
        return true;
    }
    return ::WSAGetLastError() == WSAEWOULDBLOCK;
}

void ProdleConnection::GiveUp()
{
    m_step = Step::None;
    m_lookup.GiveUp();
    if (!m_socket.IsOpen())
        return;
    m_socket.Reset();
    MSG stale;
    while (::PeekMessageA(&stale, m_window, WM_PRODLE_SOCKET, WM_PRODLE_SOCKET, PM_REMOVE)) {
    }
}

ProdleConnection::Outcome ProdleConnection::Fail()
{
    GiveUp();
    return Outcome::Failed;
}

ProdleConnection::Outcome ProdleConnection::OnSocketNews(WPARAM socket, LPARAM news)
{
    if (!m_socket.IsOpen() || socket != static_cast<WPARAM>(m_socket.Get()))
        return Outcome::None;  // news of an earlier socket
    const WORD event = WSAGETSELECTEVENT(news);
    switch (m_step) {
    case Step::LookingUp:
    case Step::Connecting:
        // Only the connect's own outcome counts until it is known; a close before it is a failure.
        if (event == FD_CONNECT && m_step == Step::Connecting) {
            if (WSAGETSELECTERROR(news) != 0)
                return Fail();
            m_step = Step::Connected;
            return Outcome::Connected;
        }
        return event == FD_CLOSE ? Fail() : Outcome::None;
    case Step::Connected:
        if (event == FD_READ) {
            ReceiveAndDiscard();
            return Outcome::Read;
        }
        if (event == FD_CLOSE) {
            // The close can overtake the read notification of data that came just before it.
            const bool data = ReceiveAndDiscard() > 0;
            GiveUp();
            return data ? Outcome::ReadAndClosed : Outcome::Closed;
        }
        return Outcome::None;
    case Step::None:
        break;
    }
    return Outcome::None;
}

ProdleConnection::Outcome ProdleConnection::OnLookupAnswer(WPARAM task, LPARAM result)
{
    HostEntryCopy entry;
    if (!m_lookup.TakeAnswer(task, &entry) || m_step != Step::LookingUp)
        return Outcome::None;  // an answer nobody waits for any more
    int family = 0;
    unsigned char bytes[4] = {};
    if (WSAGETASYNCERROR(result) != 0 || !FirstAddress(entry.View(), &family, bytes))
        return Fail();
    // Later prodles to this host use the entry as one from a check.
    KeepEntry(m_host, entry);
    m_address.sin_family = static_cast<short>(family);
    std::memcpy(&m_address.sin_addr, bytes, sizeof bytes);
    return Connect(m_address) ? Outcome::None : Fail();
}

std::string ProdleConnection::PeerAddress() const
{
    const char* text = ::inet_ntoa(m_address.sin_addr);
    return text ? text : "";
}

void ProdleConnection::Send(const CString& request) const
{
    ::send(m_socket.Get(), request.data(), static_cast<int>(request.size()), 0);
}

int ProdleConnection::ReceiveAndDiscard() const
{
    // Never more than 1024 bytes into the cleared buffer, so that the data always stay NUL-terminated.
    char buffer[1026] = {};
    return ::recv(m_socket.Get(), buffer, 1024, 0);
}
