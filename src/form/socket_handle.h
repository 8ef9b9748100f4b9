// A Windows Sockets socket that closes when it goes out of scope or is replaced.
#ifndef PRODLE_FORM_SOCKET_HANDLE_H
#define PRODLE_FORM_SOCKET_HANDLE_H

#include <winsock.h>

class SocketHandle {
public:
    SocketHandle() = default;
    explicit SocketHandle(SOCKET socket) : m_socket(socket) {}
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;
    ~SocketHandle() { Close(); }

    SOCKET Get() const { return m_socket; }
    bool IsOpen() const { return m_socket != INVALID_SOCKET; }
    void Reset(SOCKET socket = INVALID_SOCKET)
    {
        Close();
        m_socket = socket;
    }

private:
    void Close()
    {
        if (m_socket != INVALID_SOCKET)
            ::closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }

    SOCKET m_socket = INVALID_SOCKET;
};

#endif
