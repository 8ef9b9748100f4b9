// Lets the input be the lookup buffer, read as a 32-bit and as a 64-bit entry.
// Pointers in the input are taken relative to a fixed pretend buffer address;
// the buffer is copied to an exact-size heap block so that AddressSanitizer
// sees any read past its end.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "engine/rules/host_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1024)
        size = 1024;  // the program's lookup buffer is never larger
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[size]);
    if (size > 0)
        std::memcpy(buffer.get(), data, size);

    const uint64_t base = 0x00340000;
    for (int pointerSize : {4, 8}) {
        const HostEntryView view{buffer.get(), size, base, pointerSize};
        unsigned char out[4];
        PickLocalAddress(view, out);
        int family = 0;
        FirstAddress(view, &family, out);
    }
    return 0;
}
