#include "form/prodle_connection.h"

#include "engine/rules/host_text.h"
#include "engine/rules/race_order.h"
#include "form/form_ids.h"

void ProdleConnection::Attach(HWND window)
{
    m_window = window;
    m_race.Attach(window);
}

void ProdleConnection::KeepAddresses(const std::string& host, const std::vector<IpAddress>& addresses)
{
    m_keptHost = WithoutLeadingSpaces(host);
    m_kept = addresses;
}

ProdleConnection::Start ProdleConnection::Begin(const std::string& host)
{
    GiveUp();
    m_host = WithoutLeadingSpaces(host);
    if (m_host.empty())
        return Start::NoHost;
    Outcome outcome = Outcome::None;
    if (const auto literal = ParseAddressLiteral(m_host)) {
        outcome = Race({*literal});
    } else if (!m_kept.empty() && ::lstrcmpiA(m_host.c_str(), m_keptHost.c_str()) == 0) {
        outcome = Race(m_kept);
    } else {
        // No addresses of this host are kept (the list was changed since its check): looked up first.
        m_step = Step::LookingUp;
        if (!m_lookup.Start(m_window, WM_PRODLE_CONNECT_LOOKUP, m_host))
            outcome = Fail();
    }
    switch (outcome) {
    case Outcome::Failed:
        return Start::Failed;
    case Outcome::NoSocket:
        return Start::NoSocket;
    default:
        return Start::UnderWay;
    }
}

ProdleConnection::Outcome ProdleConnection::Race(const std::vector<IpAddress>& addresses)
{
    m_step = Step::Racing;
    return After(m_race.Begin(RaceOrder(addresses)));
}

ProdleConnection::Outcome ProdleConnection::After(ConnectRace::State state)
{
    switch (state) {
    case ConnectRace::State::Racing:
        return Outcome::None;
    case ConnectRace::State::Won:
        m_step = Step::Connected;
        return Outcome::Connected;
    case ConnectRace::State::Lost:
        return Fail();
    case ConnectRace::State::NoSocket:
        GiveUp();
        return Outcome::NoSocket;
    }
    return Outcome::None;
}

void ProdleConnection::GiveUp()
{
    m_step = Step::None;
    m_lookup.GiveUp();
    const bool hadSocket = m_race.Socket() != INVALID_SOCKET;
    m_race.GiveUp();
    if (!hadSocket)
        return;
    MSG stale;
    while (::PeekMessageA(&stale, m_window, WM_PRODLE_SOCKET, WM_PRODLE_SOCKET, PM_REMOVE)) {
    }
}

ProdleConnection::Outcome ProdleConnection::Fail()
{
    GiveUp();
    return Outcome::Failed;
}

ProdleConnection::Outcome ProdleConnection::OnSocketNews(WPARAM socket, LPARAM news)
{
    if (m_step == Step::Racing)
        return After(m_race.OnSocketNews(socket, news));
    if (m_step != Step::Connected || socket != static_cast<WPARAM>(m_race.Socket()))
        return Outcome::None;  // news of an earlier socket
    const WORD event = WSAGETSELECTEVENT(news);
    if (event == FD_READ) {
        ReceiveAndDiscard();
        return Outcome::Read;
    }
    if (event == FD_CLOSE) {
        // The close can overtake the read notification of data that came just before it.
        const bool data = ReceiveAndDiscard() > 0;
        GiveUp();
        return data ? Outcome::ReadAndClosed : Outcome::Closed;
    }
    return Outcome::None;
}

ProdleConnection::Outcome ProdleConnection::OnLookupAnswer(WPARAM wParam, LPARAM lParam)
{
    std::vector<IpAddress> addresses;
    if (!m_lookup.TakeAnswer(wParam, lParam, &addresses) || m_step != Step::LookingUp)
        return Outcome::None;  // an answer nobody waits for any more
    if (addresses.empty())
        return Fail();
    // Later prodles to this host use the addresses as ones from a check.
    KeepAddresses(m_host, addresses);
    return Race(addresses);
}

ProdleConnection::Outcome ProdleConnection::OnTimer()
{
    return m_step == Step::Racing ? After(m_race.OnTimer()) : Outcome::None;
}

void ProdleConnection::Send(const std::string& request) const
{
    ::send(m_race.Socket(), request.data(), static_cast<int>(request.size()), 0);
}

int ProdleConnection::ReceiveAndDiscard() const
{
    // Never more than 1024 bytes into the cleared buffer, so that the data always stay NUL-terminated.
    char buffer[1026] = {};
    return ::recv(m_race.Socket(), buffer, 1024, 0);
}
