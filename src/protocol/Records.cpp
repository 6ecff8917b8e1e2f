// SPDX-License-Identifier: MIT
#include "protocol/Records.h"

#include <algorithm>

// Wire layouts of the parameter records, encode and decode side by side. Each pair reads and
// writes the payload only (from ParamFrame offset 2, or NetRecord's offset 0), field by field in
// wire order, so that a layout is checked by reading it top to bottom.

namespace rv {

namespace {
constexpr int kDhcpItem = 1;
} // namespace

int IpModeFromByte(std::uint8_t mode)
{
    return (mode & 0x80) != 0 ? 0 : kDhcpItem;
}

std::uint8_t IpModeToByte(int selection)
{
    return selection == kDhcpItem ? 0x00 : 0x80;
}

namespace {

// A one-byte wire field that the tool holds as an int (a combo index, −1 for no selection).
std::uint8_t LowByte(int v)
{
    return static_cast<std::uint8_t>(static_cast<unsigned>(v) & 0xFFu);
}

} // namespace

// ---- NetRecord ----

void NetRecord::encode(ByteWriter& w) const
{
    w.putU8(ipMode);
    w.putU32le(staticIp);
    w.putU32le(gateway);
    w.putU32le(subnetMask);
    w.putBytes(reserved13);
    w.putU8(maxConnections);
    w.putU16le(server1SourcePort);
    w.putU16le(server1ListenPort);
    w.putBytes(server1Address);
    w.putU16le(server2SourcePort);
    w.putU16le(server2ListenPort);
    w.putBytes(server2Address);
    w.putBytes(tail);
}

void NetRecord::decode(ByteReader& r)
{
    // A short reply: take the bytes that came and read the rest as zero. Copying first keeps a
    // field that is only partly present from being lost whole.
    std::array<std::uint8_t, kSize> raw{};
    r.bytes(raw.data(), std::min(r.remaining(), kSize));
    ByteReader f(raw);
    ipMode = f.u8();
    staticIp = f.u32le();
    gateway = f.u32le();
    subnetMask = f.u32le();
    f.bytes(reserved13);
    maxConnections = f.u8();
    server1SourcePort = f.u16le();
    server1ListenPort = f.u16le();
    f.bytes(server1Address);
    server2SourcePort = f.u16le();
    server2ListenPort = f.u16le();
    f.bytes(server2Address);
    f.bytes(tail);
}

// ---- BaseRecord ----

void BaseRecord::encode(ByteWriter& w) const
{
    w.putU8(serverCount);
    w.putU32le(terminalAddress);
    w.putU16le(loginInterval);
    w.putU16le(heartbeatInterval);
    w.putU16le(dataInterval);
    w.putU8(baudRate);
    w.putU8(channelCount);
    w.putU16le(normalRecordInterval);
    w.putU16le(alarmRecordInterval);
    w.putU8(storageType);
    w.putU8(positionEnabled);
    w.putF32le(longitude);
    w.putF32le(latitude);
}

void BaseRecord::decode(ByteReader& r)
{
    serverCount = r.u8();
    terminalAddress = r.u32le();
    loginInterval = r.u16le();
    heartbeatInterval = r.u16le();
    dataInterval = r.u16le();
    baudRate = r.u8();
    channelCount = r.u8();
    normalRecordInterval = r.u16le();
    alarmRecordInterval = r.u16le();
    storageType = r.u8();
    positionEnabled = r.u8();
    longitude = r.f32le();
    latitude = r.f32le();
}

// ---- GprsRecord ----

void GprsRecord::encode(ByteWriter& w) const
{
    w.putU16le(loginInterval);
    w.putU16le(heartbeatInterval);
    w.putU16le(dataInterval);
    w.putBytes(targetAddress);
    w.putBytes(targetPort);
    w.putU8(phoneMask);
    for (const auto& phone : phones) {
        // Only the 11 digits travel; the slot's terminator and spare bytes stay in memory.
        w.putBytes(phone, kPhoneDigits);
    }
    w.putU8(smsInterval);
    w.putU8(workType);
}

void GprsRecord::decode(ByteReader& r)
{
    loginInterval = r.u16le();
    heartbeatInterval = r.u16le();
    dataInterval = r.u16le();
    r.bytes(targetAddress);
    targetAddress[kAddressSize - 1] = 0;
    r.bytes(targetPort);
    targetPort[kPortSize - 1] = 0;
    phoneMask = r.u8();
    for (auto& phone : phones) {
        // The spare bytes after the terminator are not on the wire and keep what they held.
        r.bytes(phone, kPhoneDigits);
        phone[kPhoneDigits] = 0;
    }
    smsInterval = r.u8();
    workType = r.u8();
}

// ---- ChannelRecord ----

void ChannelRecord::encode(ByteWriter& w) const
{
    w.putU8(LowByte(source));
    w.putF32le(upper1);
    w.putF32le(lower1);
    w.putF32le(scaleA1);
    w.putF32le(offsetB1);
    w.putF32le(hysteresis1);
    w.putBytes(name1, kNameSize);
    w.putBytes(unit1, kUnitSize);
    w.putF32le(upper2);
    w.putF32le(lower2);
    w.putF32le(scaleA2);
    w.putF32le(offsetB2);
    w.putF32le(hysteresis2);
    w.putBytes(name2, kNameSize);
    w.putBytes(unit2, kUnitSize);
    w.putU8(relayUpper1);
    w.putU8(relayLower1);
    w.putU8(relayUpper2);
    w.putU8(relayLower2);
    w.putU8(LowByte(attribute));
    w.putU16le(alarmDelay);
    w.putU8(smsOnAlarm1);
    w.putU8(smsOnAlarm2);
    w.putU8(smsOnReset1);
    w.putU8(smsOnReset2);
}

void ChannelRecord::decode(ByteReader& r)
{
    source = r.u8();
    upper1 = r.f32le();
    lower1 = r.f32le();
    scaleA1 = r.f32le();
    offsetB1 = r.f32le();
    hysteresis1 = r.f32le();
    r.bytes(name1, kNameSize);
    name1[kNameSize] = 0;
    r.bytes(unit1, kUnitSize);
    unit1[kUnitSize] = 0;
    upper2 = r.f32le();
    lower2 = r.f32le();
    scaleA2 = r.f32le();
    offsetB2 = r.f32le();
    hysteresis2 = r.f32le();
    r.bytes(name2, kNameSize);
    name2[kNameSize] = 0;
    r.bytes(unit2, kUnitSize);
    unit2[kUnitSize] = 0;
    relayUpper1 = r.u8();
    relayLower1 = r.u8();
    relayUpper2 = r.u8();
    relayLower2 = r.u8();
    attribute = r.u8();
    alarmDelay = r.u16le();
    smsOnAlarm1 = r.u8();
    smsOnAlarm2 = r.u8();
    smsOnReset1 = r.u8();
    smsOnReset2 = r.u8();
}

// ---- RelayRecord ----

void RelayRecord::encode(ByteWriter& w) const
{
    w.putU8(mode);
    w.putU16le(startInterval);
    w.putU16le(duration);
}

void RelayRecord::decode(ByteReader& r)
{
    mode = r.u8();
    startInterval = r.u16le();
    duration = r.u16le();
}

// ---- ModbusSlotRecord ----

void ModbusSlotRecord::encode(ByteWriter& w) const
{
    w.putU8(slaveAddress);
    w.putU8(enabled);
    w.putU8(deviceType);
    w.putU16le(registerStart);
    w.putU16le(registerCount);
}

void ModbusSlotRecord::decode(ByteReader& r)
{
    slaveAddress = r.u8();
    enabled = r.u8();
    deviceType = r.u8();
    registerStart = r.u16le();
    registerCount = r.u16le();
}

// ---- LedRecord ----

void LedRecord::encode(ByteWriter& w) const
{
    w.putU8(showDataTable);
    w.putU8(headerEnabled);
    w.putU8(footerEnabled);
    w.putU16le(panelWidth);
    w.putU16le(panelHeight);
    w.putU16le(displayChannels);
    w.putU16le(columnCount);
    w.putU16le(refreshSeconds);
    // All 64 bytes of each area go out, including what follows the text's first zero byte.
    w.putBytes(headerText, kTextSize);
    w.putBytes(footerText, kTextSize);
}

void LedRecord::decode(ByteReader& r)
{
    showDataTable = r.u8();
    headerEnabled = r.u8();
    footerEnabled = r.u8();
    panelWidth = r.u16le();
    panelHeight = r.u16le();
    displayChannels = r.u16le();
    columnCount = r.u16le();
    refreshSeconds = r.u16le();
    r.bytes(headerText, kTextSize);
    headerText[kTextSize] = 0;
    r.bytes(footerText, kTextSize);
    footerText[kTextSize] = 0;
}

} // namespace rv
