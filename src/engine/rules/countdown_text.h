// Text of the time left until the next prodle, as shown in the tray tip.
#ifndef PRODLE_ENGINE_RULES_COUNTDOWN_TEXT_H
#define PRODLE_ENGINE_RULES_COUNTDOWN_TEXT_H

#include <string>

// "mm:ss" with the minutes right-aligned in two places and the seconds padded
// with a zero: 1500 -> "25:00", 247 -> " 4:07". Any int is accepted; values
// that do not fit the usual range come out as the "%2d:%2d" layout gives them.
std::string FormatCountdown(int secondsLeft);

#endif
