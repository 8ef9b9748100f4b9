// The connects of one prodle to a host's addresses, raced as RFC 8305 says: in race order, each next
// address 250 ms after the one before, or at once when every connect so far has failed; the first
// connect to complete wins and every other one is closed at once. A connect's outcome comes as its
// socket's news (WM_PRODLE_SOCKET, registered before it connects), the time for the next address as
// the window's timer TIMER_NEXT_ATTEMPT. A failed connect keeps its socket until the race ends, so that
// no later connect of the race gets its number while its news may still be queued.
#ifndef PRODLE_FORM_CONNECT_RACE_H
#define PRODLE_FORM_CONNECT_RACE_H

#include <winsock2.h>
#include <windows.h>

#include <list>
#include <vector>

#include "engine/rules/ip_address.h"
#include "form/socket_handle.h"

class ConnectRace {
public:
    void Attach(HWND window) { m_window = window; }

    enum class State {
        Racing,    // connects are under way (news of a socket not in the race changes nothing)
        Won,       // one connect completed: the winner's socket is the race's only one
        Lost,      // every address failed
        NoSocket,  // no socket could be made for any address
    };
    // Starts the race over these addresses, in this order (the race before is given up).
    State Begin(const std::vector<IpAddress>& addresses);
    // The news of a socket, while the race runs.
    State OnSocketNews(WPARAM socket, LPARAM news);
    // The window's timer TIMER_NEXT_ATTEMPT.
    State OnTimer();
    // Closes every socket of the race, the winner's too.
    void GiveUp();

    // The winner's socket and address, once the race is won; while it runs, the newest connect's.
    SOCKET Socket() const;
    IpAddress Address() const;

private:
    struct Attempt {
        SocketHandle socket;
        IpAddress address;
        bool failed = false;
    };
    // Starts connects in order until one is under way; the state the race is then in.
    State StartNext();
    State AfterFailure();

    HWND m_window = nullptr;
    std::vector<IpAddress> m_order;
    size_t m_next = 0;
    std::list<Attempt> m_attempts;
    bool m_madeSocket = false;
    bool m_won = false;
    // When the last connect started: a timer message that outlived its race comes early, and is none.
    DWORD m_startedTick = 0;
};

#endif
