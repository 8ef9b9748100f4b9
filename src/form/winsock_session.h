// Windows Sockets 2.2 (Windows 95 with its update, and every later Windows), started for as long as
// the object lives. Only a start that succeeded is matched
// by a cleanup: an unmatched one could end the sockets of other code in the process.
#ifndef PRODLE_FORM_WINSOCK_SESSION_H
#define PRODLE_FORM_WINSOCK_SESSION_H

#include <winsock2.h>

class WinsockSession {
public:
    WinsockSession()
    {
        WSADATA data;
        m_started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    ~WinsockSession()
    {
        if (m_started)
            ::WSACleanup();
    }

    bool Started() const { return m_started; }

private:
    bool m_started = false;
};

#endif
