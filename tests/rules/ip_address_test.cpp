// Host texts read as addresses or names, addresses written for people, the order a race tries a host's
// addresses in, and the address that names this machine.
#include <gtest/gtest.h>

#include <vector>

#include "engine/rules/ip_address.h"
#include "engine/rules/local_address.h"
#include "engine/rules/race_order.h"

namespace {

IpAddress Address(const std::string& text)
{
    const auto address = ParseAddressLiteral(text);
    EXPECT_TRUE(address) << text;
    return address.value_or(IpAddress());
}

// What a text reads as: the address written out again, or "name".
std::string Read(const std::string& text)
{
    const auto address = ParseAddressLiteral(text);
    return address ? AddressText(*address) : "name";
}

TEST(AddressLiteral, DottedAsEverAndIpv6InEachFormWithOrWithoutBrackets)
{
    const std::pair<const char*, const char*> cases[] = {
        {"192.0.2.7", "192.0.2.7"},
        {"127.1", "127.0.0.1"},  // the last number fills the bytes left
        {"0x7f.0.0.010", "127.0.0.8"},
        {"3232235777", "192.168.1.1"},
        {"10.0.0.1  ", "10.0.0.1"},
        {"256.0.0.1", "name"},
        {"1.2.3.4.5", "name"},
        {"1.2.3.", "name"},
        {"1.2.65536", "name"},
        {"4294967296", "name"},
        {"08.1.1.1", "name"},
        {"3com.example", "name"},
        {"www.example.com", "name"},
        {"", "name"},
        {"::1", "::1"},
        {"[::1]", "::1"},
        {"[::1]  ", "::1"},
        {"::", "::"},
        {"2001:DB8:0:0:0:0:0:7", "2001:db8::7"},
        {"2001:db8::1:0:0:1", "2001:db8::1:0:0:1"},  // of two equal runs, the first
        {"2001:0:0:1:0:0:0:1", "2001:0:0:1::1"},     // the longer run
        {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1"},
        {"::ffff:192.0.2.7", "::ffff:192.0.2.7"},
        {"64:ff9b::192.0.2.7", "64:ff9b::c000:207"},
        {"1:2:3:4:5:6:7:8", "1:2:3:4:5:6:7:8"},
        {"1:2:3:4:5:6:7", "name"},
        {"1:2:3:4:5:6:7:8:9", "name"},
        {"1:2:3:4::5:6:7:8", "name"},
        {"1::2::3", "name"},
        {":1::2", "name"},
        {"1:2:", "name"},
        {":::", "name"},
        {"12345::", "name"},
        {"fe80::1%4", "name"},
        {"[::1", "name"},
        {"[::1]x", "name"},
        {"[127.0.0.1]", "name"},
        {"::1.2.3", "name"},
        {"::1.2.3.256", "name"},
    };
    for (const auto& [text, read] : cases)
        EXPECT_EQ(Read(text), read) << '"' << text << '"';
}

TEST(RaceOrder, FamiliesTakeTurnsFromTheSystemsFirstChoice)
{
    const IpAddress a6 = Address("2001:db8::a"), b6 = Address("2001:db8::b"), c6 = Address("2001:db8::c");
    const IpAddress a4 = Address("192.0.2.1"), b4 = Address("192.0.2.2");
    EXPECT_EQ(RaceOrder({a6, b6, c6, a4, b4}), (std::vector<IpAddress>{a6, a4, b6, b4, c6}));
    EXPECT_EQ(RaceOrder({a4, b4, a6}), (std::vector<IpAddress>{a4, a6, b4}));
    EXPECT_EQ(RaceOrder({a6, a6, a4, a4}), (std::vector<IpAddress>{a6, a4}));
    EXPECT_EQ(RaceOrder({b4}), std::vector<IpAddress>{b4});
}

TEST(LocalAddress, IPv4WhereThereIsOneElseTheGlobalIPv6)
{
    const auto pick = [](const std::vector<std::pair<const char*, bool>>& candidates) {
        std::vector<LocalAddressCandidate> list;
        for (const auto& [text, usable] : candidates)
            list.push_back({Address(text), usable});
        const auto picked = PickLocalAddress(list);
        return picked ? AddressText(*picked) : "none";
    };
    EXPECT_EQ(pick({{"::1", true}, {"fe80::1", true}, {"2001:db8::5", true}, {"192.0.2.5", true}}),
              "192.0.2.5");
    EXPECT_EQ(pick({{"192.0.2.5", false}, {"2001:db8::5", false}, {"2001:db8::6", true}}), "2001:db8::6");
    EXPECT_EQ(pick({{"127.0.0.1", true}, {"169.254.3.4", true}, {"fd00::1", true}, {"2001:db8::7", true}}),
              "2001:db8::7");
    EXPECT_EQ(pick({{"127.0.0.1", true}, {"169.254.3.4", true}, {"fe80::1", true}}), "169.254.3.4");
    EXPECT_EQ(pick({{"::1", true}, {"127.0.0.1", true}}), "127.0.0.1");
    EXPECT_EQ(pick({{"::1", true}, {"fd00::1", true}, {"192.0.2.5", false}}), "none");
}

}  // namespace
