// SPDX-License-Identifier: MIT
#pragma once

// The UDP envelope. Request: 0xAA, big-endian count N of the bytes from offset 3 up to the
// checksum, the command, the MAC of the unit meant (absent in discovery), the payload, and the
// 8-bit sum of bytes 3 .. 2+N. Reply: 0x55, a big-endian length (meaningful for commands 10 and
// 11 only: the ParamFrame's length), the command, and its fields from fixed offsets.

#include "protocol/ByteIo.h"
#include "protocol/Records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace rv {

enum class HostCommand : std::uint8_t
{
    HC_DISCOVER = 2,
    HC_READ_NET = 3,
    HC_WRITE_NET = 4,
    HC_NET_DEFAULTS = 6,
    HC_PARAM = 10,
    HC_PARAM_ALT = 11,
    HC_WRITE_MAC = 15,
};

inline constexpr std::uint8_t kRequestMarker = 0xAA;
inline constexpr std::uint8_t kReplyMarker = 0x55;
inline constexpr std::size_t kHostPayloadOffset = 10; // requests with a MAC, and replies 3, 10, 11
inline constexpr std::uint16_t kUnitPort = 1901;
inline constexpr std::size_t kMaxDatagram = 1024;

using MacAddress = std::array<std::uint8_t, 6>;

// Sum of the bytes modulo 256.
std::uint8_t HostChecksum(ByteView bytes);

// A request of any command. mac is ignored for HC_DISCOVER.
Bytes BuildHostRequest(HostCommand command, const MacAddress& mac, ByteView payload = {});

Bytes BuildDiscoverRequest();                                                // AA 00 01 02 02
Bytes BuildReadNetRequest(const MacAddress& mac);                            // 11 bytes
Bytes BuildWriteNetRequest(const MacAddress& mac, const NetRecord& r);       // 303 bytes
Bytes BuildNetDefaultsRequest(const MacAddress& mac);                        // 11 bytes
Bytes BuildWriteMacRequest(const MacAddress& mac, const MacAddress& newMac); // 17 bytes
Bytes BuildParamRequest(const MacAddress& mac, ByteView paramFrame);         // frame length + 11

// A reply as the tool reads it. Nothing outside the datagram is ever referenced.
struct HostReply
{
    std::uint8_t command = 0;
    std::uint16_t length = 0; // bytes 1-2, big-endian
    ByteView datagram;        // the whole datagram
    // Bytes from offset 10 on (empty when the datagram is shorter).
    ByteView payload() const
    {
        return datagram.size() > kHostPayloadOffset ? datagram.subspan(kHostPayloadOffset) : ByteView{};
    }
};

// Nothing for an empty datagram or one whose first byte is not 0x55. A reply shorter than four
// bytes reads its missing header bytes as zero.
std::optional<HostReply> ReadHostReply(ByteView datagram);

// A request as the unit reads it.
struct HostRequest
{
    HostCommand command{};
    MacAddress mac{}; // zero for discovery
    ByteView payload; // bytes 10 .. 2+N
};

// Nothing unless the marker, the count, the length and the checksum agree.
std::optional<HostRequest> ReadHostRequest(ByteView datagram);

// The unit's reply: 0x55, length, command, the unit's MAC in 4..9, payload, sum of 3.. .
// For commands 10 and 11 the length field carries the ParamFrame's own length.
Bytes BuildHostReply(std::uint8_t command, const MacAddress& unitMac, ByteView payload);

} // namespace rv
