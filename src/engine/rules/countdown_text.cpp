#include "engine/rules/countdown_text.h"

#include <cstdio>

std::string FormatCountdown(int secondsLeft)
{
    // Integer division truncates toward zero, so |minutes * 60| <= |secondsLeft|
    // and neither product nor difference can overflow, even for INT_MIN.
    const int minutes = secondsLeft / 60;
    const int seconds = secondsLeft - minutes * 60;

    // Widest output: "-35791394:-59" plus the terminator; 32 leaves room.
    char buffer[32];
    const int length = std::snprintf(buffer, sizeof buffer, "%2d:%2d", minutes, seconds);
    if (length <= 0)
        return std::string();
    std::string text(buffer, static_cast<size_t>(length) < sizeof buffer ? static_cast<size_t>(length)
                                                                         : sizeof buffer - 1);
    // "%2d" pads a single-digit seconds value with a space; show it as "05".
    if (text.size() > 3 && text[3] == ' ')
        text[3] = '0';
    return text;
}
