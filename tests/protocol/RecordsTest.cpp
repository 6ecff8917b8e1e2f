// SPDX-License-Identifier: MIT
#include "protocol/Records.h"
#include "protocol/Gbk.h"
#include "protocol/TextConv.h"

#include "TestBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace rv {
namespace {

using test::Decoded;
using test::Encoded;
using test::ToHex;

// Payload offset of a field given at its ParamFrame offset (the payload starts at frame byte 2).
constexpr std::size_t P(std::size_t frameOffset)
{
    return frameOffset - 2;
}

std::string At(const Bytes& b, std::size_t offset, std::size_t n)
{
    return ToHex(ByteView(b).subspan(offset, n));
}

template <std::size_t N>
void PutText(std::array<std::uint8_t, N>& field, std::string_view text)
{
    std::copy(text.begin(), text.end(), field.begin());
}

TEST(Records, EncodedSizes)
{
    EXPECT_EQ(Encoded(NetRecord{}).size(), NetRecord::kSize);
    EXPECT_EQ(Encoded(BaseRecord{}).size(), BaseRecord::kPayloadSize);
    EXPECT_EQ(Encoded(GprsRecord{}).size(), GprsRecord::kPayloadSize);
    EXPECT_EQ(Encoded(ChannelRecord{}).size(), ChannelRecord::kPayloadSize);
    EXPECT_EQ(Encoded(RelayRecord{}).size(), RelayRecord::kPayloadSize);
    EXPECT_EQ(Encoded(ModbusSlotRecord{}).size(), ModbusSlotRecord::kPayloadSize);
    EXPECT_EQ(Encoded(LedRecord{}).size(), LedRecord::kPayloadSize);
}

TEST(BaseRecord, LayoutAndRoundTrip)
{
    BaseRecord r;
    r.serverCount = 8;
    r.terminalAddress = *ParseTerminalAddress("12345678");
    r.loginInterval = ParseLenientU16("-1");
    r.heartbeatInterval = 60;
    r.dataInterval = 5;
    r.baudRate = 1;
    r.channelCount = 32;
    r.normalRecordInterval = 0x0102;
    r.alarmRecordInterval = 0x0304;
    r.storageType = 3;
    r.positionEnabled = 1;
    r.longitude = ParseLenientFloat("113.5");
    r.latitude = -22.25f;
    const Bytes b = Encoded(r);
    EXPECT_EQ(At(b, P(3), 4), "78 56 34 12");
    EXPECT_EQ(At(b, P(7), 2), "FF FF");
    EXPECT_EQ(At(b, P(15), 4), "02 01 04 03");
    EXPECT_EQ(At(b, P(19), 2), "03 01");
    EXPECT_EQ(At(b, P(21), 4), "00 00 E3 42");
    EXPECT_EQ(Decoded<BaseRecord>(b), r);

    // What the page shows after the read.
    const auto back = Decoded<BaseRecord>(b);
    EXPECT_EQ(FormatUnsigned(back.loginInterval), "65535");
    EXPECT_EQ(FormatFloat6(back.longitude), "113.500000");
    EXPECT_EQ(FormatHex8(back.terminalAddress), "12345678");
    const Bytes received = test::Hex("08 FF 00 AB 00");
    EXPECT_EQ(FormatHex8(Decoded<BaseRecord>(received).terminalAddress), "00ab00ff");
}

TEST(GprsRecord, LayoutAndRoundTrip)
{
    GprsRecord r;
    r.loginInterval = 3;
    r.heartbeatInterval = 60;
    r.dataInterval = 20;
    // A 70-character address goes out as its first 64 characters and a NUL.
    const std::string longAddress(70, 'a');
    const Bytes cut = Utf8ToGbk(longAddress, GprsRecord::kAddressSize - 1);
    std::copy(cut.begin(), cut.end(), r.targetAddress.begin());
    PutText(r.targetPort, "2404");
    r.phoneMask = 0x0A; // phones 2 and 4
    PutText(r.phones[1], "13912345678");
    PutText(r.phones[3], "13000000004");
    r.smsInterval = ParseLenientU8("300");
    r.workType = 2;
    const Bytes b = Encoded(r);
    EXPECT_EQ(At(b, P(8), 2), "61 61");
    EXPECT_EQ(b[P(72)], 0);
    EXPECT_EQ(At(b, P(73), 5), "32 34 30 34 00");
    EXPECT_EQ(b[P(81)], 0x0A);
    EXPECT_EQ(std::string(b.begin() + P(93), b.begin() + P(104)), "13912345678");
    EXPECT_EQ(std::string(b.begin() + P(115), b.begin() + P(126)), "13000000004");
    EXPECT_EQ(At(b, P(137), 2), "2C 02");
    EXPECT_EQ(Decoded<GprsRecord>(b), r);
}

TEST(GprsRecord, DecodeTerminatesEveryText)
{
    Bytes wire(GprsRecord::kPayloadSize, '7');
    GprsRecord r;
    r.phones[2][15] = 0x5A; // a spare byte: not on the wire, so it keeps its content
    ByteReader reader(wire);
    r.decode(reader);
    EXPECT_EQ(r.targetAddress[63], '7');
    EXPECT_EQ(r.targetAddress[64], 0);
    EXPECT_EQ(r.targetPort[6], '7');
    EXPECT_EQ(r.targetPort[7], 0);
    for (const auto& phone : r.phones) {
        EXPECT_EQ(phone[10], '7');
        EXPECT_EQ(phone[11], 0);
    }
    EXPECT_EQ(r.phones[2][15], 0x5A);
}

TEST(ChannelRecord, LayoutAndRoundTrip)
{
    ChannelRecord r;
    r.source = -1; // no selection goes out as 0xFF
    r.upper1 = 25.0f;
    r.lower1 = -10.0f;
    r.scaleA1 = 1.0f;
    r.offsetB1 = 0.5f;
    r.hysteresis1 = 0.1f;
    PutText(r.name1, "ABCDEFGHIJKLMNOPQRST"); // 20 bytes: no terminator on the wire
    PutText(r.unit1, "degC");
    r.upper2 = 95.0f;
    r.hysteresis2 = 2.0f;
    PutText(r.name2, "hum");
    PutText(r.unit2, "%RH");
    r.relayUpper1 = 1;
    r.relayLower1 = 2;
    r.relayUpper2 = 7;
    r.relayLower2 = 8;
    r.attribute = 6;
    r.alarmDelay = static_cast<std::uint16_t>(70000 & 0xFFFF);
    r.smsOnAlarm1 = 1;
    r.smsOnReset2 = 1;
    const Bytes b = Encoded(r);
    EXPECT_EQ(b[P(2)], 0xFF);
    EXPECT_EQ(At(b, P(3), 4), "00 00 C8 41");
    EXPECT_EQ(std::string(b.begin() + P(23), b.begin() + P(43)), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(At(b, P(43), 6), "64 65 67 43 00 00");
    EXPECT_EQ(At(b, P(69), 4), "68 75 6D 00");
    EXPECT_EQ(At(b, P(95), 11), "01 02 07 08 06 70 11 01 00 00 01");

    ChannelRecord back = Decoded<ChannelRecord>(b);
    EXPECT_EQ(back.source, 255); // the byte's value, not −1
    EXPECT_EQ(back.name1[20], 0);
    back.source = -1;
    EXPECT_EQ(back, r);
}

TEST(RelayAndSlotRecords, Layouts)
{
    const RelayRecord relay{2, 0x1234, 0xFFFF};
    const Bytes rb = Encoded(relay);
    EXPECT_EQ(ToHex(rb), "02 34 12 FF FF");
    EXPECT_EQ(Decoded<RelayRecord>(rb), relay);

    const ModbusSlotRecord slot{44, 1, 5, 0x0100, 0x00FF};
    const Bytes sb = Encoded(slot);
    EXPECT_EQ(ToHex(sb), "2C 01 05 00 01 FF 00");
    EXPECT_EQ(Decoded<ModbusSlotRecord>(sb), slot);
}

TEST(LedRecord, LayoutAndRoundTrip)
{
    LedRecord r;
    r.showDataTable = 1;
    r.headerEnabled = 1;
    r.footerEnabled = 0;
    r.panelWidth = ParseLenientU16("-1");
    r.panelHeight = 32;
    r.displayChannels = 16;
    r.columnCount = 5;
    r.refreshSeconds = 10;
    // A 70-character header sends its first 64 characters and no zero byte inside the field.
    const Bytes header = Utf8ToGbk(std::string(70, 'H'), LedRecord::kTextSize);
    std::copy(header.begin(), header.end(), r.headerText.begin());
    PutText(r.footerText, "bye");
    const Bytes b = Encoded(r);
    EXPECT_EQ(At(b, P(2), 13), "01 01 00 FF FF 20 00 10 00 05 00 0A 00");
    EXPECT_TRUE(std::all_of(b.begin() + P(15), b.begin() + P(79), [](std::uint8_t c) { return c == 'H'; }));
    EXPECT_EQ(At(b, P(79), 4), "62 79 65 00");
    EXPECT_EQ(Decoded<LedRecord>(b), r);
}

TEST(LedRecord, BytesAfterTheTextTravelAsTheyAre)
{
    // A read brought an eight-letter header; the page then stores two letters and their NUL.
    Bytes wire(LedRecord::kPayloadSize, 0);
    std::memcpy(wire.data() + P(15), "ABCDEFGH", 8);
    wire[P(78)] = 'Z';
    LedRecord r = Decoded<LedRecord>(wire);
    EXPECT_EQ(r.headerText[64], 0);
    std::memcpy(r.headerText.data(), "xy", 3);
    const Bytes b = Encoded(r);
    EXPECT_EQ(std::string(b.begin() + P(15), b.begin() + P(15) + 8), std::string("xy\0DEFGH", 8));
    EXPECT_EQ(b[P(78)], 'Z');
}

TEST(NetRecord, LayoutAndRoundTrip)
{
    NetRecord r;
    r.ipMode = 0x80;
    r.staticIp = ParseDottedQuad("192.168.0.9");
    r.gateway = ParseDottedQuad("192.168.0.1");
    r.subnetMask = ParseDottedQuad("255.255.255.0");
    r.reserved13 = {1, 2, 3, 4, 5, 6};
    r.maxConnections = 8;
    r.server1SourcePort = 2000;
    r.server1ListenPort = 2404;
    PutText(r.server1Address, "192.168.0.166");
    r.server2SourcePort = 1;
    r.server2ListenPort = 2;
    r.server2Address.fill('s'); // a unit may send no NUL; the field still ends at its size
    r.tail.front() = 0xA5;
    r.tail.back() = 0x5A;
    const Bytes b = Encoded(r);
    EXPECT_EQ(At(b, 0, 13), "80 09 00 A8 C0 01 00 A8 C0 00 FF FF FF");
    EXPECT_EQ(At(b, 13, 11), "01 02 03 04 05 06 08 D0 07 64 09");
    EXPECT_EQ(std::string(b.begin() + 24, b.begin() + 37), "192.168.0.166");
    EXPECT_EQ(At(b, 54, 5), "01 00 02 00 73");
    EXPECT_EQ(b[87], 's');
    EXPECT_EQ(b[88], 0xA5);
    EXPECT_EQ(b[291], 0x5A);
    EXPECT_EQ(Decoded<NetRecord>(b), r);
    EXPECT_EQ(FormatDottedQuad(Decoded<NetRecord>(b).staticIp), "192.168.0.9");
}

TEST(NetRecord, ShortReplyReadsMissingBytesAsZero)
{
    NetRecord full;
    full.staticIp = 0xC0A80009;
    full.server1SourcePort = 0x07D0;
    full.server1ListenPort = 0x0964;
    full.tail.back() = 0x5A;
    const Bytes b = Encoded(full);
    // Cut inside the listen port: its low byte came, its high byte did not.
    NetRecord r;
    r.tail.back() = 0x77; // stale content must not survive a reply
    ByteReader reader(ByteView(b).first(23));
    r.decode(reader);
    EXPECT_EQ(r.staticIp, 0xC0A80009u);
    EXPECT_EQ(r.server1SourcePort, 0x07D0);
    EXPECT_EQ(r.server1ListenPort, 0x0064);
    EXPECT_EQ(r.tail.back(), 0);

    // Bytes after the record (the HostFrame's sum) are not taken in.
    Bytes longer = b;
    longer.push_back(0xEE);
    EXPECT_EQ(Decoded<NetRecord>(longer), full);
}

TEST(IpMode, Bit7MeansStaticAndOnlyDhcpWritesZero)
{
    EXPECT_EQ(IpModeFromByte(0x80), 0);
    EXPECT_EQ(IpModeFromByte(0x81), 0);
    EXPECT_EQ(IpModeFromByte(0xFF), 0);
    EXPECT_EQ(IpModeFromByte(0x00), 1);
    EXPECT_EQ(IpModeFromByte(0x7F), 1);
    EXPECT_EQ(IpModeToByte(0), 0x80);
    EXPECT_EQ(IpModeToByte(1), 0x00);
    EXPECT_EQ(IpModeToByte(-1), 0x80);
}

} // namespace
} // namespace rv
