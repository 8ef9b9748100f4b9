// Everything that can happen to the keep-alive cycle, each with what it carries: one type per trigger, in
// the order of `Trigger` (engine/phase_table.h), so that an event's trigger is its index in `Event`.
#ifndef PRODLE_ENGINE_EVENTS_H
#define PRODLE_ENGINE_EVENTS_H

#include <string>
#include <variant>
#include <vector>

#include "engine/keep_alive_options.h"
#include "engine/phase_table.h"
#include "engine/ports.h"

namespace events {

struct Start {};
struct AutoStartDue {};
struct Shutdown {};
struct ProdleDue {};
struct ConnectBound {};
struct RetryDue {};
struct CountdownDue {};
struct LocalAddressFound {
    Ticket ticket;
    std::string address;
};
struct LocalAddressFailed {
    Ticket ticket;
};
struct HostFound {
    Ticket ticket;
};
struct HostNotFound {
    Ticket ticket;
};
struct Connected {
    Ticket ticket;
    std::string address;  // the one connected to
};
struct ConnectFailed {
    Ticket ticket;
};
struct NoSocket {
    Ticket ticket;
};
struct ReplyData {
    Ticket ticket;
};
struct ConnectionClosed {
    Ticket ticket;
};
struct Suspend {};
struct Resume {};
struct NetworkChanged {};
struct OptionsConfirmed {
    KeepAliveOptions options;
};
struct HostListConfirmed {
    std::vector<std::string> hosts;
    int selected;
};
struct HostPicked {
    int index;
};
struct BoxClosed {};
struct FormShown {};
struct FormHidden {};
struct TipShown {};
struct TipHidden {};

}  // namespace events

using Event =
    std::variant<events::Start, events::AutoStartDue, events::Shutdown, events::ProdleDue,
                 events::ConnectBound, events::RetryDue, events::CountdownDue, events::LocalAddressFound,
                 events::LocalAddressFailed, events::HostFound, events::HostNotFound, events::Connected,
                 events::ConnectFailed, events::NoSocket, events::ReplyData, events::ConnectionClosed,
                 events::Suspend, events::Resume, events::NetworkChanged, events::OptionsConfirmed,
                 events::HostListConfirmed, events::HostPicked, events::BoxClosed, events::FormShown,
                 events::FormHidden, events::TipShown, events::TipHidden>;
static_assert(std::variant_size_v<Event> == kTriggerCount, "one event type per trigger");

inline Trigger TriggerOf(const Event& event)
{
    return static_cast<Trigger>(event.index());
}

#endif
