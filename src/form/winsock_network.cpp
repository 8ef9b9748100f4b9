#include "form/winsock_network.h"

#include <cstring>

#include "engine/rules/host_entry.h"
#include "form/form_ids.h"

void WinsockNetwork::Attach(HWND window, NetworkAnswers* answers)
{
    m_window = window;
    m_answers = answers;
    m_connection.Attach(window);
}

void WinsockNetwork::LookUpLocalAddress(Ticket ticket)
{
    char name[100] = {};
    // A failed call normally leaves the name empty, and the empty name is looked up; the last byte is
    // made a terminator whatever a failed call wrote.
    ::gethostname(name, sizeof name);
    name[sizeof name - 1] = '\0';
    StartLookup(WM_PRODLE_LOCAL_LOOKUP, ticket, name);
}

void WinsockNetwork::LookUpHost(Ticket ticket, const std::string& name)
{
    StartLookup(WM_PRODLE_HOST_LOOKUP, ticket, name);
}

void WinsockNetwork::StartLookup(UINT message, Ticket ticket, const std::string& name)
{
    m_lookupTicket = ticket;
    m_lookupName = name;
    if (m_lookups.Start(m_window, message, name.c_str()))
        return;
    // No answer would ever come: the lookup has failed (the engine takes it once this call is through).
    if (message == WM_PRODLE_LOCAL_LOOKUP)
        m_answers->OnLocalAddressFailed(ticket);
    else
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

void WinsockNetwork::OnLookupAnswer(UINT message, WPARAM task, LPARAM result)
{
    if (message == WM_PRODLE_CONNECT_LOOKUP) {
        HandOn(m_connection.OnLookupAnswer(task, result));
        return;
    }
    HostEntryCopy entry;
    if (!m_lookups.TakeAnswer(task, &entry))
        return;  // an answer nobody waits for any more
    const bool answered = WSAGETASYNCERROR(result) == 0;
    if (message == WM_PRODLE_HOST_LOOKUP) {
        if (!answered) {
            m_answers->OnHostNotFound(m_lookupTicket);
            return;
        }
        // Kept: the prodles to this host connect to its first address.
        m_connection.KeepEntry(m_lookupName, entry);
        m_answers->OnHostFound(m_lookupTicket);
        return;
    }
    unsigned char address[4];
    if (answered && PickLocalAddress(entry.View(), address)) {
        in_addr local;
        std::memcpy(&local, address, sizeof address);
        if (const char* text = ::inet_ntoa(local)) {
            m_answers->OnLocalAddressFound(m_lookupTicket, text);
            return;
        }
    }
    m_answers->OnLocalAddressFailed(m_lookupTicket);
}

void WinsockNetwork::OnSocketNews(WPARAM socket, LPARAM news)
{
    HandOn(m_connection.OnSocketNews(socket, news));
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
