// How a host text is read: an address when it starts with a digit, a name otherwise.
#ifndef PRODLE_ENGINE_RULES_HOST_TEXT_H
#define PRODLE_ENGINE_RULES_HOST_TEXT_H

#include <string>

// The port every prodle connects to.
constexpr unsigned short kHttpPort = 80;

// A text whose first character is a digit is an address and needs no check; a name, an empty text and
// a text that starts with a space are checked by a lookup. (The network reads the text itself: an
// IPv6 address that starts with a colon or a bracket is answered without a lookup, and a text that
// starts with a digit but is no address is looked up when it is connected to.)
bool StartsWithDigit(const std::string& host);

// The host a connection goes to: the text after its leading spaces (only ' ' counts).
std::string WithoutLeadingSpaces(const std::string& host);

#endif
