#include "form/connect_race.h"

#include <algorithm>

#include "engine/rules/host_text.h"
#include "engine/rules/race_order.h"
#include "form/form_ids.h"
#include "form/socket_address.h"

ConnectRace::State ConnectRace::Begin(const std::vector<IpAddress>& addresses)
{
    GiveUp();
    m_order = addresses;
    return StartNext();
}

ConnectRace::State ConnectRace::StartNext()
{
    while (m_next < m_order.size()) {
        const IpAddress& address = m_order[m_next++];
        const SocketAddress target = SocketAddress::Of(address, kHttpPort);
        const SOCKET made = ::socket(target.Family(), SOCK_STREAM, IPPROTO_TCP);
        if (made == INVALID_SOCKET)
            continue;  // a family this machine does not speak (Windows XP without IPv6)
        m_madeSocket = true;
        m_attempts.emplace_back();
        Attempt& attempt = m_attempts.back();
        attempt.socket.Reset(made);
        attempt.address = address;
        m_startedTick = ::GetTickCount();
        // Registered before it connects: the socket no longer blocks, and the outcome comes as news.
        const SOCKET s = attempt.socket.Get();
        ::WSAAsyncSelect(s, m_window, WM_PRODLE_SOCKET, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);
        if (::connect(s, target.Get(), target.length) == 0) {
            // Connected at once: the outcome still arrives the usual way.
            ::PostMessageA(m_window, WM_PRODLE_SOCKET, static_cast<WPARAM>(s),
                           WSAMAKESELECTREPLY(FD_CONNECT, 0));
        } else if (::WSAGetLastError() != WSAEWOULDBLOCK) {
            attempt.failed = true;  // failed at once (no route for this family): the next one now
            continue;
        }
        if (m_next < m_order.size())
            ::SetTimer(m_window, TIMER_NEXT_ATTEMPT, kNextAttemptDelayMs, nullptr);
        return State::Racing;
    }
    ::KillTimer(m_window, TIMER_NEXT_ATTEMPT);
    const bool underWay = std::any_of(m_attempts.begin(), m_attempts.end(),
                                      [](const Attempt& attempt) { return !attempt.failed; });
    if (underWay)
        return State::Racing;
    return m_madeSocket ? State::Lost : State::NoSocket;
}

ConnectRace::State ConnectRace::OnSocketNews(WPARAM socket, LPARAM news)
{
    const auto attempt = std::find_if(m_attempts.begin(), m_attempts.end(), [socket](const Attempt& a) {
        return static_cast<WPARAM>(a.socket.Get()) == socket;
    });
    if (m_won || attempt == m_attempts.end() || attempt->failed)
        return m_won ? State::Won : State::Racing;
    const WORD event = WSAGETSELECTEVENT(news);
    // Only the connect's own outcome counts; a close before it is a failure.
    if (event == FD_CONNECT && WSAGETSELECTERROR(news) == 0) {
        m_won = true;
        ::KillTimer(m_window, TIMER_NEXT_ATTEMPT);
        // The others are closed at once; their news, still queued, belong to no socket of the race.
        for (auto other = m_attempts.begin(); other != m_attempts.end();)
            other = other == attempt ? std::next(other) : m_attempts.erase(other);
        return State::Won;
    }
    if (event == FD_CONNECT || event == FD_CLOSE) {
        attempt->failed = true;
        return AfterFailure();
    }
    return State::Racing;
}

ConnectRace::State ConnectRace::AfterFailure()
{
    const bool underWay = std::any_of(m_attempts.begin(), m_attempts.end(),
                                      [](const Attempt& attempt) { return !attempt.failed; });
    // While a connect is still under way, the next address waits for its time.
    return underWay ? State::Racing : StartNext();
}

ConnectRace::State ConnectRace::OnTimer()
{
    if (m_won || m_order.empty() || ::GetTickCount() - m_startedTick < kNextAttemptDelayMs / 2)
        return m_won ? State::Won : State::Racing;
    ::KillTimer(m_window, TIMER_NEXT_ATTEMPT);
    return StartNext();
}

void ConnectRace::GiveUp()
{
    if (m_window)
        ::KillTimer(m_window, TIMER_NEXT_ATTEMPT);
    m_attempts.clear();
    m_order.clear();
    m_next = 0;
    m_madeSocket = false;
    m_won = false;
}

SOCKET ConnectRace::Socket() const
{
    return m_attempts.empty() ? INVALID_SOCKET : m_attempts.back().socket.Get();
}

IpAddress ConnectRace::Address() const
{
    return m_attempts.empty() ? IpAddress() : m_attempts.back().address;
}
