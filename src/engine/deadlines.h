// When the engine wants to be woken: one deadline per purpose on the monotonic clock, and the one
// wake-up the clock is asked for, at the earliest of them.
#ifndef PRODLE_ENGINE_DEADLINES_H
#define PRODLE_ENGINE_DEADLINES_H

#include <array>
#include <cstdint>
#include <optional>

#include "engine/ports.h"

// Each purpose, in the order that deadlines passed together are acted on.
enum class Alarm { AutoStart, ConnectBound, NetworkRetry, Prodle, Countdown };
constexpr int kAlarmCount = 5;

class Deadlines {
public:
    std::optional<uint64_t> At(Alarm alarm) const { return m_at[Index(alarm)]; }
    void Set(Alarm alarm, uint64_t atMs) { m_at[Index(alarm)] = atMs; }
    void Clear(Alarm alarm) { m_at[Index(alarm)].reset(); }
    // Whether the deadline has come; if so it is cleared, to be acted on once.
    bool TakeIfDue(Alarm alarm, uint64_t now);
    // The clock's wake-up has come and gone.
    void Woken() { m_asked.reset(); }
    // Asks the clock for a wake-up at the earliest deadline, when that is not the one it has.
    void Sync(Clock& clock);

private:
    static size_t Index(Alarm alarm) { return static_cast<size_t>(alarm); }

    std::array<std::optional<uint64_t>, kAlarmCount> m_at;
    std::optional<uint64_t> m_asked;
};

#endif
