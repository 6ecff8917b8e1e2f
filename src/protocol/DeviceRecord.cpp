// SPDX-License-Identifier: MIT
#include "protocol/DeviceRecord.h"

#include "protocol/Gbk.h"
#include "protocol/TextConv.h"

#include <algorithm>

namespace rv {
namespace {

constexpr std::size_t kIpOffset = 8;
constexpr std::size_t kFirmwareOffset = 18;
constexpr std::size_t kNameOffset = 22;

} // namespace

std::string DeviceRecord::ipText() const
{
    return FormatDottedQuad(ip);
}

std::string DeviceRecord::macText() const
{
    return FormatMacPlain(mac);
}

std::string DeviceRecord::firmwareText() const
{
    return FormatInt(firmware);
}

DeviceRecord DecodeDiscoveryReply(ByteView datagram)
{
    // The fields sit at fixed offsets; those a short reply lacks read as zero.
    std::array<std::uint8_t, kNameOffset> head{};
    std::copy_n(datagram.begin(), std::min(datagram.size(), head.size()), head.begin());
    ByteReader r(head, kIpOffset);
    DeviceRecord d;
    d.ip = r.u32le();
    r.bytes(d.mac);
    d.firmware = r.u16le();
    if (datagram.size() > kNameOffset) {
        d.name = GbkFieldToUtf8(datagram.subspan(kNameOffset));
    }
    return d;
}

Bytes EncodeDiscoveryReply(const DeviceRecord& device)
{
    // The name, its zero byte and the sum must fit one datagram.
    const Bytes name = Utf8ToGbk(device.name, kMaxDatagram - kNameOffset - 2);
    // The name ends at its first zero byte on the tool's side, so none may come before the end.
    const auto nameEnd = std::find(name.begin(), name.end(), std::uint8_t{0});
    Bytes out;
    ByteWriter w(out);
    w.putU8(kReplyMarker);
    w.putU16be(0); // set below
    w.putU8(static_cast<std::uint8_t>(HostCommand::HC_DISCOVER));
    w.putZeros(kIpOffset - 4);
    w.putU32le(device.ip);
    w.putBytes(device.mac);
    w.putU16le(device.firmware);
    w.putZeros(kNameOffset - kFirmwareOffset - 2);
    w.putBytes(name.data(), static_cast<std::size_t>(nameEnd - name.begin()));
    w.putU8(0);
    // Like a request: the count of bytes from offset 3 up to the sum.
    const std::size_t n = out.size() - 3;
    out[1] = static_cast<std::uint8_t>((n >> 8) & 0xFF);
    out[2] = static_cast<std::uint8_t>(n & 0xFF);
    w.putU8(HostChecksum(ByteView(out).subspan(3)));
    return out;
}

} // namespace rv
