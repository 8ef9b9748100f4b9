// A listening TCP socket on a loopback address that never accepts: connects to it succeed (the system
// completes them from the backlog) and the request waits unanswered, so the engine stays in a waiting
// prodle and its countdown runs on.
#ifndef PRODLE_TESTS_SUPPORT_LISTENER_H
#define PRODLE_TESTS_SUPPORT_LISTENER_H

#include <winsock.h>

class LoopbackListener {
public:
    explicit LoopbackListener(const char* address, unsigned short port = 80);
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;
    ~LoopbackListener();
    bool IsListening() const { return m_socket != INVALID_SOCKET; }

private:
    SOCKET m_socket = INVALID_SOCKET;
};

#endif
