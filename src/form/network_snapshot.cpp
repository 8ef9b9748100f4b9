#include "form/network_snapshot.h"

#include <iphlpapi.h>

#include <algorithm>

#include "form/adapter_addresses.h"

namespace {

// One of iphlpapi's tables, asked for again while it grows between the size and the copy.
template <class Table, class Get>
std::optional<std::vector<BYTE>> ReadTable(Get get)
{
    std::vector<BYTE> buffer(sizeof(Table));
    for (int attempt = 0; attempt < 4; ++attempt) {
        ULONG size = static_cast<ULONG>(buffer.size());
        const DWORD result = get(reinterpret_cast<Table*>(buffer.data()), &size);
        if (result == NO_ERROR)
            return buffer;
        if (result == ERROR_NO_DATA) {  // no entry at all (Windows says so rather than give none)
            std::fill(buffer.begin(), buffer.end(), BYTE{0});
            return buffer;
        }
        if (result != ERROR_INSUFFICIENT_BUFFER)
            return std::nullopt;
        buffer.assign(size, 0);
    }
    return std::nullopt;
}

}  // namespace

std::optional<NetworkSnapshot> NetworkSnapshot::Read()
{
    const auto addressTable = ReadTable<MIB_IPADDRTABLE>(
        [](MIB_IPADDRTABLE* table, ULONG* size) { return ::GetIpAddrTable(table, size, FALSE); });
    const auto routeTable = ReadTable<MIB_IPFORWARDTABLE>(
        [](MIB_IPFORWARDTABLE* table, ULONG* size) { return ::GetIpForwardTable(table, size, FALSE); });
    const auto adapters = ReadAdapterAddresses();
    if (!addressTable || !routeTable || !adapters)
        return std::nullopt;

    NetworkSnapshot snapshot;
    const auto* addresses = reinterpret_cast<const MIB_IPADDRTABLE*>(addressTable->data());
    for (DWORD i = 0; i < addresses->dwNumEntries; ++i) {
        const MIB_IPADDRROW& row = addresses->table[i];
        // An adapter without its medium keeps a row, which is no address to use.
        if (row.dwAddr != 0 && !(row.wType & (MIB_IPADDR_DISCONNECTED | MIB_IPADDR_DELETED)))
            snapshot.addresses.push_back(row.dwAddr);
    }
    std::sort(snapshot.addresses.begin(), snapshot.addresses.end());
    for (const AdapterAddress& adapter : *adapters) {
        if (adapter.candidate.address.family == IpFamily::V6 && !adapter.temporary)
            snapshot.ipv6Addresses.push_back(adapter.candidate.address);
    }
    std::sort(snapshot.ipv6Addresses.begin(), snapshot.ipv6Addresses.end(),
              [](const IpAddress& a, const IpAddress& b) { return a.bytes < b.bytes; });

    // The default route the system takes: of those to 0.0.0.0/0, the one of the lowest metric.
    const auto* routes = reinterpret_cast<const MIB_IPFORWARDTABLE*>(routeTable->data());
    const MIB_IPFORWARDROW* best = nullptr;
    for (DWORD i = 0; i < routes->dwNumEntries; ++i) {
        const MIB_IPFORWARDROW& row = routes->table[i];
        if (row.dwForwardDest == 0 && row.dwForwardMask == 0 &&
            (!best || row.dwForwardMetric1 < best->dwForwardMetric1))
            best = &row;
    }
    if (best) {
        snapshot.routeInterface = best->dwForwardIfIndex;
        snapshot.gateway = best->dwForwardNextHop;
    }
    return snapshot;
}
