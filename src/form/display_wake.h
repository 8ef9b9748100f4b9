// Whether this user's display coming back on is a wake. A machine with Modern Standby may go to sleep and
// wake again without a word to a desktop program; the one sign it gives is the display going off and, at
// the wake, on again. Elsewhere a display goes off and on by its own time-out (after a lock, too), which
// is no sleep: there, and after an off too short for standby, it is nothing.
// It only keeps time: it arms no timer, so an idle program stays asleep.
#ifndef PRODLE_FORM_DISPLAY_WAKE_H
#define PRODLE_FORM_DISPLAY_WAKE_H

#include <cstdint>
#include <functional>
#include <optional>

class DisplayWake {
public:
    // The least time off in which the machine may have gone into standby.
    static constexpr uint64_t kStandbyMs = 60 * 1000;

    // modernStandby: the machine's answer (PowerNotices::ModernStandby); nowMs: a monotonic clock in
    // milliseconds that goes on through standby.
    DisplayWake(bool modernStandby, std::function<uint64_t()> nowMs);

    // Whether the display's state matters on this machine (ask Windows for it only then).
    bool Watches() const { return m_modernStandby; }

    // The session's display went off (false) or came on (true): true when that is a wake.
    bool OnDisplay(bool on);

private:
    const bool m_modernStandby;
    std::function<uint64_t()> m_nowMs;
    // Since when the display has been off (none while it is on).
    std::optional<uint64_t> m_offSince;
};

#endif
