#include "engine/prodle_connection.h"

bool ProdleConnection::Open()
{
    Close();
    m_socket.Reset(::socket(AF_INET, SOCK_STREAM, 0));
    if (!m_socket.IsOpen())
        return false;
    // Registered before it connects: the socket no longer blocks, and the connect's outcome comes as news.
    ::WSAAsyncSelect(m_socket.Get(), m_window, m_message, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);
    return true;
}

bool ProdleConnection::Connect(const sockaddr_in& address)
{
    const SOCKET s = m_socket.Get();
    if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        // Connected at once: the outcome still arrives the usual way.
        ::PostMessageA(m_window, m_message, static_cast<WPARAM>(s), WSAMAKESELECTREPLY(FD_CONNECT, 0));
        return true;
    }
    return ::WSAGetLastError() == WSAEWOULDBLOCK;
}

void ProdleConnection::Close()
{
    if (!m_socket.IsOpen())
        return;
    m_socket.Reset();
    MSG stale;
    while (::PeekMessageA(&stale, m_window, m_message, m_message, PM_REMOVE)) {
    }
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
