// SPDX-License-Identifier: MIT
#pragma once

// The ParamFrame: 0x7E, a sub-command 1..150, a record's payload and CRC-16/MODBUS low byte first.
// Replies end in a 7-byte trailer: 0x99, unit version (hundreds, remainder), 0x04, one byte not
// examined, then the check.

#include "protocol/ByteIo.h"
#include "protocol/Records.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace rv {

inline constexpr std::uint8_t kParamStart = 0x7E;
inline constexpr std::uint8_t kTrailerMarker = 0x99;
inline constexpr std::uint8_t kTrailerFour = 0x04;
inline constexpr std::size_t kTrailerSize = 7;
inline constexpr std::size_t kMaxParamFrame = 145; // the LED write, the longest request
inline constexpr std::uint16_t kMinUnitVersion = 703;
inline constexpr std::uint16_t kMaxUnitVersion = 1099;

// The true CRC-16/MODBUS (reflected 0xA001, init 0xFFFF, no final XOR), computed with the
// standard's two byte tables. Check value of "123456789": 0x4B37.
std::uint16_t ParamCrc16(ByteView data);

// What a sub-command does and to which record.
enum class ParamKind : std::uint8_t
{
    None,
    BaseRead,
    BaseWrite,
    GprsRead,
    GprsWrite,
    ChannelRead,
    ChannelWrite,
    RelayRead,
    RelayWrite,
    SlotRead,
    SlotWrite,
    LedWrite,
    LedRead,
};

struct SubCommandInfo
{
    ParamKind kind = ParamKind::None;
    std::size_t index = 0;         // record index within its table (0 for single records)
    std::size_t payloadSize = 0;   // payload bytes of the record (read and write alike)
    bool isWrite = false;          // the request carries the payload
    std::size_t requestLength = 0; // ParamFrame request length including the check
};

// Kind None for codes 0 and 151..255.
SubCommandInfo DescribeSubCommand(std::uint8_t code);

// First sub-command of each ranged kind: record i travels as base + i.
inline constexpr std::uint8_t kChannelReadBase = 5;
inline constexpr std::uint8_t kChannelWriteBase = 37;
inline constexpr std::uint8_t kRelayReadBase = 69;
inline constexpr std::uint8_t kRelayWriteBase = 77;
inline constexpr std::uint8_t kSlotReadBase = 85;
inline constexpr std::uint8_t kSlotWriteBase = 117;
inline constexpr std::uint8_t kBaseRead = 1;
inline constexpr std::uint8_t kBaseWrite = 2;
inline constexpr std::uint8_t kGprsRead = 3;
inline constexpr std::uint8_t kGprsWrite = 4;
inline constexpr std::uint8_t kLedWrite = 149;
inline constexpr std::uint8_t kLedRead = 150;

// Writes the request for the code's low 8 bits into out (at least kMaxParamFrame bytes), taking
// the payload of a write from records. Returns the length including the check; for a code outside
// 1..150 writes nothing and returns 0.
std::uint8_t BuildParamFrame(unsigned code, const ParamRecords& records, std::uint8_t* out);

// Convenience: the same frame as a byte vector (empty for a code outside 1..150).
Bytes BuildParamFrame(unsigned code, const ParamRecords& records);

enum class ParseOutcome : std::uint8_t
{
    Accepted,       // subCommand holds byte 1; a read reply's payload is already in its record
    Dropped,        // too short, check mismatch, bad start byte, length beyond the datagram,
                    // a read reply too short for its record: silently ignored
    VersionRefused, // trailer marker, unit version or the 0x04 byte wrong: the version gate fails
};

struct ParseResult
{
    ParseOutcome outcome = ParseOutcome::Dropped;
    std::uint8_t subCommand = 0; // 0 unless Accepted

    // The result code the dispatch routes: the sub-command when accepted, else 0.
    std::uint8_t code() const { return outcome == ParseOutcome::Accepted ? subCommand : 0; }
};

// Validates a received ParamFrame and copies a read reply's payload into records. frame holds the
// bytes actually received from the frame's start on; length is the frame length L that the
// HostFrame claims. Checks in this order: L <= 2; L beyond the received bytes; check; start byte;
// L < 7 (no complete trailer, dropped); trailer marker; version 703..1099 and the 0x04 byte;
// a read reply shorter than 2 + payload + 7. No record changes unless the result is Accepted.
ParseResult ParseParamFrame(ByteView frame, std::uint16_t length, ParamRecords& records);

// ---- The unit's side, for the simulated unit and the tests ----

// A reply frame: 0x7E, the sub-command, the payload, the trailer for the unit version and the
// check. trailerFifth is the byte at L−3, which the tool does not examine.
Bytes BuildParamReply(std::uint8_t subCommand, ByteView payload, std::uint16_t unitVersion,
                      std::uint8_t trailerFifth = 0);

// The payload of the record that a code names, encoded from records (empty for codes that name
// no record).
Bytes EncodeParamPayload(std::uint8_t code, const ParamRecords& records);

// A request as the unit reads it: checks length, check and start byte, and for a write copies
// the payload into records. Returns the sub-command, or nothing when the frame is not valid.
std::optional<std::uint8_t> ApplyParamRequest(ByteView frame, ParamRecords& records);

} // namespace rv
