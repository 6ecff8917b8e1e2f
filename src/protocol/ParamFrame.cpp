// SPDX-License-Identifier: MIT
#include "protocol/ParamFrame.h"

#include <algorithm>

namespace rv {
namespace {

// The two byte tables of CRC-16/MODBUS: entry i holds the low (kCrcLow) and the high (kCrcHigh)
// byte of the bitwise CRC step of the index value i (reflected polynomial 0xA001).
constexpr std::array<std::uint16_t, 256> MakeCrcSteps()
{
    std::array<std::uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0xA001u : crc >> 1;
        }
        t[i] = static_cast<std::uint16_t>(crc);
    }
    return t;
}

constexpr std::array<std::uint8_t, 256> MakeCrcTable(bool high)
{
    constexpr auto steps = MakeCrcSteps();
    std::array<std::uint8_t, 256> t{};
    for (std::size_t i = 0; i < 256; ++i) {
        t[i] = static_cast<std::uint8_t>(high ? steps[i] >> 8 : steps[i] & 0xFFu);
    }
    return t;
}

constexpr auto kCrcLow = MakeCrcTable(false);
constexpr auto kCrcHigh = MakeCrcTable(true);

// Calls fn with the record that a sub-command names (nothing for codes that name none).
template <typename Records, typename Fn>
void WithRecord(const SubCommandInfo& info, Records& records, Fn&& fn)
{
    switch (info.kind) {
    case ParamKind::BaseRead:
    case ParamKind::BaseWrite:
        fn(records.base);
        break;
    case ParamKind::GprsRead:
    case ParamKind::GprsWrite:
        fn(records.gprs);
        break;
    case ParamKind::ChannelRead:
    case ParamKind::ChannelWrite:
        fn(records.channels[info.index]);
        break;
    case ParamKind::RelayRead:
    case ParamKind::RelayWrite:
        fn(records.relays[info.index]);
        break;
    case ParamKind::SlotRead:
    case ParamKind::SlotWrite:
        fn(records.modbusSlots[info.index]);
        break;
    case ParamKind::LedRead:
    case ParamKind::LedWrite:
        fn(records.led);
        break;
    case ParamKind::None:
        break;
    }
}

void EncodeRecord(const SubCommandInfo& info, const ParamRecords& records, ByteWriter& w)
{
    WithRecord(info, records, [&w](const auto& record) { record.encode(w); });
}

void DecodeRecord(const SubCommandInfo& info, ParamRecords& records, ByteReader& r)
{
    WithRecord(info, records, [&r](auto& record) { record.decode(r); });
}

SubCommandInfo Describe(ParamKind kind, std::size_t index, std::size_t payloadSize, bool isWrite)
{
    // A read request is the start byte, the code and the check; a write adds the payload.
    return SubCommandInfo{kind, index, payloadSize, isWrite, 4 + (isWrite ? payloadSize : 0)};
}

std::size_t Offset(std::uint8_t code, std::uint8_t base)
{
    return static_cast<std::size_t>(code - base);
}

} // namespace

std::uint16_t ParamCrc16(ByteView data)
{
    std::uint8_t low = 0xFF;
    std::uint8_t high = 0xFF;
    for (std::uint8_t b : data) {
        const std::uint8_t index = b ^ low;
        low = kCrcLow[index] ^ high;
        high = kCrcHigh[index];
    }
    return static_cast<std::uint16_t>((high << 8) | low);
}

SubCommandInfo DescribeSubCommand(std::uint8_t code)
{
    if (code == kBaseRead) {
        return Describe(ParamKind::BaseRead, 0, BaseRecord::kPayloadSize, false);
    }
    if (code == kBaseWrite) {
        return Describe(ParamKind::BaseWrite, 0, BaseRecord::kPayloadSize, true);
    }
    if (code == kGprsRead) {
        return Describe(ParamKind::GprsRead, 0, GprsRecord::kPayloadSize, false);
    }
    if (code == kGprsWrite) {
        return Describe(ParamKind::GprsWrite, 0, GprsRecord::kPayloadSize, true);
    }
    if (code >= kChannelReadBase && code < kChannelReadBase + kChannelCount) {
        return Describe(ParamKind::ChannelRead, Offset(code, kChannelReadBase), ChannelRecord::kPayloadSize, false);
    }
    if (code >= kChannelWriteBase && code < kChannelWriteBase + kChannelCount) {
        return Describe(ParamKind::ChannelWrite, Offset(code, kChannelWriteBase), ChannelRecord::kPayloadSize, true);
    }
    if (code >= kRelayReadBase && code < kRelayReadBase + kRelayCount) {
        return Describe(ParamKind::RelayRead, Offset(code, kRelayReadBase), RelayRecord::kPayloadSize, false);
    }
    if (code >= kRelayWriteBase && code < kRelayWriteBase + kRelayCount) {
        return Describe(ParamKind::RelayWrite, Offset(code, kRelayWriteBase), RelayRecord::kPayloadSize, true);
    }
    if (code >= kSlotReadBase && code < kSlotReadBase + kModbusSlotCount) {
        return Describe(ParamKind::SlotRead, Offset(code, kSlotReadBase), ModbusSlotRecord::kPayloadSize, false);
    }
    if (code >= kSlotWriteBase && code < kSlotWriteBase + kModbusSlotCount) {
        return Describe(ParamKind::SlotWrite, Offset(code, kSlotWriteBase), ModbusSlotRecord::kPayloadSize, true);
    }
    if (code == kLedWrite) {
        return Describe(ParamKind::LedWrite, 0, LedRecord::kPayloadSize, true);
    }
    if (code == kLedRead) {
        return Describe(ParamKind::LedRead, 0, LedRecord::kPayloadSize, false);
    }
    return SubCommandInfo{};
}

std::uint8_t BuildParamFrame(unsigned code, const ParamRecords& records, std::uint8_t* out)
{
    const Bytes frame = BuildParamFrame(code, records);
    std::copy(frame.begin(), frame.end(), out);
    return static_cast<std::uint8_t>(frame.size());
}

Bytes BuildParamFrame(unsigned code, const ParamRecords& records)
{
    const auto sub = static_cast<std::uint8_t>(code & 0xFFu);
    const SubCommandInfo info = DescribeSubCommand(sub);
    Bytes frame;
    if (info.kind == ParamKind::None) {
        return frame;
    }
    frame.reserve(info.requestLength);
    ByteWriter w(frame);
    w.putU8(kParamStart);
    w.putU8(sub);
    if (info.isWrite) {
        EncodeRecord(info, records, w);
    }
    // The check covers the start byte on; it travels low byte first.
    w.putU16le(ParamCrc16(frame));
    return frame;
}

ParseResult ParseParamFrame(ByteView frame, std::uint16_t length, ParamRecords& records)
{
    constexpr ParseResult dropped{ParseOutcome::Dropped, 0};
    const std::size_t L = length;
    if (L <= 2) {
        return dropped;
    }
    // Never look past what was received, whatever the HostFrame claims.
    if (L > frame.size()) {
        return dropped;
    }
    frame = frame.first(L);
    const auto sent = static_cast<std::uint16_t>(frame[L - 2] | (frame[L - 1] << 8));
    if (ParamCrc16(frame.first(L - 2)) != sent) {
        return dropped;
    }
    if (frame[0] != kParamStart) {
        return dropped;
    }
    // Without a whole trailer the trailer positions would lie before the frame: drop it.
    if (L < kTrailerSize) {
        return dropped;
    }
    if (frame[L - 7] != kTrailerMarker) {
        return ParseResult{ParseOutcome::VersionRefused, 0};
    }
    const auto version = static_cast<std::uint16_t>(100 * frame[L - 6] + frame[L - 5]);
    if (version < kMinUnitVersion || version > kMaxUnitVersion || frame[L - 4] != kTrailerFour) {
        return ParseResult{ParseOutcome::VersionRefused, 0};
    }

    const std::uint8_t sub = frame[1];
    const SubCommandInfo info = DescribeSubCommand(sub);
    if (info.kind != ParamKind::None && !info.isWrite) {
        // A read reply must hold its whole record in front of the trailer.
        if (L < 2 + info.payloadSize + kTrailerSize) {
            return dropped;
        }
        ByteReader r(frame, 2);
        DecodeRecord(info, records, r);
    }
    return ParseResult{ParseOutcome::Accepted, sub};
}

Bytes BuildParamReply(std::uint8_t subCommand, ByteView payload, std::uint16_t unitVersion, std::uint8_t trailerFifth)
{
    Bytes frame;
    frame.reserve(2 + payload.size() + kTrailerSize);
    ByteWriter w(frame);
    w.putU8(kParamStart);
    w.putU8(subCommand);
    w.putBytes(payload);
    w.putU8(kTrailerMarker);
    w.putU8(static_cast<std::uint8_t>((unitVersion / 100) & 0xFF));
    w.putU8(static_cast<std::uint8_t>(unitVersion % 100));
    w.putU8(kTrailerFour);
    w.putU8(trailerFifth);
    w.putU16le(ParamCrc16(frame)); // low byte first
    return frame;
}

Bytes EncodeParamPayload(std::uint8_t code, const ParamRecords& records)
{
    Bytes payload;
    ByteWriter w(payload);
    EncodeRecord(DescribeSubCommand(code), records, w);
    return payload;
}

std::optional<std::uint8_t> ApplyParamRequest(ByteView frame, ParamRecords& records)
{
    if (frame.size() < 4) {
        return std::nullopt;
    }
    const std::size_t L = frame.size();
    const auto sent = static_cast<std::uint16_t>(frame[L - 2] | (frame[L - 1] << 8));
    if (ParamCrc16(frame.first(L - 2)) != sent || frame[0] != kParamStart) {
        return std::nullopt;
    }
    const std::uint8_t sub = frame[1];
    const SubCommandInfo info = DescribeSubCommand(sub);
    if (info.kind == ParamKind::None || L != info.requestLength) {
        return std::nullopt;
    }
    if (info.isWrite) {
        ByteReader r(frame, 2);
        DecodeRecord(info, records, r);
    }
    return sub;
}

} // namespace rv
