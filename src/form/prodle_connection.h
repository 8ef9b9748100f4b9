// One prodle's TCP connection to port 80 of a host, made without blocking anything: the host's address
// (taken from the entry its check looked up, or from a lookup of its own), a socket registered for its
// news before it connects, the request, and the reply read and let go. What the news and the answer mean
// comes back to the caller, which hands it on.
#ifndef PRODLE_FORM_PRODLE_CONNECTION_H
#define PRODLE_FORM_PRODLE_CONNECTION_H

#include <winsock.h>
#include <windows.h>

#include <string>

#include "form/host_lookups.h"
#include "form/socket_handle.h"
#include "framework/cstring.h"

class ProdleConnection {
public:
    // The socket's news come to `window` as WM_PRODLE_SOCKET, the lookup's answer as
    // WM_PRODLE_CONNECT_LOOKUP.
    void Attach(HWND window) { m_window = window; }

    // The entry of a host that a check looked up: a connection to that host takes its first address.
    void KeepEntry(const CString& host, const HostEntryCopy& entry);

    enum class Start {
        UnderWay,  // the outcome comes later
        NoHost,    // nothing but spaces to connect to
        NoSocket,  // no socket could be made
        Failed,    // the connect failed at once
    };
    // Starts a connection to `host` (leading spaces skipped), giving up the one before.
    Start Begin(const CString& host);
    // Closes the socket and gives up the lookup; the socket's news still queued are dropped: the next
    // socket may get the same number and must not inherit them.
    void GiveUp();

    enum class Outcome {
        None,       // nothing for the caller: news of another socket, a lookup answer that started the
                    // connect
        Connected,  // the connection is made
        Failed,     // it was refused or closed, or its host not found (it is given up)
        Read,       // reply data were read (or a read was announced)
        ReadAndClosed,
        Closed,  // the server closed without more data; the socket is closed
    };
    Outcome OnSocketNews(WPARAM socket, LPARAM news);
    Outcome OnLookupAnswer(WPARAM task, LPARAM result);

    // Whole, in one send; whatever the socket does not take is not retried.
    void Send(const CString& request) const;
    SOCKET Socket() const { return m_socket.Get(); }
    // The dotted address of the connection's peer (as connected to, or tried last).
    std::string PeerAddress() const;

private:
    enum class Step { None, LookingUp, Connecting, Connected };

    bool Connect(const sockaddr_in& address);
    // Reads up to 1024 bytes and lets them go: a reply of any size costs no memory. The bytes read.
    int ReceiveAndDiscard() const;
    Outcome Fail();

    HWND m_window = nullptr;
    Step m_step = Step::None;
    SocketHandle m_socket;
    HostLookups m_lookup;
    sockaddr_in m_address = {};
    CString m_host;
    // The entry of the last host looked up, and that host.
    HostEntryCopy m_entry;
    CString m_entryHost;
};

#endif
