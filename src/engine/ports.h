// What the keep-alive engine needs of the world, in six small ports, each with one job. The Windows side
// implements them with a timer, Windows Sockets, the form and the tray, and the registry; the engine's
// tests implement them with fakes. A port must not run a message loop (a box is shown after the call
// returns, and its closing comes back as an event); an event that a port hands back at once is handled
// after the current one.
#ifndef PRODLE_ENGINE_PORTS_H
#define PRODLE_ENGINE_PORTS_H

#include <cstdint>
#include <string>
#include <vector>

#include "engine/keep_alive_options.h"
#include "engine/rules/prodle_record.h"

// Time: a monotonic clock in milliseconds (it goes on while the machine sleeps), the time of day for the
// texts, and one wake-up, for the engine's earliest deadline. A wake-up happens once: when it has come
// (the engine's OnWake), it is gone; a new one replaces the one asked for before.
class Clock {
public:
    virtual uint64_t NowMs() = 0;
    virtual std::string TimeOfDay() = 0;  // "HH:MM:SS"
    virtual int64_t EpochSeconds() = 0;   // the calendar's time: seconds since 1970 (UTC)
    virtual void WakeAt(uint64_t atMs) = 0;
    virtual void CancelWake() = 0;

protected:
    ~Clock() = default;
};

// The network. Every request carries a ticket; its answers come back as the engine's events with that
// ticket (NetworkAnswers), and an answer whose ticket is no longer the engine's current one is dropped.
using Ticket = uint32_t;

class NetworkAnswers {
public:
    virtual void OnLocalAddressFound(Ticket ticket, const std::string& address) = 0;
    virtual void OnLocalAddressFailed(Ticket ticket) = 0;
    virtual void OnHostFound(Ticket ticket) = 0;
    virtual void OnHostNotFound(Ticket ticket) = 0;
    // `address`: the dotted address connected to.
    virtual void OnConnected(Ticket ticket, const std::string& address) = 0;
    virtual void OnConnectFailed(Ticket ticket) = 0;
    virtual void OnNoSocket(Ticket ticket) = 0;
    virtual void OnReplyData(Ticket ticket) = 0;
    virtual void OnConnectionClosed(Ticket ticket) = 0;

protected:
    ~NetworkAnswers() = default;
};

class Network {
public:
    // Looks the computer's own name up: LocalAddressFound (the dotted address) or LocalAddressFailed.
    virtual void LookUpLocalAddress(Ticket ticket) = 0;
    // Looks a host name up: HostFound or HostNotFound. A connection to that host takes its address.
    virtual void LookUpHost(Ticket ticket, const std::string& name) = 0;
    // Connects to port 80 of the host (an address, or a name): Connected, ConnectFailed or NoSocket;
    // afterwards ReplyData for data and ConnectionClosed when the server closes.
    virtual void Connect(Ticket ticket, const std::string& host) = 0;
    virtual void Send(Ticket ticket, const std::string& bytes) = 0;
    // Gives the connection or lookup up; nothing more comes of it.
    virtual void Close(Ticket ticket) = 0;

protected:
    ~Network() = default;
};

enum class TrayPicture { Running, Stopped, InFlight };

// What shows: the form, the tray icon, the wait cursor and the boxes; and what the form's boxes hold.
class Display {
public:
    virtual void ShowStatus(const std::string& text) = 0;
    // The time left ("" blank), and whether its label shows the countdown as running. The texts, the
    // tip and the wait cursor may be told again what they already show.
    virtual void ShowCountdown(const std::string& text) = 0;
    virtual void ShowCounting(bool counting) = 0;
    virtual void EnableStart(bool enable) = 0;
    virtual void ShowTrayPicture(TrayPicture picture) = 0;
    virtual void ShowTrayTip(const std::string& tip) = 0;
    // The prodle's reply has come: the window's caption stops flashing.
    virtual void StopFlashing() = 0;
    virtual void ShowWaiting(bool waiting) = 0;
    virtual void ShowMinutes(const std::string& text) = 0;
    // The host list with its selected entry (-1: none), whose text the host box shows.
    virtual void ShowHosts(const std::vector<std::string>& hosts, int selected) = 0;
    virtual void SelectHost(int index) = 0;
    // A box with one OK button, shown after the call; its closing comes back as BoxClosed.
    virtual void ShowBox(const std::string& text) = 0;
    // A box whose closing the engine does not wait for.
    virtual void ShowNotice(const std::string& text) = 0;
    // For the developer (the debugger's output): the engine met something its table does not allow.
    virtual void ReportFault(const std::string& text) = 0;

    // What the form's boxes hold at this moment, however the text got there: typed, pasted, picked from
    // the list, or set by another program (which sends no notice of it).
    virtual std::string HostBoxText() = 0;
    virtual std::string MinutesBoxText() = 0;

protected:
    ~Display() = default;
};

// What is stored: after each successful connection, and what the user confirms.
class SettingsStore {
public:
    // The minutes text ("Often"), the list and the selected entry; entries stored beyond the list stay.
    virtual void StoreConnection(const std::string& often, const std::vector<std::string>& hosts,
                                 int selected) = 0;
    // The list Edit Names confirmed, and its selection; entries stored beyond it are blanked.
    virtual void StoreHostList(const std::vector<std::string>& hosts, int selected) = 0;
    // The four flags the Options dialog edits ("Debug" is never written).
    virtual void StoreOptions(const KeepAliveOptions& options) = 0;
    virtual void StoreIgnoreFailuresOff() = 0;

protected:
    ~SettingsStore() = default;
};

// A line for the log, for the day something goes wrong: starts and stops, failures and their reasons,
// sleep and wake, changes of network, waits for the network, and the end. The time is the log's.
class Journal {
public:
    virtual void Note(const std::string& line) = 0;

protected:
    ~Journal() = default;
};

// Each prodle once it has ended, for the history of recent prodles.
class History {
public:
    virtual void Record(const ProdleRecord& record) = 0;

protected:
    ~History() = default;
};

#endif
