#include "form/winsock_network.h"

#include "form/form_ids.h"

void WinsockNetwork::Attach(HWND window, NetworkAnswers* answers)
{
    m_window = window;
    m_answers = answers;
    m_connection.Attach(window);
}

void WinsockNetwork::LookUpLocalAddress(Ticket ticket)
{
    m_lookupTicket = ticket;
    // No answer would ever come: the lookup has failed (the engine takes it once this call is through).
    if (!m_lookups.StartLocal(m_window, WM_PRODLE_LOCAL_LOOKUP))
        m_answers->OnLocalAddressFailed(ticket);
}

void WinsockNetwork::LookUpHost(Ticket ticket, const std::string& name)
{
    m_lookupTicket = ticket;
    m_lookupName = name;
    // An address needs no lookup (the engine looks up every text that does not start with a digit).
    if (const auto address = ParseAddressLiteral(name)) {
        m_lookups.GiveUp();
        m_answers->OnHostFound(ticket);
        return;
    }
    if (!m_lookups.Start(m_window, WM_PRODLE_HOST_LOOKUP, name))
        m_answers->OnHostNotFound(ticket);
}

void WinsockNetwork::Connect(Ticket ticket, const std::string& host)
{
    m_connectionTicket = ticket;
    switch (m_connection.Begin(host)) {
    case ProdleConnection::Start::UnderWay:
        return;
    case ProdleConnection::Start::NoSocket:
        m_answers->OnNoSocket(ticket);
        return;
    case ProdleConnection::Start::NoHost:
    case ProdleConnection::Start::Failed:
        m_answers->OnConnectFailed(ticket);
        return;
    }
}

void WinsockNetwork::Send(Ticket ticket, const std::string& bytes)
{
    if (ticket == m_connectionTicket)
        m_connection.Send(bytes);
}

void WinsockNetwork::Close(Ticket ticket)
{
    if (ticket == m_connectionTicket)
        m_connection.GiveUp();
    if (ticket == m_lookupTicket)
        m_lookups.GiveUp();
}

void WinsockNetwork::OnLookupAnswer(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PRODLE_CONNECT_LOOKUP) {
        HandOn(m_connection.OnLookupAnswer(wParam, lParam));
        return;
    }
    std::vector<IpAddress> addresses;
    if (!m_lookups.TakeAnswer(wParam, lParam, &addresses))
        return;  // an answer nobody waits for any more
    if (message == WM_PRODLE_HOST_LOOKUP) {
        if (addresses.empty()) {
            m_answers->OnHostNotFound(m_lookupTicket);
            return;
        }
        // Kept: the prodles to this host race over these addresses.
        m_connection.KeepAddresses(m_lookupName, addresses);
        m_answers->OnHostFound(m_lookupTicket);
        return;
    }
    if (addresses.empty())
        m_answers->OnLocalAddressFailed(m_lookupTicket);
    else
        m_answers->OnLocalAddressFound(m_lookupTicket, AddressText(addresses.front()));
}

void WinsockNetwork::OnSocketNews(WPARAM socket, LPARAM news)
{
    HandOn(m_connection.OnSocketNews(socket, news));
}

bool WinsockNetwork::OnTimer(UINT_PTR id)
{
    if (id != TIMER_NEXT_ATTEMPT)
        return false;
    HandOn(m_connection.OnTimer());
    return true;
}

void WinsockNetwork::HandOn(ProdleConnection::Outcome outcome)
{
    using Outcome = ProdleConnection::Outcome;
    switch (outcome) {
    case Outcome::None:
        return;
    case Outcome::Connected:
        m_answers->OnConnected(m_connectionTicket, m_connection.PeerAddress());
        return;
    case Outcome::Failed:
        m_answers->OnConnectFailed(m_connectionTicket);
        return;
    case Outcome::NoSocket:
        m_answers->OnNoSocket(m_connectionTicket);
        return;
    case Outcome::Read:
        m_answers->OnReplyData(m_connectionTicket);
        return;
    case Outcome::ReadAndClosed:
        m_answers->OnReplyData(m_connectionTicket);
        m_answers->OnConnectionClosed(m_connectionTicket);
        return;
    case Outcome::Closed:
        m_answers->OnConnectionClosed(m_connectionTicket);
        return;
    }
}
