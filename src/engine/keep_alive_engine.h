// The keep-alive engine: the keep-alive cycle (keep_alive_cycle.h) moved by typed events, in standard
// C++ only. Each event goes to the handler that the cycle's table names for it in the current phase, or
// is ignored there; a handler that ends in a phase its row does not allow is reported (the debugger's
// output in the program, a failure in the tests). An event that a port hands back while another is
// handled waits its turn.
#ifndef PRODLE_ENGINE_KEEP_ALIVE_ENGINE_H
#define PRODLE_ENGINE_KEEP_ALIVE_ENGINE_H

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "engine/events.h"
#include "engine/host_list.h"
#include "engine/keep_alive_cycle.h"
#include "engine/keep_alive_options.h"
#include "engine/phase_table.h"
#include "engine/ports.h"

class KeepAliveEngine final : public NetworkAnswers {
public:
    using Settings = KeepAliveCycle::Settings;
    using Parameters = KeepAliveCycle::Parameters;

    // The table is the cycle's own; a test may hand in another.
    KeepAliveEngine(Ports ports, const Settings& settings, Parameters parameters,
                    const KeepAliveCycle::Table& table = KeepAliveCycle::Rows());
    KeepAliveEngine(const KeepAliveEngine&) = delete;
    KeepAliveEngine& operator=(const KeepAliveEngine&) = delete;

    // The user's commands.
    void Start() { Post(events::Start{}); }
    void Shutdown() { Post(events::Shutdown{}); }
    void ConfirmOptions(const KeepAliveOptions& options) { Post(events::OptionsConfirmed{options}); }
    void ConfirmHostList(const std::vector<std::string>& hosts, int selected)
    {
        Post(events::HostListConfirmed{hosts, selected});
    }
    // The user picked an entry of the host list (what the boxes hold is read from them, when it is needed).
    void PickHost(int index) { Post(events::HostPicked{index}); }
    void OnBoxClosed() { Post(events::BoxClosed{}); }
    // Whether anyone can see the countdown: the form, or the tray icon's tip.
    void OnFormShown(bool shown) { shown ? Post(events::FormShown{}) : Post(events::FormHidden{}); }
    void OnTrayTipShown(bool shown) { shown ? Post(events::TipShown{}) : Post(events::TipHidden{}); }

    // The clock's wake-up has come: every deadline that has passed is acted on once, in a fixed order.
    void OnWake();

    // The network's answers.
    void OnLocalAddressFound(Ticket ticket, const std::string& address) override
    {
        Post(events::LocalAddressFound{ticket, address});
    }
    void OnLocalAddressFailed(Ticket ticket) override { Post(events::LocalAddressFailed{ticket}); }
    void OnHostFound(Ticket ticket) override { Post(events::HostFound{ticket}); }
    void OnHostNotFound(Ticket ticket) override { Post(events::HostNotFound{ticket}); }
    void OnConnected(Ticket ticket, const std::string& address) override
    {
        Post(events::Connected{ticket, address});
    }
    void OnConnectFailed(Ticket ticket) override { Post(events::ConnectFailed{ticket}); }
    void OnNoSocket(Ticket ticket) override { Post(events::NoSocket{ticket}); }
    void OnReplyData(Ticket ticket) override { Post(events::ReplyData{ticket}); }
    void OnConnectionClosed(Ticket ticket) override { Post(events::ConnectionClosed{ticket}); }

    // The machine and its network.
    void OnSuspend() { Post(events::Suspend{}); }
    void OnResume() { Post(events::Resume{}); }
    void OnNetworkChanged() { Post(events::NetworkChanged{}); }

    Phase CurrentPhase() const { return m_cycle.phase; }
    const KeepAliveOptions& Options() const { return m_cycle.options; }
    // The dotted local address, once it is known.
    std::string LocalAddress() const { return m_cycle.localAddress.value_or("no address yet"); }
    const HostList& Hosts() const { return m_cycle.hosts; }
    // Where the cycle's later prodles go: the selected entry when the list was loaded or confirmed, then
    // the host of the last successful connection. Edit Names keeps it selected.
    const std::string& CurrentHost() const { return m_cycle.next.later; }
    // Where the next prodle goes: the host the cycle started with until its first prodle has an outcome,
    // then the current host.
    const std::string& NextProdleHost() const { return m_cycle.next.Host(); }
    // The reply time of the last prodle that had one (none before).
    std::optional<int> LastReplyMs() const { return m_cycle.lastReplyMs; }
    // When the engine means to act for this purpose (none: it does not).
    std::optional<uint64_t> Deadline(Alarm alarm) const { return m_cycle.deadlines.At(alarm); }

private:
    void Post(Event event);
    void Handle(const Event& event);
    // An answer to a request given up is no event any more.
    bool IsCurrent(const Event& event) const;

    Clock& m_clock;
    Display& m_display;
    const KeepAliveCycle::Table& m_table;
    KeepAliveCycle m_cycle;
    std::deque<Event> m_events;
    bool m_handling = false;
};

#endif
