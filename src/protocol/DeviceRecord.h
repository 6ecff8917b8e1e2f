// SPDX-License-Identifier: MIT
#pragma once

// The discovery reply (HostFrame command 2) and the four texts of its device-list row.
//   8..11  IPv4 address, little-endian 32-bit with the first dotted octet in the MSB
//   12..17 MAC, first byte first
//   18..19 firmware version, unsigned little-endian
//   22..   the unit's name (GBK) up to the first zero byte

#include "protocol/ByteIo.h"
#include "protocol/HostFrame.h"

#include <cstdint>
#include <string>

namespace rv {

struct DeviceRecord
{
    std::uint32_t ip = 0;
    MacAddress mac{};
    std::uint16_t firmware = 0;
    std::string name; // UTF-8

    std::string ipText() const;       // "%d.%d.%d.%d" of bytes 11, 10, 9, 8
    std::string macText() const;      // 12 upper-case hex digits
    std::string firmwareText() const; // "%d"
};

// Fields missing from a short reply read as zero; the name ends at the first zero byte or at the
// end of the datagram.
DeviceRecord DecodeDiscoveryReply(ByteView datagram);

// The unit's side: a whole discovery reply datagram.
Bytes EncodeDiscoveryReply(const DeviceRecord& device);

} // namespace rv
