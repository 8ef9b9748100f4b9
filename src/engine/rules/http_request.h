// The request that wakes the connection: a plain page fetch from the local address.
#ifndef PRODLE_ENGINE_RULES_HTTP_REQUEST_H
#define PRODLE_ENGINE_RULES_HTTP_REQUEST_H

#include <string>

// The whole request, headers and closing blank line included; `localAddress`
// goes into the Host header as given (dotted text of this machine's address).
std::string BuildProdleRequest(const std::string& localAddress);

#endif
