// Builds the request around arbitrary address text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/rules/http_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string address(reinterpret_cast<const char*>(data), size);
    const std::string request = BuildProdleRequest(address);
    const std::string host = address.find(':') != std::string::npos ? "[" + address + "]" : address;
    if (request.size() != 122 + host.size() || request.compare(82, host.size(), host) != 0)
        std::abort();
    return 0;
}
