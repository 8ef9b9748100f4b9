// The request that wakes the connection: a plain page fetch from the local address.
#ifndef PRODLE_ENGINE_RULES_HTTP_REQUEST_H
#define PRODLE_ENGINE_RULES_HTTP_REQUEST_H

#include <string>

// The whole request, headers and closing blank line included; `localAddress`
// (the text of this machine's address) goes into the Host header as given, an
// IPv6 address (a text with a colon) in brackets.
std::string BuildProdleRequest(const std::string& localAddress);

#endif
