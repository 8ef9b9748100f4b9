// The engine's network on Windows Sockets, without blocking anything: the lookups of the local address
// and of a host (on a thread of the system's pool, answered by a message to the form), and one prodle's
// connection, raced over the host's addresses of both families. The form hands it the messages of its
// lookups, its sockets and its timer; it turns them into the engine's events, each with the ticket of
// the request it answers.
#ifndef PRODLE_FORM_WINSOCK_NETWORK_H
#define PRODLE_FORM_WINSOCK_NETWORK_H

#include <winsock2.h>
#include <windows.h>

#include "engine/ports.h"
#include "form/host_lookups.h"
#include "form/prodle_connection.h"

class WinsockNetwork : public Network {
public:
    void Attach(HWND window, NetworkAnswers* answers);

    void LookUpLocalAddress(Ticket ticket) override;
    void LookUpHost(Ticket ticket, const std::string& name) override;
    void Connect(Ticket ticket, const std::string& host) override;
    void Send(Ticket ticket, const std::string& bytes) override;
    void Close(Ticket ticket) override;

    // WM_PRODLE_LOCAL_LOOKUP, WM_PRODLE_HOST_LOOKUP and WM_PRODLE_CONNECT_LOOKUP.
    void OnLookupAnswer(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_PRODLE_SOCKET.
    void OnSocketNews(WPARAM socket, LPARAM news);
    // A timer of the window: false when it is not the network's.
    bool OnTimer(UINT_PTR id);
    // The socket of the connection (INVALID_SOCKET: none), for a look from outside.
    SOCKET ConnectionSocket() const { return m_connection.Socket(); }

private:
    void HandOn(ProdleConnection::Outcome outcome);

    HWND m_window = nullptr;
    NetworkAnswers* m_answers = nullptr;
    HostLookups m_lookups;
    Ticket m_lookupTicket = 0;
    std::string m_lookupName;
    ProdleConnection m_connection;
    Ticket m_connectionTicket = 0;
};

#endif
