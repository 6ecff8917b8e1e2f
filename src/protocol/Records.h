// SPDX-License-Identifier: MIT
#pragma once

// The unit's parameter records with their exact wire layouts. Each record is a plain struct whose
// fields carry the unit's names; encode and decode stand side by side in Records.cpp.
//
// Offsets in the comments of the ParamFrame records count from the ParamFrame's first byte: 0 is
// the start byte 0x7E, 1 the sub-command, so every payload starts at offset 2. All numbers are
// little-endian; floats are IEEE 754 single precision. Texts are GBK bytes in fixed fields.

#include "protocol/ByteIo.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace rv {

// Network settings: 292 bytes, exchanged whole in HostFrames 3 (reply) and 4 (write). Bytes the
// tool does not interpret are kept so that a write sends them back exactly as the last read
// brought them.
struct NetRecord
{
    static constexpr std::size_t kSize = 292;
    static constexpr std::size_t kServerAddressSize = 30; // 29 characters and a NUL

    std::uint8_t ipMode = 0;                                       // 0: bit 7 set = static address
    std::uint32_t staticIp = 0;                                    // 1: first dotted octet in the most significant byte
    std::uint32_t gateway = 0;                                     // 5
    std::uint32_t subnetMask = 0;                                  // 9
    std::array<std::uint8_t, 6> reserved13{};                      // 13: carried back unchanged
    std::uint8_t maxConnections = 0;                               // 19: combo index 0..8
    std::uint16_t server1SourcePort = 0;                           // 20
    std::uint16_t server1ListenPort = 0;                           // 22
    std::array<std::uint8_t, kServerAddressSize> server1Address{}; // 24
    std::uint16_t server2SourcePort = 0;                           // 54
    std::uint16_t server2ListenPort = 0;                           // 56
    std::array<std::uint8_t, kServerAddressSize> server2Address{}; // 58
    std::array<std::uint8_t, kSize - 88> tail{};                   // 88..291: carried back unchanged

    // Exactly kSize bytes.
    void encode(ByteWriter& w) const;
    // Reads kSize bytes; bytes missing from a short reply read as zero.
    void decode(ByteReader& r);

    bool operator==(const NetRecord&) const = default;
};

// The IP mode byte and the network page's mode list: item 0 "StaticIP" when bit 7 is set, item 1
// "DHCP/autoIP" otherwise. A write sends 0x00 for item 1 and 0x80 for anything else, no selection
// (−1) included, so the low bits of a received mode are not kept.
int IpModeFromByte(std::uint8_t mode);
std::uint8_t IpModeToByte(int selection);

// Base parameters, sub-commands 1 (read) and 2 (write). Payload offsets 2..28.
struct BaseRecord
{
    static constexpr std::size_t kPayloadSize = 27;

    std::uint8_t serverCount = 0;           // 2
    std::uint32_t terminalAddress = 0;      // 3: first two hex digits of the text in the MSB
    std::uint16_t loginInterval = 0;        // 7, seconds
    std::uint16_t heartbeatInterval = 0;    // 9, seconds
    std::uint16_t dataInterval = 0;         // 11, seconds
    std::uint8_t baudRate = 0;              // 13: 0 = 2400, 1 = 4800, 2 = 9600
    std::uint8_t channelCount = 0;          // 14: 0..32
    std::uint16_t normalRecordInterval = 0; // 15, minutes
    std::uint16_t alarmRecordInterval = 0;  // 17, minutes
    std::uint8_t storageType = 0;           // 19
    std::uint8_t positionEnabled = 0;       // 20
    float longitude = 0.0f;                 // 21
    float latitude = 0.0f;                  // 25

    void encode(ByteWriter& w) const;
    void decode(ByteReader& r);
    bool operator==(const BaseRecord&) const = default;
};

// GPRS and SMS parameters, sub-commands 3 (read) and 4 (write). Payload offsets 2..138.
// In memory each text keeps a terminator: the address in 65 bytes, the port in 8, and each phone
// number in a slot of 20 bytes (11 characters, a NUL, 8 spare bytes). Only the first 11 bytes of
// a phone slot travel.
struct GprsRecord
{
    static constexpr std::size_t kPayloadSize = 137;
    static constexpr std::size_t kAddressSize = 65;
    static constexpr std::size_t kPortSize = 8;
    static constexpr std::size_t kPhoneSlotSize = 20;
    static constexpr std::size_t kPhoneDigits = 11;
    static constexpr std::size_t kPhoneCount = 5;

    std::uint16_t loginInterval = 0;                                            // 2
    std::uint16_t heartbeatInterval = 0;                                        // 4
    std::uint16_t dataInterval = 0;                                             // 6
    std::array<std::uint8_t, kAddressSize> targetAddress{};                     // 8
    std::array<std::uint8_t, kPortSize> targetPort{};                           // 73
    std::uint8_t phoneMask = 0;                                                 // 81: bit k set = phone k + 1 present
    std::array<std::array<std::uint8_t, kPhoneSlotSize>, kPhoneCount> phones{}; // 82, 93, 104, 115, 126
    std::uint8_t smsInterval = 0;                                               // 137, minutes
    std::uint8_t workType = 0;                                                  // 138

    void encode(ByteWriter& w) const;
    // Forces the terminators of a reply: byte 64 of the address, byte 7 of the port and byte 11
    // of each phone slot become NUL.
    void decode(ByteReader& r);
    bool operator==(const GprsRecord&) const = default;
};

// One measuring channel, sub-commands 5..36 (read) and 37..68 (write). Payload offsets 2..105.
struct ChannelRecord
{
    static constexpr std::size_t kPayloadSize = 104;
    static constexpr std::size_t kNameSize = 20;
    static constexpr std::size_t kUnitSize = 6;

    int source = 0;                                  // 2: one byte on the wire; −1 (no selection) goes out as 0xFF
    float upper1 = 0.0f;                             // 3
    float lower1 = 0.0f;                             // 7
    float scaleA1 = 0.0f;                            // 11
    float offsetB1 = 0.0f;                           // 15
    float hysteresis1 = 0.0f;                        // 19
    std::array<std::uint8_t, kNameSize + 1> name1{}; // 23: 20 bytes, terminator kept in memory only
    std::array<std::uint8_t, kUnitSize + 1> unit1{}; // 43
    float upper2 = 0.0f;                             // 49
    float lower2 = 0.0f;                             // 53
    float scaleA2 = 0.0f;                            // 57
    float offsetB2 = 0.0f;                           // 61
    float hysteresis2 = 0.0f;                        // 65
    std::array<std::uint8_t, kNameSize + 1> name2{}; // 69
    std::array<std::uint8_t, kUnitSize + 1> unit2{}; // 89
    std::uint8_t relayUpper1 = 0;                    // 95: 0 = none, 1..8 = relay
    std::uint8_t relayLower1 = 0;                    // 96
    std::uint8_t relayUpper2 = 0;                    // 97
    std::uint8_t relayLower2 = 0;                    // 98
    int attribute = 0;                               // 99: one byte on the wire
    std::uint16_t alarmDelay = 0;                    // 100, seconds
    std::uint8_t smsOnAlarm1 = 0;                    // 102
    std::uint8_t smsOnAlarm2 = 0;                    // 103
    std::uint8_t smsOnReset1 = 0;                    // 104
    std::uint8_t smsOnReset2 = 0;                    // 105

    void encode(ByteWriter& w) const;
    void decode(ByteReader& r);
    bool operator==(const ChannelRecord&) const = default;
};

// One relay, sub-commands 69..76 (read) and 77..84 (write). Payload offsets 2..6.
struct RelayRecord
{
    static constexpr std::size_t kPayloadSize = 5;

    std::uint8_t mode = 0;           // 2: 0 remote, 1 automatic, 2 timed
    std::uint16_t startInterval = 0; // 3, minutes
    std::uint16_t duration = 0;      // 5, seconds

    void encode(ByteWriter& w) const;
    void decode(ByteReader& r);
    bool operator==(const RelayRecord&) const = default;
};

// One ModBus master slot, sub-commands 85..116 (read) and 117..148 (write). Payload offsets 2..8.
struct ModbusSlotRecord
{
    static constexpr std::size_t kPayloadSize = 7;

    std::uint8_t slaveAddress = 0;   // 2
    std::uint8_t enabled = 0;        // 3
    std::uint8_t deviceType = 0;     // 4
    std::uint16_t registerStart = 0; // 5
    std::uint16_t registerCount = 0; // 7

    void encode(ByteWriter& w) const;
    void decode(ByteReader& r);
    bool operator==(const ModbusSlotRecord&) const = default;
};

// The LED panel, sub-commands 150 (read) and 149 (write). Payload offsets 2..142.
// Each text area is 64 bytes plus a terminator that is always zero; bytes after the text's first
// zero keep their old content and travel as they are.
struct LedRecord
{
    static constexpr std::size_t kPayloadSize = 141;
    static constexpr std::size_t kTextSize = 64;

    std::uint8_t showDataTable = 0;                       // 2
    std::uint8_t headerEnabled = 0;                       // 3
    std::uint8_t footerEnabled = 0;                       // 4
    std::uint16_t panelWidth = 0;                         // 5
    std::uint16_t panelHeight = 0;                        // 7
    std::uint16_t displayChannels = 0;                    // 9
    std::uint16_t columnCount = 0;                        // 11
    std::uint16_t refreshSeconds = 0;                     // 13
    std::array<std::uint8_t, kTextSize + 1> headerText{}; // 15
    std::array<std::uint8_t, kTextSize + 1> footerText{}; // 79

    void encode(ByteWriter& w) const;
    // Sets both terminator bytes to zero.
    void decode(ByteReader& r);
    bool operator==(const LedRecord&) const = default;
};

inline constexpr std::size_t kChannelCount = 32;
inline constexpr std::size_t kRelayCount = 8;
inline constexpr std::size_t kModbusSlotCount = 32;

using ChannelTable = std::array<ChannelRecord, kChannelCount>;
using RelayTable = std::array<RelayRecord, kRelayCount>;
using ModbusSlotTable = std::array<ModbusSlotRecord, kModbusSlotCount>;

// The records carried in ParamFrames: one instance each per session, zero at start.
struct ParamRecords
{
    BaseRecord base;
    GprsRecord gprs;
    ChannelTable channels{};
    RelayTable relays{};
    ModbusSlotTable modbusSlots{};
    LedRecord led;

    bool operator==(const ParamRecords&) const = default;
};

} // namespace rv
