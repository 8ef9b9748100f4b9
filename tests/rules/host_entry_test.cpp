// Reading the host entry from the lookup buffer, for both pointer sizes.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "engine/rules/host_entry.h"

namespace {

using Bytes = std::vector<unsigned char>;
const uint64_t kBase = 0x00340000;  // where the buffer pretends to live
const uint64_t kNull = ~0ull;

// A 1024-byte lookup buffer holding an entry laid out as the lookup does it:
// address list at 64, 4-byte addresses back to back from 128, then the name.
class HostEntry : public ::testing::TestWithParam<int> {
protected:
    int ps = GetParam();
    size_t listField = ps == 4 ? 12 : 24;
    Bytes buf;

    void Pointer(size_t at, uint64_t offset)
    {
        const uint64_t value = offset == kNull ? 0 : kBase + offset;
        for (int i = 0; i < ps; ++i)
            buf[at + size_t(i)] = static_cast<unsigned char>(value >> (8 * i));
    }
    void Header(unsigned char family, int length)
    {
        const unsigned char fields[4] = {family, 0, static_cast<unsigned char>(length),
                                         static_cast<unsigned char>(length >> 8)};
        std::memcpy(&buf[ps == 4 ? 8 : 16], fields, 4);
    }
    void Build(const std::vector<Bytes>& addresses, const char* name)
    {
        buf.assign(1024, 0);
        Header(2, 4);
        Pointer(listField, 64);
        const size_t nameAt = 128 + 4 * addresses.size();
        for (size_t i = 0; i < addresses.size(); ++i) {
            Pointer(64 + i * size_t(ps), 128 + 4 * i);
            std::memcpy(&buf[128 + 4 * i], addresses[i].data(), 4);
        }
        Pointer(64 + addresses.size() * size_t(ps), kNull);
        Pointer(0, nameAt);
        std::memcpy(&buf[nameAt], name, std::strlen(name) + 1);
    }
    // The address read, or an empty vector when refused; refusing must also zero out.
    Bytes Read(bool pick, int* family = nullptr) const
    {
        const HostEntryView view{buf.data(), buf.size(), kBase, ps};
        unsigned char out[4] = {9, 9, 9, 9};
        int f = 0;
        const bool ok = pick ? PickLocalAddress(view, out) : FirstAddress(view, family ? family : &f, out);
        const Bytes got(out, out + 4);
        return ok ? got : got == Bytes(4, 0) ? Bytes() : Bytes{9};
    }
};

}  // namespace

TEST_P(HostEntry, PicksTheAddressJustBeforeTheName)
{
    Build({{192, 168, 1, 5}}, "desk");
    EXPECT_EQ(Read(true), (Bytes{192, 168, 1, 5}));
    Build({{192, 168, 1, 5}, {10, 1, 2, 3}}, "desk");
    EXPECT_EQ(Read(true), (Bytes{10, 1, 2, 3}));
    EXPECT_EQ(Read(false), (Bytes{192, 168, 1, 5}));
    Build({{10, 0, 0, 1}, {192, 168, 1, 5}}, "desk");  // the zero ends the string early
    EXPECT_EQ(Read(true), (Bytes{10, 0, 0, 1}));
}

TEST_P(HostEntry, EmptyNameMatchesAtTheFirstAddressItself)
{
    Build({{192, 168, 1, 5}}, "");
    std::memcpy(&buf[124], "\1\2\3\4", 4);
    EXPECT_EQ(Read(true), (Bytes{1, 2, 3, 4}));
    Pointer(64, 2);  // the bytes before it would now start ahead of the buffer
    EXPECT_EQ(Read(true), Bytes());
}

TEST_P(HostEntry, FirstAddressGivesFamilyAndAtMostFourBytesNameOptional)
{
    Build({{0x20, 1, 0x0d, 0xb8}, {1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}}, "desk");
    Header(23, 16);
    Pointer(0, kNull);
    int family = 0;
    EXPECT_EQ(Read(false, &family), (Bytes{0x20, 1, 0x0d, 0xb8}));
    EXPECT_EQ(family, 23);
    EXPECT_EQ(Read(true), Bytes());
}

TEST_P(HostEntry, DamagedEntriesAreRefused)
{
    const std::vector<std::function<void()>> damage = {
        [&] { Pointer(0, 1024); },                                   // name past the end
        [&] { Pointer(listField, -8); },                             // list before the start
        [&] { Pointer(listField, 1022); },                           // list entry cut by the end
        [&] { Pointer(64, 1021); },                                  // address cut by the end
        [&] { Pointer(64, kNull); },                                 // empty list
        [&] { Pointer(listField, kNull); },                          // no list
        [&] { Header(2, -1); },                                      // negative length
        [&] { Pointer(0, 1020), std::memset(&buf[1020], 'x', 4); },  // name without its zero
        [&] { buf.resize(size_t(ps) * 3); },                         // shorter than the entry
    };
    for (size_t i = 0; i < damage.size(); ++i) {
        Build({{192, 168, 1, 5}}, "desk");
        damage[i]();
        EXPECT_EQ(Read(true), Bytes()) << i;
        EXPECT_EQ(Read(false), Bytes()) << i;
    }
}

TEST_P(HostEntry, SearchStopsAtTheBufferEnd)
{
    Build({{192, 168, 1, 5}}, "desk");
    Pointer(64, 1016);
    std::memcpy(&buf[1016], "ddddddes", 8);  // no zero up to the end, and half a name
    EXPECT_EQ(Read(true), (Bytes{'d', 'd', 'd', 'd'}));
}

INSTANTIATE_TEST_SUITE_P(PointerSizes, HostEntry, ::testing::Values(4, 8));
