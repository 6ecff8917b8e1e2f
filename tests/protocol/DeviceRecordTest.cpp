// SPDX-License-Identifier: MIT
#include "protocol/DeviceRecord.h"

#include "TestBytes.h"

#include <gtest/gtest.h>

namespace rv {
namespace {

using test::Hex;

TEST(DiscoveryReply, RowTexts)
{
    const Bytes reply = Hex("55 00 18 02 00 00 00 00 09 00 A8 C0 1A 2B 3C 4D 5E 6F 2E 01 00 00 52 56 D6 D0 00 77 77");
    const DeviceRecord d = DecodeDiscoveryReply(reply);
    EXPECT_EQ(d.ipText(), "192.168.0.9");
    EXPECT_EQ(d.macText(), "1A2B3C4D5E6F");
    EXPECT_EQ(d.firmwareText(), "302");
    EXPECT_EQ(d.name, "RV中");
    DeviceRecord top;
    top.firmware = 0xFFFF;
    EXPECT_EQ(top.firmwareText(), "65535");
}

TEST(DiscoveryReply, ShortRepliesReadMissingBytesAsZero)
{
    // Cut inside the MAC: the bytes that came are kept, the rest is zero, and there is no name.
    const DeviceRecord d = DecodeDiscoveryReply(Hex("55 00 00 02 00 00 00 00 09 00 A8 C0 1A 2B"));
    EXPECT_EQ(d.ipText(), "192.168.0.9");
    EXPECT_EQ(d.macText(), "1A2B00000000");
    EXPECT_EQ(d.firmware, 0);
    EXPECT_EQ(d.name, "");
    // A name without its zero byte ends with the datagram.
    EXPECT_EQ(DecodeDiscoveryReply(Hex("55 00 00 02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 41 42")).name,
              "AB");
    EXPECT_EQ(DecodeDiscoveryReply(Hex("55")).ipText(), "0.0.0.0");
}

TEST(DiscoveryReply, UnitSideRoundTrip)
{
    const DeviceRecord unit{0xC0A80009, {0x02, 0x3C, 0x7A, 0x00, 0x00, 0x01}, 302, "监控主机-1"};
    const Bytes dgram = EncodeDiscoveryReply(unit);
    EXPECT_EQ(dgram[0], kReplyMarker);
    EXPECT_EQ(dgram[3], 2);
    EXPECT_EQ(static_cast<std::size_t>((dgram[1] << 8) | dgram[2]), dgram.size() - 4);
    EXPECT_EQ(dgram.back(), HostChecksum(ByteView(dgram).subspan(3, dgram.size() - 4)));
    const DeviceRecord back = DecodeDiscoveryReply(dgram);
    EXPECT_EQ(back.ip, unit.ip);
    EXPECT_EQ(back.mac, unit.mac);
    EXPECT_EQ(back.firmware, unit.firmware);
    EXPECT_EQ(back.name, unit.name);
}

} // namespace
} // namespace rv
