#include "engine/deadlines.h"

bool Deadlines::TakeIfDue(Alarm alarm, uint64_t now)
{
    std::optional<uint64_t>& at = m_at[Index(alarm)];
    if (!at || *at > now)
        return false;
    at.reset();
    return true;
}

void Deadlines::Sync(Clock& clock)
{
    std::optional<uint64_t> earliest;
    for (const std::optional<uint64_t>& at : m_at) {
        if (at && (!earliest || *at < *earliest))
            earliest = at;
    }
    if (earliest == m_asked)
        return;
    if (earliest)
        clock.WakeAt(*earliest);
    else
        clock.CancelWake();
    m_asked = earliest;
}
