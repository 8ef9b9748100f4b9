// When the engine wants to be woken, one deadline per alarm on the monotonic clock, and what the clock
// has been asked for: Sync tells the clock only what changed.
#ifndef PRODLE_ENGINE_DEADLINES_H
#define PRODLE_ENGINE_DEADLINES_H

#include <array>
#include <cstdint>
#include <optional>

#include "engine/ports.h"

class Deadlines {
public:
    std::optional<uint64_t> At(Alarm alarm) const { return m_at[Index(alarm)]; }
    bool IsDue(Alarm alarm, uint64_t now) const;
    void Set(Alarm alarm, uint64_t atMs) { m_at[Index(alarm)] = atMs; }
    void Clear(Alarm alarm) { m_at[Index(alarm)].reset(); }
    // The clock's wake-up for this alarm has come and gone.
    void Rang(Alarm alarm) { m_asked[Index(alarm)].reset(); }
    void Sync(Clock& clock);

private:
    static size_t Index(Alarm alarm) { return static_cast<size_t>(alarm); }

    std::array<std::optional<uint64_t>, kAlarmCount> m_at;
    std::array<std::optional<uint64_t>, kAlarmCount> m_asked;
};

#endif
