// One prodle's TCP connection to port 80 of a host, made without blocking anything: the host's
// addresses (the text itself when it is an address, the addresses its check looked up, or a lookup of
// its own), a race of connects to them (ConnectRace), the request, and the reply read and let go. What
// the news and the answers mean comes back to the caller, which hands it on.
#ifndef PRODLE_FORM_PRODLE_CONNECTION_H
#define PRODLE_FORM_PRODLE_CONNECTION_H

#include <winsock2.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/rules/ip_address.h"
#include "form/connect_race.h"
#include "form/host_lookups.h"

class ProdleConnection {
public:
    // The sockets' news come to `window` as WM_PRODLE_SOCKET, the lookup's answer as
    // WM_PRODLE_CONNECT_LOOKUP, the race's next address as TIMER_NEXT_ATTEMPT.
    void Attach(HWND window);

    // The addresses of a host that its check found: a connection to that host takes them.
    void KeepAddresses(const std::string& host, const std::vector<IpAddress>& addresses);

    enum class Start {
        UnderWay,  // the outcome comes later
        NoHost,    // nothing but spaces to connect to
        NoSocket,  // no socket could be made
        Failed,    // the connect failed at once
    };
    // Starts a connection to `host` (leading spaces skipped), giving up the one before.
    Start Begin(const std::string& host);
    // Closes every socket and gives up the lookup; the sockets' news still queued are dropped: the
    // next socket may get the same number and must not inherit them.
    void GiveUp();

    enum class Outcome {
        None,       // nothing for the caller: news of another socket, a race still running
        Connected,  // the connection is made
        Failed,     // every address refused or closed, or the host not found (it is given up)
        NoSocket,   // no socket could be made for any address the lookup found (it is given up)
        Read,       // reply data were read (or a read was announced)
        ReadAndClosed,
        Closed,  // the server closed without more data; the socket is closed
    };
    Outcome OnSocketNews(WPARAM socket, LPARAM news);
    Outcome OnLookupAnswer(WPARAM wParam, LPARAM lParam);
    Outcome OnTimer();

    // Whole, in one send; whatever the socket does not take is not retried.
    void Send(const std::string& request) const;
    // The connection's socket (while connecting, the newest connect's; INVALID_SOCKET: none).
    SOCKET Socket() const { return m_race.Socket(); }
    // The text of the address connected to.
    std::string PeerAddress() const { return AddressText(m_race.Address()); }

private:
    enum class Step { None, LookingUp, Racing, Connected };

    Outcome Race(const std::vector<IpAddress>& addresses);
    Outcome After(ConnectRace::State state);
    // Reads up to 1024 bytes and lets them go: a reply of any size costs no memory. The bytes read.
    int ReceiveAndDiscard() const;
    Outcome Fail();

    HWND m_window = nullptr;
    Step m_step = Step::None;
    ConnectRace m_race;
    HostLookups m_lookup;
    std::string m_host;
    // The addresses of the last host looked up, and that host.
    std::vector<IpAddress> m_kept;
    std::string m_keptHost;
};

#endif
