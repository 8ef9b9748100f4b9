#include "engine/keep_alive_engine.h"

#include <utility>

namespace {

// The event of each deadline.
Event EventOf(Alarm alarm)
{
    switch (alarm) {
    case Alarm::AutoStart:
        return events::AutoStartDue{};
    case Alarm::ConnectBound:
        return events::ConnectBound{};
    case Alarm::NetworkRetry:
        return events::RetryDue{};
    case Alarm::Prodle:
        return events::ProdleDue{};
    case Alarm::Countdown:
        break;
    }
    return events::CountdownDue{};
}

// The ticket of a network's answer (none for any other event).
template <class Answer>
auto TicketIn(const Answer& answer, int) -> decltype(std::optional<Ticket>(answer.ticket))
{
    return answer.ticket;
}
template <class Other>
std::optional<Ticket> TicketIn(const Other&, long)
{
    return std::nullopt;
}

}  // namespace

KeepAliveEngine::KeepAliveEngine(Ports ports, const Settings& settings, Parameters parameters,
                                 const KeepAliveCycle::Table& table)
    : m_clock(ports.clock), m_display(ports.display), m_table(table),
      m_cycle(ports, settings, std::move(parameters))
{
    m_cycle.Settle();
}

void KeepAliveEngine::OnWake()
{
    m_cycle.deadlines.Woken();
    const uint64_t now = m_clock.NowMs();
    // Acting on one deadline may move or clear those after it: each is looked at when its turn comes.
    for (int i = 0; i < kAlarmCount; ++i) {
        if (m_cycle.deadlines.TakeIfDue(static_cast<Alarm>(i), now))
            Post(EventOf(static_cast<Alarm>(i)));
    }
    m_cycle.deadlines.Sync(m_clock);
}

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

bool KeepAliveEngine::IsCurrent(const Event& event) const
{
    const std::optional<Ticket> ticket =
        std::visit([](const auto& what) { return TicketIn(what, 0); }, event);
    return !ticket || (m_cycle.request && m_cycle.request->open && *ticket == m_cycle.request->ticket);
}

void KeepAliveEngine::Handle(const Event& event)
{
    if (!IsCurrent(event))
        return;
    const Phase from = m_cycle.phase;
    const KeepAliveCycle::Row* row = KeepAliveCycle::RowFor(m_table, from, TriggerOf(event));
    if (!row || !row->handle)
        return;
    m_cycle.ReadBoxes();
    (m_cycle.*row->handle)(event);
    m_cycle.Settle();
    const PhaseSet allowed = (row->to & ~kStays) | ((row->to & kStays) ? Phases(from) : 0);
    if (!(allowed & Phases(m_cycle.phase)))
        m_display.ReportFault(std::string("Prodle's engine: ") + TriggerName(TriggerOf(event)) + " in " +
                              PhaseName(from) + " led to " + PhaseName(m_cycle.phase) +
                              ", which its table does not allow.");
}
