#include "support/listener.h"

LoopbackListener::LoopbackListener(const char* address, unsigned short port)
{
    m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_socket == INVALID_SOCKET)
        return;
    const BOOL reuse = TRUE;
    ::setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = ::htons(port);
    local.sin_addr.s_addr = ::inet_addr(address);
    if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(m_socket, 64) != 0) {
        ::closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
}

LoopbackListener::~LoopbackListener()
{
    if (m_socket != INVALID_SOCKET)
        ::closesocket(m_socket);
}
