#include "engine/deadlines.h"

bool Deadlines::IsDue(Alarm alarm, uint64_t now) const
{
    const std::optional<uint64_t> at = At(alarm);
    return at && *at <= now;
}

void Deadlines::Sync(Clock& clock)
{
    for (int i = 0; i < kAlarmCount; ++i) {
        const Alarm alarm = static_cast<Alarm>(i);
        if (m_at[Index(alarm)] == m_asked[Index(alarm)])
            continue;
        if (m_at[Index(alarm)])
            clock.WakeAt(alarm, *m_at[Index(alarm)]);
        else
            clock.CancelWake(alarm);
        m_asked[Index(alarm)] = m_at[Index(alarm)];
    }
}
