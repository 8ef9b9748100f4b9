// Feeds arbitrary text to the stored-number reader.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/rules/stored_int.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    int value = 0;
    const bool scanned = ScanStoredInt(text.c_str(), &value);

    // Cross-check small numbers with the C library: where it does not
    // overflow, strtol reads exactly the same prefix.
    char* end = nullptr;
    const long expected = std::strtol(text.c_str(), &end, 10);
    const bool libraryScanned = end != text.c_str();
    if (scanned != libraryScanned)
        std::abort();
    if (scanned && expected > -1000000000L && expected < 1000000000L && value != expected)
        std::abort();
    return 0;
}
