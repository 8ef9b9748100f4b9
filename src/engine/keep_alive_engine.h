// The keep-alive engine: the keep-alive cycle (keep_alive_cycle.h) moved by typed events, in standard
// C++ only. Every event is answered as engine/phase_table.h says: an event the table ignores in the
// current phase changes nothing, and an event whose handling would end in a phase the table does not
// allow is undone whole and reported instead. The ports (engine/ports.h) hear of an event's outcome only
// once it is settled, and an event that a port hands back meanwhile waits its turn.
#ifndef PRODLE_ENGINE_KEEP_ALIVE_ENGINE_H
#define PRODLE_ENGINE_KEEP_ALIVE_ENGINE_H

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "engine/deferred_ports.h"
#include "engine/host_list.h"
#include "engine/keep_alive_cycle.h"
#include "engine/keep_alive_options.h"
#include "engine/phase_table.h"
#include "engine/ports.h"

class KeepAliveEngine final : public NetworkAnswers {
public:
    using Settings = KeepAliveCycle::Settings;
    using Parameters = KeepAliveCycle::Parameters;

    KeepAliveEngine(Ports ports, const Settings& settings, Parameters parameters);
    KeepAliveEngine(const KeepAliveEngine&) = delete;
    KeepAliveEngine& operator=(const KeepAliveEngine&) = delete;

    // The user's commands.
    void Start() { Post(Event(Trigger::Start)); }
    void Shutdown() { Post(Event(Trigger::Shutdown)); }
    void ConfirmOptions(const KeepAliveOptions& options);
    void ConfirmHostList(const std::vector<std::string>& hosts, int selected);
    // The user picked an entry of the host list (what the boxes hold is read from them, when it is needed).
    void PickHost(int index);
    void OnBoxClosed() { Post(Event(Trigger::BoxClosed)); }
    // Whether anyone can see the countdown: the form, or the tray icon's tip.
    void OnFormShown(bool shown) { Post(Event(shown ? Trigger::FormShown : Trigger::FormHidden)); }
    void OnTrayTipShown(bool shown) { Post(Event(shown ? Trigger::TipShown : Trigger::TipHidden)); }

    // A wake-up has come: every deadline that has passed is acted on, in the order of the alarms.
    void OnAlarm(Alarm alarm);

    // The network's answers.
    void OnLocalAddressFound(Ticket ticket, const std::string& address) override
    {
        Post(Event(Trigger::LocalAddressFound, ticket, address));
    }
    void OnLocalAddressFailed(Ticket ticket) override { Post(Event(Trigger::LocalAddressFailed, ticket)); }
    void OnHostFound(Ticket ticket) override { Post(Event(Trigger::HostFound, ticket)); }
    void OnHostNotFound(Ticket ticket) override { Post(Event(Trigger::HostNotFound, ticket)); }
    void OnConnected(Ticket ticket, const std::string& address) override
    {
        Post(Event(Trigger::Connected, ticket, address));
    }
    void OnConnectFailed(Ticket ticket) override { Post(Event(Trigger::ConnectFailed, ticket)); }
    void OnNoSocket(Ticket ticket) override { Post(Event(Trigger::NoSocket, ticket)); }
    void OnReplyData(Ticket ticket) override { Post(Event(Trigger::ReplyData, ticket)); }
    void OnConnectionClosed(Ticket ticket) override { Post(Event(Trigger::ConnectionClosed, ticket)); }

    // The machine and its network.
    void OnSuspend() { Post(Event(Trigger::Suspend)); }
    void OnResume() { Post(Event(Trigger::Resume)); }
    void OnNetworkChanged() { Post(Event(Trigger::NetworkChanged)); }

    Phase CurrentPhase() const { return m_cycle.state.phase; }
    const KeepAliveOptions& Options() const { return m_cycle.state.options; }
    const std::string& LocalAddress() const { return m_cycle.state.localAddress; }
    const HostList& Hosts() const { return m_cycle.state.hosts; }
    // Where the cycle's later prodles go: the selected entry when the list was loaded or confirmed, then
    // the host of the last successful connection. Edit Names keeps it selected.
    const std::string& CurrentHost() const { return m_cycle.state.laterHost; }
    // Where the next prodle goes: the host the cycle started with until its first prodle has an outcome,
    // then the current host.
    const std::string& NextProdleHost() const { return m_cycle.NextProdleHost(); }
    // The reply time of the last prodle that had one (none before).
    std::optional<int> LastReplyMs() const { return m_cycle.state.lastReplyMs; }

private:
    using Event = KeepAliveCycle::Event;

    void Post(Event event);
    void Handle(const Event& event);
    bool IsCurrent(const Event& event);

    DeferredPorts m_ports;
    KeepAliveCycle m_cycle;
    std::deque<Event> m_events;
    bool m_handling = false;
};

#endif
