// Reading the host entry from the lookup buffer, for both pointer sizes.
#include "engine/host_entry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const uint64_t kBase = 0x00340000; // where the buffer pretends to live

// Writes a host entry into a 1024-byte buffer the way the lookup would,
// pointers as absolute little-endian addresses of the chosen width.
class EntryBuffer {
public:
    explicit EntryBuffer(int pointerSize) : pointerSize_(pointerSize), bytes_(1024, 0) {}

    void Pointer(size_t at, uint64_t offsetOrNull, bool isNull = false)
    {
        const uint64_t value = isNull ? 0 : kBase + offsetOrNull;
        for (int i = 0; i < pointerSize_; ++i)
            bytes_[at + static_cast<size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
    }
    void Raw(size_t at, uint64_t value) // a pointer value not relative to the buffer
    {
        for (int i = 0; i < pointerSize_; ++i)
            bytes_[at + static_cast<size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
    }
    void Bytes(size_t at, const std::vector<unsigned char>& data) { std::memcpy(&bytes_[at], data.data(), data.size()); }
    void Text(size_t at, const char* text) { std::memcpy(&bytes_[at], text, std::strlen(text) + 1); }

    size_t NameField() const { return 0; }
    size_t ListField() const { return pointerSize_ == 4 ? 12 : 24; }
    void Header(int family, int length)
    {
        const size_t at = pointerSize_ == 4 ? 8 : 16;
        bytes_[at] = static_cast<unsigned char>(family);
        bytes_[at + 1] = static_cast<unsigned char>(family >> 8);
        bytes_[at + 2] = static_cast<unsigned char>(length);
        bytes_[at + 3] = static_cast<unsigned char>(length >> 8);
    }

    // A usual entry: list at 64 holding the given addresses, addresses from
    // 128 on, back to back, then the name.
    void Standard(const std::vector<std::vector<unsigned char>>& addresses, const char* name)
    {
        Header(2, 4);
        Pointer(NameField(), 128 + 4 * addresses.size());
        Pointer(ListField(), 64);
        for (size_t i = 0; i < addresses.size(); ++i) {
            Pointer(64 + i * static_cast<size_t>(pointerSize_), 128 + 4 * i);
            Bytes(128 + 4 * i, addresses[i]);
        }
        Pointer(64 + addresses.size() * static_cast<size_t>(pointerSize_), 0, true);
        Text(128 + 4 * addresses.size(), name);
    }

    HostEntryView View(size_t size = 1024) const { return HostEntryView{bytes_.data(), size, kBase, pointerSize_}; }
    std::vector<unsigned char>& bytes() { return bytes_; }

private:
    int pointerSize_;
    std::vector<unsigned char> bytes_;
};

std::vector<unsigned char> Picked(const HostEntryView& view)
{
    unsigned char out[4] = {9, 9, 9, 9};
    if (!PickLocalAddress(view, out))
        return {};
    return std::vector<unsigned char>(out, out + 4);
}

class HostEntry : public ::testing::TestWithParam<int> {
protected:
    EntryBuffer buffer{GetParam()};
};

} // namespace

TEST_P(HostEntry, SingleAddressIsTaken)
{
    buffer.Standard({{192, 168, 1, 5}}, "desk");
    EXPECT_EQ(Picked(buffer.View()), (std::vector<unsigned char>{192, 168, 1, 5}));
}

TEST_P(HostEntry, AddressJustBeforeTheNameWins)
{
    buffer.Standard({{192, 168, 1, 5}, {10, 1, 2, 3}}, "desk");
    EXPECT_EQ(Picked(buffer.View()), (std::vector<unsigned char>{10, 1, 2, 3}));
    int family = 0;
    unsigned char out[4];
    ASSERT_TRUE(FirstAddress(buffer.View(), &family, out));
    EXPECT_EQ(family, 2);
    EXPECT_EQ(std::vector<unsigned char>(out, out + 4), (std::vector<unsigned char>{192, 168, 1, 5}));
}

TEST_P(HostEntry, ZeroByteStopsTheSearchAtTheFirstAddress)
{
    buffer.Standard({{10, 0, 0, 1}, {192, 168, 1, 5}}, "desk");
    EXPECT_EQ(Picked(buffer.View()), (std::vector<unsigned char>{10, 0, 0, 1}));
}

TEST_P(HostEntry, EmptyNameMatchesAtTheFirstAddress)
{
    buffer.Standard({{192, 168, 1, 5}}, "");
    buffer.Bytes(124, {1, 2, 3, 4});
    EXPECT_EQ(Picked(buffer.View()), (std::vector<unsigned char>{1, 2, 3, 4}));
    buffer.Pointer(64, 2); // now the bytes before it would start ahead of the buffer
    EXPECT_EQ(Picked(buffer.View()), std::vector<unsigned char>{});
}

TEST_P(HostEntry, LongAddressGivesItsFirstFourBytes)
{
    buffer.Standard({{0x20, 0x01, 0x0d, 0xb8, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}, "desk");
    buffer.Header(23, 16);
    int family = 0;
    unsigned char out[4];
    ASSERT_TRUE(FirstAddress(buffer.View(), &family, out));
    EXPECT_EQ(family, 23);
    EXPECT_EQ(std::vector<unsigned char>(out, out + 4), (std::vector<unsigned char>{0x20, 0x01, 0x0d, 0xb8}));
}

TEST_P(HostEntry, NullNameOnlyStopsThePick)
{
    buffer.Standard({{192, 168, 1, 5}}, "desk");
    buffer.Pointer(buffer.NameField(), 0, true);
    EXPECT_EQ(Picked(buffer.View()), std::vector<unsigned char>{});
    int family = 0;
    unsigned char out[4];
    EXPECT_TRUE(FirstAddress(buffer.View(), &family, out));
}

TEST_P(HostEntry, RefusesDamagedEntries)
{
    int family = 0;
    unsigned char out[4] = {9, 9, 9, 9};
    auto refused = [&](const char* what) {
        EXPECT_EQ(Picked(buffer.View()), std::vector<unsigned char>{}) << what;
        EXPECT_FALSE(FirstAddress(buffer.View(), &family, out)) << what;
        EXPECT_EQ(std::vector<unsigned char>(out, out + 4), std::vector<unsigned char>(4, 0)) << what;
        buffer = EntryBuffer(GetParam());
        buffer.Standard({{192, 168, 1, 5}}, "desk");
    };
    buffer.Standard({{192, 168, 1, 5}}, "desk");
    buffer.Pointer(buffer.NameField(), 1024);
    refused("name past the end");
    buffer.Raw(buffer.ListField(), kBase - 8);
    refused("list before the start");
    buffer.Pointer(buffer.ListField(), 1022);
    refused("list entry cut by the end");
    buffer.Pointer(64, 1021);
    refused("address cut by the end");
    buffer.Pointer(64, 0, true);
    refused("empty list");
    buffer.Pointer(buffer.ListField(), 0, true);
    refused("no list");
    buffer.Header(2, -1);
    refused("negative length");
    buffer.Pointer(buffer.NameField(), 1020);
    std::memset(&buffer.bytes()[1020], 'x', 4);
    refused("name without its zero");
    EXPECT_FALSE(FirstAddress(buffer.View(10), &family, out)) << "buffer shorter than the entry";
}

TEST_P(HostEntry, SearchStopsAtTheBufferEnd)
{
    buffer.Standard({{192, 168, 1, 5}}, "desk");
    buffer.Pointer(64, 1016);
    std::memset(&buffer.bytes()[1016], 'd', 5);
    std::memcpy(&buffer.bytes()[1021], "des", 3); // no zero up to the end, and half a name
    EXPECT_EQ(Picked(buffer.View()), (std::vector<unsigned char>{'d', 'd', 'd', 'd'}));
}

INSTANTIATE_TEST_SUITE_P(PointerSizes, HostEntry, ::testing::Values(4, 8),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == 4 ? std::string("Bits32") : std::string("Bits64");
                         });
