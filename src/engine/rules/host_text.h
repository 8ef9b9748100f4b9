// How a host text is read: an address when it starts with a digit, a name otherwise.
#ifndef PRODLE_ENGINE_RULES_HOST_TEXT_H
#define PRODLE_ENGINE_RULES_HOST_TEXT_H

#include <string>

// The port every prodle connects to.
constexpr unsigned short kHttpPort = 80;

// A text whose first character is a digit is a dotted address and needs no lookup; a name, an empty
// text and a text that starts with a space are looked up.
bool StartsWithDigit(const std::string& host);

// The host a connection goes to: the text after its leading spaces (only ' ' counts).
std::string WithoutLeadingSpaces(const std::string& host);

#endif
