// A listening TCP socket on a loopback address (127.x or ::1) that never accepts. By default connects to
// it succeed (the system completes them from the backlog) and the request waits unanswered, so the
// engine stays in a waiting prodle and its countdown runs on. A listener that drops connects instead is
// a peer that never answers the handshake, as a dead link is: it listens with a backlog of none and
// fills that itself, so the system drops every further connection request and a connect to it never
// completes.
#ifndef PRODLE_TESTS_SUPPORT_LISTENER_H
#define PRODLE_TESTS_SUPPORT_LISTENER_H

#include <winsock2.h>

#include <vector>

#include "form/socket_address.h"

enum class Handshake { Completes, NeverAnswered };

class LoopbackListener {
public:
    explicit LoopbackListener(const char* address, Handshake handshake = Handshake::Completes,
                              unsigned short port = 80);
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;
    ~LoopbackListener();
    bool IsListening() const { return m_socket != INVALID_SOCKET; }

private:
    void FillQueue(const SocketAddress& local);

    SOCKET m_socket = INVALID_SOCKET;
    std::vector<SOCKET> m_queueFillers;
};

#endif
