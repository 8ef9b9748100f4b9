#include "engine/rules/host_entry.h"

#include <algorithm>
#include <cstring>

namespace {

// Offsets of the fields this code reads, for each pointer size. A 32-bit
// entry is packed; in a 64-bit one the address list pointer is aligned to 8.
struct Layout {
    size_t name;
    size_t addrType;
    size_t addrLength;
    size_t addrList;
    size_t recordSize;
};

bool LayoutFor(int pointerSize, Layout* layout)
{
    if (pointerSize == 4) {
        *layout = Layout{0, 8, 10, 12, 16};
        return true;
    }
    if (pointerSize == 8) {
        *layout = Layout{0, 16, 18, 24, 32};
        return true;
    }
    return false;
}

bool ReadPointer(const HostEntryView& entry, size_t at, uint64_t* pointer)
{
    const size_t width = static_cast<size_t>(entry.pointerSize);
    if (at > entry.size || entry.size - at < width)
        return false;
    uint64_t value = 0;
    for (size_t i = width; i-- > 0;)
        value = (value << 8) | entry.data[at + i];
    *pointer = value;
    return true;
}

int ReadInt16(const HostEntryView& entry, size_t at)
{
    const unsigned value = entry.data[at] | (static_cast<unsigned>(entry.data[at + 1]) << 8);
    return value >= 0x8000u ? static_cast<int>(value) - 0x10000 : static_cast<int>(value);
}

// Turns an absolute pointer into an offset in the buffer; false when it
// points anywhere else.
bool ToOffset(const HostEntryView& entry, uint64_t pointer, size_t* offset)
{
    if (pointer < entry.bufferBase)
        return false;
    const uint64_t distance = pointer - entry.bufferBase;
    if (distance >= entry.size)
        return false;
    *offset = static_cast<size_t>(distance);
    return true;
}

// The checked contents of an entry.
struct Entry {
    bool hasName = false;
    size_t nameOffset = 0;
    size_t nameLength = 0;  // without the terminating zero, which is inside the buffer
    int family = 0;
    int addrLength = 0;
    size_t firstAddress = 0;  // addrLength bytes from here lie inside the buffer
};

bool ReadEntry(const HostEntryView& entry, Entry* out)
{
    Layout layout;
    if (entry.data == nullptr || !LayoutFor(entry.pointerSize, &layout) || entry.size < layout.recordSize)
        return false;

    uint64_t namePointer = 0;
    uint64_t listPointer = 0;
    if (!ReadPointer(entry, layout.name, &namePointer) || !ReadPointer(entry, layout.addrList, &listPointer))
        return false;
    out->family = ReadInt16(entry, layout.addrType);
    out->addrLength = ReadInt16(entry, layout.addrLength);
    if (out->addrLength < 0)
        return false;

    out->hasName = namePointer != 0;
    if (out->hasName) {
        if (!ToOffset(entry, namePointer, &out->nameOffset))
            return false;
        const unsigned char* name = entry.data + out->nameOffset;
        const unsigned char* end = entry.data + entry.size;
        const unsigned char* zero = std::find(name, end, 0);
        if (zero == end)
            return false;
        out->nameLength = static_cast<size_t>(zero - name);
    }

    size_t listOffset = 0;
    uint64_t firstPointer = 0;
    if (listPointer == 0 || !ToOffset(entry, listPointer, &listOffset) ||
        !ReadPointer(entry, listOffset, &firstPointer))
        return false;
    if (firstPointer == 0 || !ToOffset(entry, firstPointer, &out->firstAddress))
        return false;
    if (entry.size - out->firstAddress < static_cast<size_t>(out->addrLength))
        return false;
    return true;
}

void CopyAddress(const unsigned char* from, int length, unsigned char out[4])
{
    std::memcpy(out, from, static_cast<size_t>(std::min(length, 4)));
}

}  // namespace

bool PickLocalAddress(const HostEntryView& entry, unsigned char out[4])
{
    std::memset(out, 0, 4);
    Entry e;
    if (!ReadEntry(entry, &e) || !e.hasName)
        return false;

    // The lookup lays out the addresses back to back and puts the name text
    // right after them. Reading the first address as a string therefore runs
    // on through the later addresses into the name, as long as no address
    // byte on the way is zero; where the name turns up, the address just
    // before it is the last one in the list, which is the one taken. When a
    // zero byte stops the string early (or the layout is another), the name
    // is not found and the first address is used.
    //
    // The string ends at its zero byte or, failing that, at the buffer's end.
    const unsigned char* first = entry.data + e.firstAddress;
    const unsigned char* bufferEnd = entry.data + entry.size;
    const unsigned char* stringEnd = std::find(first, bufferEnd, 0);
    const unsigned char* name = entry.data + e.nameOffset;

    const unsigned char* found = nullptr;
    if (e.nameLength == 0) {
        found = first;  // an empty name matches at once, as in any substring search
    } else {
        const unsigned char* at = std::search(first, stringEnd, name, name + e.nameLength);
        if (at != stringEnd)
            found = at;
    }

    if (found == nullptr) {
        CopyAddress(first, e.addrLength, out);
        return true;
    }
    const size_t position = static_cast<size_t>(found - entry.data);
    if (position < static_cast<size_t>(e.addrLength))
        return false;
    CopyAddress(found - e.addrLength, e.addrLength, out);
    return true;
}

bool FirstAddress(const HostEntryView& entry, int* family, unsigned char out[4])
{
    std::memset(out, 0, 4);
    Entry e;
    if (!ReadEntry(entry, &e))
        return false;
    *family = e.family;
    CopyAddress(entry.data + e.firstAddress, e.addrLength, out);
    return true;
}
