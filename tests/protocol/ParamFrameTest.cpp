// SPDX-License-Identifier: MIT
#include "protocol/ParamFrame.h"

#include "TestBytes.h"

#include <gtest/gtest.h>

#include <string_view>

namespace rv {
namespace {

using test::Hex;
using test::ToHex;

ByteView AsBytes(std::string_view s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(ParamCrc16, PublishedCheckValues)
{
    EXPECT_EQ(ParamCrc16(AsBytes("123456789")), 0x4B37);
    // A MODBUS read-holding-registers request; its check goes on the wire as C5 CD.
    EXPECT_EQ(ParamCrc16(Hex("01 03 00 00 00 0A")), 0xCDC5);
    EXPECT_EQ(ParamCrc16({}), 0xFFFF);
}

TEST(BuildParamFrame, ReadRequestIsStartCodeAndCheckLowByteFirst)
{
    const Bytes frame = BuildParamFrame(kBaseRead, ParamRecords{});
    const std::uint16_t crc = ParamCrc16(Hex("7E 01"));
    EXPECT_EQ(frame, (Bytes{0x7E, 0x01, static_cast<std::uint8_t>(crc & 0xFF), static_cast<std::uint8_t>(crc >> 8)}));
}

// The request length of each code, from the sub-command table.
std::size_t ExpectedRequestLength(unsigned code)
{
    if (code == 2) {
        return 31;
    }
    if (code == 4) {
        return 141;
    }
    if (code >= 37 && code <= 68) {
        return 108;
    }
    if (code >= 77 && code <= 84) {
        return 9;
    }
    if (code >= 117 && code <= 148) {
        return 11;
    }
    if (code == 149) {
        return 145;
    }
    return 4;
}

TEST(BuildParamFrame, EveryCodeHasItsRequestLength)
{
    ParamRecords records;
    records.led.headerText.fill('H');
    for (unsigned code = 1; code <= 150; ++code) {
        std::uint8_t buf[kMaxParamFrame + 8];
        std::fill(std::begin(buf), std::end(buf), 0xEE);
        const std::uint8_t len = BuildParamFrame(code, records, buf);
        ASSERT_EQ(len, ExpectedRequestLength(code)) << "code " << code;
        EXPECT_EQ(DescribeSubCommand(static_cast<std::uint8_t>(code)).requestLength, len) << "code " << code;
        EXPECT_EQ(buf[0], kParamStart);
        EXPECT_EQ(buf[1], code);
        const auto sent = static_cast<std::uint16_t>(buf[len - 2] | (buf[len - 1] << 8));
        EXPECT_EQ(sent, ParamCrc16(ByteView(buf, len - 2u))) << "code " << code;
        EXPECT_EQ(buf[len], 0xEE) << "wrote past the frame, code " << code;
    }
    // Only the low 8 bits of the code count.
    EXPECT_EQ(BuildParamFrame(256u + kBaseWrite, records).size(), 31u);
}

TEST(BuildParamFrame, CodesOutsideTheTableWriteNothing)
{
    for (unsigned code : {0u, 151u, 255u, 256u}) {
        std::uint8_t buf[kMaxParamFrame];
        std::fill(std::begin(buf), std::end(buf), 0xEE);
        EXPECT_EQ(BuildParamFrame(code, ParamRecords{}, buf), 0) << code;
        EXPECT_EQ(buf[0], 0xEE) << code;
        EXPECT_EQ(DescribeSubCommand(static_cast<std::uint8_t>(code)).kind, ParamKind::None);
    }
}

// A base read reply with a recognisable payload, for the trailer and gate tests.
Bytes BaseReply(std::uint8_t hundreds, std::uint8_t remainder, std::uint8_t four)
{
    Bytes f = BuildParamReply(kBaseRead, Bytes(BaseRecord::kPayloadSize, 0x11), 0);
    const std::size_t L = f.size();
    f[L - 6] = hundreds;
    f[L - 5] = remainder;
    f[L - 4] = four;
    const std::uint16_t crc = ParamCrc16(ByteView(f).first(L - 2));
    f[L - 2] = static_cast<std::uint8_t>(crc & 0xFF);
    f[L - 1] = static_cast<std::uint8_t>(crc >> 8);
    return f;
}

ParseResult Parse(const Bytes& frame, ParamRecords& records)
{
    return ParseParamFrame(frame, static_cast<std::uint16_t>(frame.size()), records);
}

TEST(ParseParamFrame, VersionGate)
{
    struct Case
    {
        std::uint8_t hundreds, remainder, four;
        ParseOutcome expected;
    };
    const Case cases[] = {
        {7, 2, 4, ParseOutcome::VersionRefused},   // 702
        {7, 3, 4, ParseOutcome::Accepted},         // 703
        {10, 99, 4, ParseOutcome::Accepted},       // 1099
        {11, 0, 4, ParseOutcome::VersionRefused},  // 1100
        {7, 3, 3, ParseOutcome::VersionRefused},   // byte L-4 is not 4
        {2, 255, 4, ParseOutcome::VersionRefused}, // 455: bytes are not limited to 0..99
    };
    for (const auto& c : cases) {
        ParamRecords records;
        const ParseResult r = Parse(BaseReply(c.hundreds, c.remainder, c.four), records);
        EXPECT_EQ(r.outcome, c.expected) << int(c.hundreds) << "," << int(c.remainder) << "," << int(c.four);
        if (c.expected == ParseOutcome::Accepted) {
            EXPECT_EQ(r.code(), kBaseRead);
            EXPECT_EQ(records.base.serverCount, 0x11);
        } else {
            EXPECT_EQ(r.code(), 0);
            EXPECT_EQ(records, ParamRecords{});
        }
    }
}

TEST(ParseParamFrame, MarkerFailsTheGateButABadCheckIsSilent)
{
    Bytes f = BaseReply(7, 3, 4);
    const std::size_t L = f.size();
    f[L - 7] = 0x98;
    const std::uint16_t crc = ParamCrc16(ByteView(f).first(L - 2));
    f[L - 2] = static_cast<std::uint8_t>(crc & 0xFF);
    f[L - 1] = static_cast<std::uint8_t>(crc >> 8);
    ParamRecords records;
    EXPECT_EQ(Parse(f, records).outcome, ParseOutcome::VersionRefused);
    f[L - 1] ^= 0x01;
    EXPECT_EQ(Parse(f, records).outcome, ParseOutcome::Dropped);
    EXPECT_EQ(records, ParamRecords{});
}

TEST(ParseParamFrame, DroppedSilently)
{
    const Bytes good = BaseReply(7, 3, 4);
    Bytes badStart = BuildParamReply(kBaseRead, Bytes(BaseRecord::kPayloadSize, 0), 703);
    badStart[0] = 0x7F;
    const std::uint16_t crc = ParamCrc16(ByteView(badStart).first(badStart.size() - 2));
    badStart[badStart.size() - 2] = static_cast<std::uint8_t>(crc & 0xFF);
    badStart[badStart.size() - 1] = static_cast<std::uint8_t>(crc >> 8);

    ParamRecords records;
    EXPECT_EQ(ParseParamFrame(good, 2, records).outcome, ParseOutcome::Dropped);
    EXPECT_EQ(ParseParamFrame(good, 0, records).outcome, ParseOutcome::Dropped);
    EXPECT_EQ(Parse(badStart, records).outcome, ParseOutcome::Dropped);
    // A length beyond the bytes received: the frame is cut off, never read past.
    EXPECT_EQ(ParseParamFrame(ByteView(good).first(good.size() - 1), static_cast<std::uint16_t>(good.size()), records)
                  .outcome,
              ParseOutcome::Dropped);
    // 3 to 6 bytes with a good check and start byte have no whole trailer.
    for (std::size_t payload = 0; payload <= 2; ++payload) {
        Bytes f{kParamStart, 0x01};
        f.resize(2 + payload, 0x99);
        const std::uint16_t c = ParamCrc16(f);
        f.push_back(static_cast<std::uint8_t>(c & 0xFF));
        f.push_back(static_cast<std::uint8_t>(c >> 8));
        EXPECT_EQ(Parse(f, records).outcome, ParseOutcome::Dropped) << f.size() << " bytes";
    }
    Bytes three = Hex("7E 00 00");
    const std::uint16_t c3 = ParamCrc16(ByteView(three).first(1));
    three[1] = static_cast<std::uint8_t>(c3 & 0xFF);
    three[2] = static_cast<std::uint8_t>(c3 >> 8);
    EXPECT_EQ(Parse(three, records).outcome, ParseOutcome::Dropped);
    EXPECT_EQ(records, ParamRecords{});
}

TEST(ParseParamFrame, ReadReplyTooShortForItsRecordIsDropped)
{
    ParamRecords records;
    const Bytes f = BuildParamReply(kBaseRead, Bytes(BaseRecord::kPayloadSize - 1, 0x22), 703);
    EXPECT_EQ(Parse(f, records).outcome, ParseOutcome::Dropped);
    EXPECT_EQ(records, ParamRecords{});
}

TEST(ParseParamFrame, AcceptedCodesThatCopyNothing)
{
    struct Case
    {
        std::uint8_t code;
        Bytes payload;
    };
    const Case cases[] = {
        {kBaseWrite, {}},                                    // acknowledgement of a write
        {kGprsWrite, Bytes(GprsRecord::kPayloadSize, 0x33)}, // an ack's payload is not read
        {kLedWrite, {}},
        {200, Bytes(10, 0x44)}, // outside the table
        {0, {}},                // byte 1 = 0: accepted, but code() is 0
    };
    for (const auto& c : cases) {
        ParamRecords records;
        const ParseResult r = Parse(BuildParamReply(c.code, c.payload, 800), records);
        EXPECT_EQ(r.outcome, ParseOutcome::Accepted) << int(c.code);
        EXPECT_EQ(r.subCommand, c.code);
        EXPECT_EQ(r.code(), c.code);
        EXPECT_EQ(records, ParamRecords{}) << int(c.code);
    }
}

TEST(ParseParamFrame, OnlyTheClaimedLengthCounts)
{
    // The HostFrame's sum follows the ParamFrame in the datagram; the parser must ignore it.
    ParamRecords records;
    Bytes f = BaseReply(7, 3, 4);
    const auto L = static_cast<std::uint16_t>(f.size());
    f.push_back(0xAB);
    EXPECT_EQ(ParseParamFrame(f, L, records).outcome, ParseOutcome::Accepted);
}

// Records with every field set, so that a decode into the wrong record or at a wrong offset shows.
ParamRecords FilledRecords()
{
    ParamRecords r;
    r.base.terminalAddress = 0x12345678;
    r.base.longitude = 113.5f;
    r.base.channelCount = 32;
    r.gprs.smsInterval = 44;
    r.gprs.phoneMask = 0x0A;
    r.gprs.targetAddress[0] = 'x';
    for (std::size_t i = 0; i < kChannelCount; ++i) {
        r.channels[i].source = static_cast<int>(i + 1);
        r.channels[i].upper2 = static_cast<float>(i) + 0.5f;
        r.channels[i].name2[19] = static_cast<std::uint8_t>('A' + i);
        r.modbusSlots[i].registerCount = static_cast<std::uint16_t>(1000 + i);
    }
    for (std::size_t i = 0; i < kRelayCount; ++i) {
        r.relays[i].duration = static_cast<std::uint16_t>(60 + i);
    }
    r.led.refreshSeconds = 9;
    r.led.footerText[63] = 'F';
    return r;
}

TEST(ParamRoundTrip, ReadRepliesLandInTheirRecordOnly)
{
    const ParamRecords unit = FilledRecords();
    for (unsigned code = 1; code <= 150; ++code) {
        const auto sub = static_cast<std::uint8_t>(code);
        const SubCommandInfo info = DescribeSubCommand(sub);
        if (info.isWrite) {
            continue;
        }
        const Bytes payload = EncodeParamPayload(sub, unit);
        ASSERT_EQ(payload.size(), info.payloadSize) << code;
        ParamRecords tool;
        ASSERT_EQ(Parse(BuildParamReply(sub, payload, 703), tool).code(), sub);

        ParamRecords expected;
        switch (info.kind) {
        case ParamKind::BaseRead:
            expected.base = unit.base;
            break;
        case ParamKind::GprsRead:
            expected.gprs = unit.gprs;
            break;
        case ParamKind::ChannelRead:
            expected.channels[info.index] = unit.channels[info.index];
            break;
        case ParamKind::RelayRead:
            expected.relays[info.index] = unit.relays[info.index];
            break;
        case ParamKind::SlotRead:
            expected.modbusSlots[info.index] = unit.modbusSlots[info.index];
            break;
        case ParamKind::LedRead:
            expected.led = unit.led;
            break;
        default:
            FAIL() << code;
        }
        EXPECT_EQ(tool, expected) << "code " << code;
    }
}

TEST(ParamRoundTrip, UnitAppliesWriteRequests)
{
    const ParamRecords tool = FilledRecords();
    ParamRecords unit;
    for (unsigned code = 1; code <= 150; ++code) {
        const Bytes frame = BuildParamFrame(code, tool);
        EXPECT_EQ(ApplyParamRequest(frame, unit), code);
    }
    EXPECT_EQ(unit, tool);

    Bytes bad = BuildParamFrame(kBaseWrite, tool);
    bad[5] ^= 0x01;
    EXPECT_FALSE(ApplyParamRequest(bad, unit)); // check
    Bytes readWithPayload = BuildParamReply(kBaseRead, Bytes(3, 0), 703);
    EXPECT_FALSE(ApplyParamRequest(readWithPayload, unit)); // length of a read is 4
    EXPECT_FALSE(ApplyParamRequest(Hex("7E 01"), unit));
}

} // namespace
} // namespace rv
