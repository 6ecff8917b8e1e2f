// SPDX-License-Identifier: MIT
#pragma once

// The whole state of one simulated monitoring host and the factory settings it starts from.
//
// Units are numbered from 1. The number picks the unit's factory MAC (02-3C-7A followed by the
// number in 24 bits), its factory address (200 units per 192.168.k.0/24 subnet, hosts .10 to
// .209) and the small differences between the parameter sets of neighbouring units, so that a
// list of a thousand units shows a thousand distinct rows.

#include "protocol/HostFrame.h"
#include "protocol/Records.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace rv::sim {

// The most units one process simulates: the MAC numbering has 24 bits, the addressing scheme
// 256 subnets of 200 hosts.
inline constexpr std::uint32_t kMaxUnits = 256 * 200;

struct SimUnit
{
    std::uint32_t number = 0; // 1-based; selects the factory settings
    std::string name;         // UTF-8; GBK on the wire
    MacAddress mac{};
    std::uint32_t ip = 0; // the address the unit announces; first dotted octet in the MSB
    std::uint16_t firmware = 0;
    NetRecord net;
    ParamRecords params;

    bool operator==(const SimUnit&) const = default;
};

MacAddress FactoryMac(std::uint32_t number);
std::uint32_t FactoryIp(std::uint32_t number);

// The network settings that command 6 restores.
NetRecord FactoryNetRecord(std::uint32_t number);

// "一号机房监控主机", "二号配电室监控主机", … by default; with a prefix, the prefix followed by the
// number ("测试主机" gives "测试主机1", "测试主机2", …).
std::string FactoryName(std::uint32_t number, std::string_view namePrefix = {});

// A complete unit as it leaves the factory.
SimUnit MakeFactoryUnit(std::uint32_t number, std::string_view namePrefix = {});

// A static address in the network settings becomes the unit's address once it has taken them
// over (the real unit restarts to do so); with DHCP the unit keeps the address it has.
void AdoptNetSettings(SimUnit& unit);

} // namespace rv::sim
