// The count of seconds towards the next prodle. It counts the ticks it is given, not the clock: a tick
// that comes late delays the prodle by as much.
#ifndef PRODLE_ENGINE_RULES_COUNTDOWN_H
#define PRODLE_ENGINE_RULES_COUNTDOWN_H

class Countdown {
public:
    // A new countdown with this period. Its first tick expires it: the first prodle comes one second
    // after the start, the later ones at every target.
    void Start(int periodSecs);
    // One second has passed; true when that reached the target. The count then starts again from 0,
    // towards the same target until the caller sets another.
    bool Tick();
    void SetTarget(int seconds) { m_target = seconds; }
    // The next tick expires the countdown, as the first one after the start does.
    void ExpireAtNextTick() { m_count = m_target - 1; }
    // The count starts again from 0, towards the same target.
    void Restart() { m_count = 0; }

    int PeriodSecs() const { return m_period; }
    int SecondsLeft() const { return m_target - m_count; }

private:
    int m_period = 0;
    int m_target = 0;
    int m_count = 0;
};

#endif
