// Checking the "prodle every N minutes" value the user types.
#ifndef PRODLE_ENGINE_RULES_MINUTES_TEXT_H
#define PRODLE_ENGINE_RULES_MINUTES_TEXT_H

struct PeriodCheck {
    bool accepted;   // false: the text is refused and the period stays as it was
    int periodSecs;  // the new period, meaningful only when accepted
};

// Reads a leading decimal number into a single-precision float ("1.5 min" ->
// 1.5; white space before it is skipped, anything after it ignored). The whole
// minutes must lie in 1..60, fractions of a minute are kept: "1.5" -> 90 s,
// "60.5" -> 3630 s. In debug mode every text is accepted and the period is a
// quarter minute, so that a test run does not have to wait. A null text counts
// as empty.
PeriodCheck CheckMinutesText(const char* text, bool debug);

#endif
