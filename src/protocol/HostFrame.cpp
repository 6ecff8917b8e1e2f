// SPDX-License-Identifier: MIT
#include "protocol/HostFrame.h"

namespace rv {
namespace {

constexpr std::size_t kMacOffset = 4;
// Command and MAC: the bytes a request with a MAC counts in N before its payload.
constexpr std::size_t kAddressedHeader = 7;

std::uint8_t ByteAt(ByteView d, std::size_t i)
{
    return i < d.size() ? d[i] : 0;
}

} // namespace

std::uint8_t HostChecksum(ByteView bytes)
{
    unsigned sum = 0;
    for (std::uint8_t b : bytes) {
        sum += b;
    }
    return static_cast<std::uint8_t>(sum & 0xFFu);
}

Bytes BuildHostRequest(HostCommand command, const MacAddress& mac, ByteView payload)
{
    const bool addressed = command != HostCommand::HC_DISCOVER;
    // N counts the command, the MAC (when present) and the payload: offset 3 up to the sum.
    const std::size_t n = (addressed ? kAddressedHeader : 1) + payload.size();
    Bytes out;
    out.reserve(n + 4);
    ByteWriter w(out);
    w.putU8(kRequestMarker);
    w.putU16be(static_cast<std::uint16_t>(n));
    w.putU8(static_cast<std::uint8_t>(command));
    if (addressed) {
        w.putBytes(mac);
    }
    w.putBytes(payload);
    w.putU8(HostChecksum(ByteView(out).subspan(3)));
    return out;
}

Bytes BuildDiscoverRequest()
{
    return BuildHostRequest(HostCommand::HC_DISCOVER, MacAddress{});
}

Bytes BuildReadNetRequest(const MacAddress& mac)
{
    return BuildHostRequest(HostCommand::HC_READ_NET, mac);
}

Bytes BuildWriteNetRequest(const MacAddress& mac, const NetRecord& r)
{
    Bytes payload;
    payload.reserve(NetRecord::kSize);
    ByteWriter w(payload);
    r.encode(w);
    return BuildHostRequest(HostCommand::HC_WRITE_NET, mac, payload);
}

Bytes BuildNetDefaultsRequest(const MacAddress& mac)
{
    return BuildHostRequest(HostCommand::HC_NET_DEFAULTS, mac);
}

Bytes BuildWriteMacRequest(const MacAddress& mac, const MacAddress& newMac)
{
    return BuildHostRequest(HostCommand::HC_WRITE_MAC, mac, newMac);
}

Bytes BuildParamRequest(const MacAddress& mac, ByteView paramFrame)
{
    return BuildHostRequest(HostCommand::HC_PARAM, mac, paramFrame);
}

std::optional<HostReply> ReadHostReply(ByteView datagram)
{
    if (datagram.empty() || datagram[0] != kReplyMarker) {
        return std::nullopt;
    }
    HostReply reply;
    reply.length = static_cast<std::uint16_t>((ByteAt(datagram, 1) << 8) | ByteAt(datagram, 2));
    reply.command = ByteAt(datagram, 3);
    reply.datagram = datagram;
    return reply;
}

std::optional<HostRequest> ReadHostRequest(ByteView datagram)
{
    if (datagram.size() < 5 || datagram[0] != kRequestMarker) {
        return std::nullopt;
    }
    const std::size_t n = static_cast<std::size_t>((datagram[1] << 8) | datagram[2]);
    if (n == 0 || datagram.size() != n + 4) {
        return std::nullopt;
    }
    if (HostChecksum(datagram.subspan(3, n)) != datagram[3 + n]) {
        return std::nullopt;
    }
    HostRequest req;
    req.command = static_cast<HostCommand>(datagram[3]);
    if (req.command == HostCommand::HC_DISCOVER) {
        req.payload = datagram.subspan(4, n - 1);
        return req;
    }
    if (n < kAddressedHeader) {
        return std::nullopt;
    }
    for (std::size_t k = 0; k < req.mac.size(); ++k) {
        req.mac[k] = datagram[kMacOffset + k];
    }
    req.payload = datagram.subspan(kHostPayloadOffset, n - kAddressedHeader);
    return req;
}

Bytes BuildHostReply(std::uint8_t command, const MacAddress& unitMac, ByteView payload)
{
    const bool carriesParamFrame = command == static_cast<std::uint8_t>(HostCommand::HC_PARAM) ||
                                   command == static_cast<std::uint8_t>(HostCommand::HC_PARAM_ALT);
    // The tool reads bytes 1-2 only for 10 and 11, where they must be the ParamFrame's length;
    // other replies count like requests.
    const std::size_t length = carriesParamFrame ? payload.size() : kAddressedHeader + payload.size();
    Bytes out;
    out.reserve(kHostPayloadOffset + payload.size() + 1);
    ByteWriter w(out);
    w.putU8(kReplyMarker);
    w.putU16be(static_cast<std::uint16_t>(length));
    w.putU8(command);
    w.putBytes(unitMac);
    w.putBytes(payload);
    w.putU8(HostChecksum(ByteView(out).subspan(3)));
    return out;
}

} // namespace rv
