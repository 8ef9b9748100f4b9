// Reads arbitrary text as a host's address; whatever it takes for an address must write out as a text
// that reads back as the same address, and write out the same again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/rules/ip_address.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto address = ParseAddressLiteral(text);
    if (!address)
        return 0;
    const std::string written = AddressText(*address);
    const auto again = ParseAddressLiteral(written);
    if (!again || *again != *address || AddressText(*again) != written)
        std::abort();
    return 0;
}
