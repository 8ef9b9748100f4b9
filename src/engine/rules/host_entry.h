// Reading the host entry that an asynchronous host lookup writes into the
// buffer the program hands it. The entry sits at the start of the buffer and
// its pointers are absolute addresses that lead back into the same buffer.
// Nothing here trusts those pointers: every read is checked against the
// buffer's size, so a damaged or hostile entry gives false, never a stray read.
#ifndef PRODLE_ENGINE_RULES_HOST_ENTRY_H
#define PRODLE_ENGINE_RULES_HOST_ENTRY_H

#include <cstddef>
#include <cstdint>

struct HostEntryView {
    const unsigned char* data;  // the lookup buffer
    size_t size;                // its size in bytes
    uint64_t bufferBase;        // the address of data[0] as the entry's pointers see it
    int pointerSize;            // 4 for a 32-bit build, 8 for a 64-bit build
};

// The address to use for this machine (it becomes the Host header). Takes the
// entry's first address, or the address stored just before the host name when
// the name can be found by reading on from the first address (see the .cpp).
// Copies at most 4 bytes into out and zeroes the rest. False, with out zeroed,
// when the entry has no name or no address, has a negative address length, or
// anything it points at lies outside the buffer or is not terminated in it.
bool PickLocalAddress(const HostEntryView& entry, unsigned char out[4]);

// The entry's first address and its family, for connecting to it. Checks as
// PickLocalAddress does, except that an entry without a name is fine.
bool FirstAddress(const HostEntryView& entry, int* family, unsigned char out[4]);

#endif
