// Texts shown in the About box.
#ifndef PRODLE_UI_RULES_ABOUT_TEXTS_H
#define PRODLE_UI_RULES_ABOUT_TEXTS_H

#include <cstdint>
#include <string>

// How long the program has been running, from two millisecond tick counts
// (the counter wraps after about 49.7 days; the difference is taken modulo
// 2^32, so one wrap between launch and now is handled). Under two minutes it
// counts seconds, from then on whole minutes: "119 seconds", "2 minutes".
std::string FormatTimeSinceLaunch(uint32_t nowTick, uint32_t launchTick);

// The computer's address as the About box shows it, whole: a long IPv6 address on two lines, broken
// after the colon nearest its middle ("2001:db8:1234:5678:\r\n9abc:def0:1234:5678"); any other text as
// it is.
std::string AboutAddressText(const std::string& address);

// Where a link in the About box leads: the text itself (a web address), or a
// mailto: link when the text looks like a mailbox, i.e. contains
// `mailboxPrefix`.
std::string LinkTarget(const std::string& windowText, const std::string& mailboxPrefix);

#endif
