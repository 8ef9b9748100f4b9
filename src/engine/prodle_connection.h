// One prodle's TCP connection: a stream socket registered for its news as window messages before it
// connects, so that nothing waits on the network; the request it sends and the reply it reads.
#ifndef PRODLE_ENGINE_PRODLE_CONNECTION_H
#define PRODLE_ENGINE_PRODLE_CONNECTION_H

#include <winsock.h>
#include <windows.h>

#include "engine/socket_handle.h"
#include "framework/cstring.h"

class ProdleConnection {
public:
    // News of the socket goes to `window` as `message`, with the socket as wParam.
    void Attach(HWND window, UINT message)
    {
        m_window = window;
        m_message = message;
    }

    // A new socket, registered for its news (any earlier one is closed first); false when none can be
    // made.
    bool Open();
    // Starts connecting; the outcome comes as FD_CONNECT. False when the connect failed at once.
    bool Connect(const sockaddr_in& address);
    // Closes the socket and drops its news still queued: the next socket may get the same number and
    // must not inherit them.
    void Close();

    bool IsOpen() const { return m_socket.IsOpen(); }
    // Whether news with this wParam is about this connection.
    bool Owns(WPARAM socket) const { return IsOpen() && socket == static_cast<WPARAM>(m_socket.Get()); }
    SOCKET Socket() const { return m_socket.Get(); }

    // The whole request in one send; whatever the socket does not take is not retried.
    void Send(const CString& request) const;
    // Reads up to 1024 bytes of the reply and lets them go: a reply of any size costs no memory. The
    // number of bytes read (0 or less: none).
    int ReceiveAndDiscard() const;

private:
    HWND m_window = nullptr;
    UINT m_message = 0;
    SocketHandle m_socket;
};

#endif
