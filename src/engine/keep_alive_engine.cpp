#include "engine/keep_alive_engine.h"

#include <utility>

namespace {

// The event of each alarm's deadline.
Trigger TriggerOf(Alarm alarm)
{
    switch (alarm) {
    case Alarm::AutoStart:
        return Trigger::AutoStartDue;
    case Alarm::ConnectBound:
        return Trigger::ConnectBound;
    case Alarm::NetworkRetry:
        return Trigger::RetryDue;
    case Alarm::Prodle:
        return Trigger::ProdleDue;
    case Alarm::Countdown:
        break;
    }
    return Trigger::CountdownDue;
}

std::optional<Alarm> AlarmOf(Trigger trigger)
{
    for (int i = 0; i < kAlarmCount; ++i) {
        if (TriggerOf(static_cast<Alarm>(i)) == trigger)
            return static_cast<Alarm>(i);
    }
    return std::nullopt;
}

bool IsNetworkAnswer(Trigger trigger)
{
    switch (trigger) {
    case Trigger::LocalAddressFound:
    case Trigger::LocalAddressFailed:
    case Trigger::HostFound:
    case Trigger::HostNotFound:
    case Trigger::Connected:
    case Trigger::ConnectFailed:
    case Trigger::NoSocket:
    case Trigger::ReplyData:
    case Trigger::ConnectionClosed:
        return true;
    default:
        return false;
    }
}

}  // namespace

KeepAliveEngine::KeepAliveEngine(Ports ports, const Settings& settings, Parameters parameters)
    : m_ports(ports), m_cycle(m_ports, settings, std::move(parameters))
{
    m_handling = true;
    m_cycle.Settle();
    m_ports.Flush();
    m_handling = false;
}

// ---- Events ---------------------------------------------------------------------------------------

void KeepAliveEngine::ConfirmOptions(const KeepAliveOptions& options)
{
    Event event(Trigger::OptionsConfirmed);
    event.options = options;
    Post(std::move(event));
}

void KeepAliveEngine::ConfirmHostList(const std::vector<std::string>& hosts, int selected)
{
    Event event(Trigger::HostListConfirmed);
    event.hosts = hosts;
    event.index = selected;
    Post(std::move(event));
}

void KeepAliveEngine::PickHost(int index)
{
    Event event(Trigger::HostPicked);
    event.index = index;
    Post(std::move(event));
}

void KeepAliveEngine::OnAlarm(Alarm alarm)
{
    m_cycle.state.deadlines.Rang(alarm);
    const uint64_t now = m_ports.NowMs();
    // Acting on one deadline may move or clear the others: they are looked at again after each.
    for (int round = 0; round < 2 * kAlarmCount; ++round) {
        int due = 0;
        while (due < kAlarmCount && !m_cycle.state.deadlines.IsDue(static_cast<Alarm>(due), now))
            ++due;
        if (due == kAlarmCount)
            break;
        Post(Event(TriggerOf(static_cast<Alarm>(due))));
    }
    // A deadline that stays passed would wake the program again at once, for ever.
    for (int i = 0; i < kAlarmCount; ++i) {
        if (m_cycle.state.deadlines.IsDue(static_cast<Alarm>(i), now)) {
            m_ports.RealDisplay().ReportFault(std::string("Prodle's engine: ") +
                                              TriggerName(TriggerOf(static_cast<Alarm>(i))) + " passed in " +
                                              PhaseName(m_cycle.state.phase) + " and was dropped.");
            m_cycle.state.deadlines.Clear(static_cast<Alarm>(i));
        }
    }
    if (m_handling)
        return;
    m_handling = true;
    m_cycle.state.deadlines.Sync(m_ports);
    m_ports.Flush();
    m_handling = false;
}

// ---- Handling one event ---------------------------------------------------------------------------

void KeepAliveEngine::Post(Event event)
{
    m_events.push_back(std::move(event));
    // An event that comes while another is handled (a port's answer given at once) waits its turn.
    if (m_handling)
        return;
    m_handling = true;
    while (!m_events.empty()) {
        const Event next = std::move(m_events.front());
        m_events.pop_front();
        Handle(next);
    }
    m_handling = false;
}

bool KeepAliveEngine::IsCurrent(const Event& event)
{
    if (IsNetworkAnswer(event.trigger))
        return m_cycle.state.ticketOpen && event.ticket == m_cycle.state.ticket;
    if (const std::optional<Alarm> alarm = AlarmOf(event.trigger))
        return m_cycle.state.deadlines.IsDue(*alarm, m_ports.NowMs());
    return true;
}

void KeepAliveEngine::Handle(const Event& event)
{
    // An answer to a request given up, or a deadline that has moved on, is no event any more.
    if (!IsCurrent(event))
        return;
    const Phase from = m_cycle.state.phase;
    const Answer answer = AnswerTo(from, event.trigger);
    if (!answer.handled)
        return;
    m_cycle.ReadBoxes();
    const KeepAliveCycle::State before = m_cycle.state;
    m_cycle.Act(event);
    m_cycle.Settle();
    if (!(answer.to & Phases(m_cycle.state.phase))) {
        const std::string fault = std::string("Prodle's engine: ") + TriggerName(event.trigger) + " in " +
                                  PhaseName(from) + " led to " + PhaseName(m_cycle.state.phase) +
                                  ", which its table does not allow; the event was ignored.";
        m_cycle.state = before;
        m_ports.Drop();
        m_ports.RealDisplay().ReportFault(fault);
        return;
    }
    m_ports.Flush();
}
