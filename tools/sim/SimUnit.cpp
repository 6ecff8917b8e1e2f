// SPDX-License-Identifier: MIT
#include "sim/SimUnit.h"

#include "protocol/Gbk.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

namespace rv::sim {
namespace {

constexpr std::uint32_t kUnitsPerSubnet = 200;
constexpr std::uint32_t kFirstHost = 10;

std::uint32_t Subnet(std::uint32_t number)
{
    return (number - 1) / kUnitsPerSubnet;
}

constexpr std::uint32_t Quad(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    return (a << 24) | (b << 16) | (c << 8) | d;
}

// GBK text into a fixed field, zero-padded, cut before a character that does not fit whole.
template <std::size_t N>
void PutText(std::array<std::uint8_t, N>& field, std::string_view utf8, std::size_t width = N)
{
    StoreGbkField(field, utf8, width);
}

std::string ChineseNumber(std::uint32_t n)
{
    static constexpr std::array<const char*, 10> kDigits = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    if (n == 0 || n > 99) {
        return std::to_string(n);
    }
    const std::uint32_t tens = n / 10;
    const std::uint32_t ones = n % 10;
    std::string text;
    if (tens > 1) {
        text += kDigits[tens];
    }
    if (tens > 0) {
        text += "十";
    }
    text += kDigits[ones];
    return text;
}

// What the first eight channels of a unit measure; channels 9 to 32 read the temperature and
// humidity transmitters on ModBus slots 1 to 24.
struct SensorKind
{
    int source;
    int attribute;
    const char* name1;
    const char* unit1;
    float upper1;
    float lower1;
    const char* name2;
    const char* unit2;
    float upper2;
    float lower2;
};

// attribute 0: both analog quantities in use; 1: only the first; 6: switch input, where the unit
// texts are the alarm and the reset messages.
constexpr std::array<SensorKind, 8> kOnBoard = {{
    {64, 0, "温度", "℃", 32.0f, 10.0f, "湿度", "%RH", 80.0f, 20.0f},
    {65, 1, "大气压力", "kPa", 106.0f, 95.0f, "", "", 0.0f, 0.0f},
    {66, 1, "光照度", "Lux", 20000.0f, 0.0f, "", "", 0.0f, 0.0f},
    {67, 1, "交流电压", "V", 242.0f, 198.0f, "", "", 0.0f, 0.0f},
    {72, 6, "水浸", "有水", 1.0f, 0.0f, "", "无水", 0.0f, 0.0f},
    {73, 6, "门磁", "开门", 1.0f, 0.0f, "", "关门", 0.0f, 0.0f},
    {74, 6, "烟感", "告警", 1.0f, 0.0f, "", "正常", 0.0f, 0.0f},
    {69, 1, "液位", "m", 3.5f, 0.2f, "", "", 0.0f, 0.0f},
}};

ChannelRecord FactoryChannel(std::uint32_t number, std::size_t index)
{
    static constexpr SensorKind kTransmitter = {0, 0, "温度", "℃", 30.0f, 5.0f, "湿度", "%RH", 85.0f, 15.0f};
    const SensorKind& kind = index < kOnBoard.size() ? kOnBoard[index] : kTransmitter;
    // Neighbouring units differ in their limits by a degree or a percent.
    const auto shift = static_cast<float>(number % 5);

    ChannelRecord c;
    c.source = index < kOnBoard.size() ? kind.source : static_cast<int>(index - kOnBoard.size());
    c.attribute = kind.attribute;
    const bool analog = kind.attribute != 6;
    c.upper1 = kind.upper1 + (analog ? shift : 0.0f);
    c.lower1 = kind.lower1;
    c.scaleA1 = 1.0f;
    c.offsetB1 = 0.0f;
    c.hysteresis1 = analog ? 1.0f : 0.0f;
    c.upper2 = kind.upper2 + (kind.attribute == 0 ? shift : 0.0f);
    c.lower2 = kind.lower2;
    c.scaleA2 = 1.0f;
    c.offsetB2 = 0.0f;
    c.hysteresis2 = kind.attribute == 0 ? 2.0f : 0.0f;
    if (kind.source == 69) {
        // 4 to 20 mA over a 0 to 4 m level probe.
        c.scaleA1 = 0.25f;
        c.offsetB1 = -1.0f;
    }
    PutText(c.name1, kind.name1, ChannelRecord::kNameSize);
    PutText(c.unit1, kind.unit1, ChannelRecord::kUnitSize);
    PutText(c.name2, kind.name2, ChannelRecord::kNameSize);
    PutText(c.unit2, kind.unit2, ChannelRecord::kUnitSize);
    if (index == 0) {
        c.relayUpper1 = 1; // the fan
        c.relayUpper2 = 2; // the dehumidifier
    } else if (index == 4) {
        c.relayUpper1 = 3; // the water pump
    }
    c.alarmDelay = static_cast<std::uint16_t>(10 + (number % 3) * 10);
    const std::uint8_t sms = index < kOnBoard.size() ? 1 : 0;
    c.smsOnAlarm1 = sms;
    c.smsOnReset1 = sms;
    c.smsOnAlarm2 = kind.attribute == 0 ? sms : 0;
    c.smsOnReset2 = 0;
    return c;
}

} // namespace

MacAddress FactoryMac(std::uint32_t number)
{
    return {0x02,
            0x3C,
            0x7A,
            static_cast<std::uint8_t>((number >> 16) & 0xFF),
            static_cast<std::uint8_t>((number >> 8) & 0xFF),
            static_cast<std::uint8_t>(number & 0xFF)};
}

std::uint32_t FactoryIp(std::uint32_t number)
{
    return Quad(192, 168, Subnet(number) & 0xFF, kFirstHost + (number - 1) % kUnitsPerSubnet);
}

NetRecord FactoryNetRecord(std::uint32_t number)
{
    NetRecord n;
    n.ipMode = 0x80;
    n.staticIp = FactoryIp(number);
    n.gateway = Quad(192, 168, Subnet(number) & 0xFF, 1);
    n.subnetMask = Quad(255, 255, 255, 0);
    n.maxConnections = 4;
    n.server1SourcePort = 2000;
    n.server1ListenPort = 2404;
    PutText(n.server1Address, "192.168.0.166");
    return n;
}

std::string FactoryName(std::uint32_t number, std::string_view namePrefix)
{
    if (!namePrefix.empty()) {
        return std::string(namePrefix) + std::to_string(number);
    }
    static constexpr std::array<const char*, 8> kPlaces = {"机房",   "配电室", "仓库", "基站",
                                                           "档案室", "实验室", "泵房", "冷库"};
    return ChineseNumber(number) + "号" + kPlaces[(number - 1) % kPlaces.size()] + "监控主机";
}

SimUnit MakeFactoryUnit(std::uint32_t number, std::string_view namePrefix)
{
    static constexpr std::array<std::uint16_t, 4> kFirmware = {302, 305, 310, 312};

    SimUnit u;
    u.number = number;
    u.name = FactoryName(number, namePrefix);
    u.mac = FactoryMac(number);
    u.ip = FactoryIp(number);
    u.firmware = kFirmware[number % kFirmware.size()];
    u.net = FactoryNetRecord(number);

    const auto enabledChannels = static_cast<std::uint8_t>(8 + (number % 3) * 4); // 8, 12 or 16

    BaseRecord& b = u.params.base;
    b.serverCount = 1;
    b.terminalAddress = 0x20240000u + (number & 0xFFFF);
    b.loginInterval = 3;
    b.heartbeatInterval = 60;
    b.dataInterval = 20;
    b.baudRate = 2; // 9600
    b.channelCount = enabledChannels;
    b.normalRecordInterval = 5;
    b.alarmRecordInterval = 1;
    b.storageType = 2; // on
    b.positionEnabled = static_cast<std::uint8_t>(number % 2);
    // Computed in double so that each is the float nearest a round figure.
    b.longitude = static_cast<float>(116.397 + (number % 100) * 0.01);
    b.latitude = static_cast<float>(39.908 + (number % 50) * 0.01);

    GprsRecord& g = u.params.gprs;
    g.loginInterval = 3;
    g.heartbeatInterval = 60;
    g.dataInterval = 20;
    PutText(g.targetAddress, "192.168.1.200");
    PutText(g.targetPort, "2404");
    const std::size_t phones = 1 + number % 3;
    g.phoneMask = static_cast<std::uint8_t>((1u << phones) - 1);
    for (std::size_t k = 0; k < phones; ++k) {
        const unsigned long long phone = 13800138000ull + number * GprsRecord::kPhoneCount + k;
        PutText(g.phones[k], std::to_string(phone), GprsRecord::kPhoneDigits);
    }
    g.smsInterval = 30;
    g.workType = 2; // transfer and SMS alarms

    for (std::size_t i = 0; i < kChannelCount; ++i) {
        u.params.channels[i] = FactoryChannel(number, i);
    }

    // Relay 1 runs the fan and relay 2 the dehumidifier by the channel limits, relay 3 the pump;
    // relay 4 airs the room for 30 s every hour; the rest wait for remote commands.
    u.params.relays[0] = {1, 0, 0};
    u.params.relays[1] = {1, 0, 0};
    u.params.relays[2] = {1, 0, 0};
    u.params.relays[3] = {2, 60, 30};

    const std::size_t transmitters = enabledChannels - kOnBoard.size();
    for (std::size_t k = 0; k < kModbusSlotCount; ++k) {
        ModbusSlotRecord& s = u.params.modbusSlots[k];
        s.slaveAddress = static_cast<std::uint8_t>(k + 1);
        s.enabled = k < transmitters ? 1 : 0;
        s.deviceType = 0; // temperature and humidity transmitter
        s.registerStart = 0;
        s.registerCount = 2;
    }

    LedRecord& l = u.params.led;
    l.showDataTable = 1;
    l.headerEnabled = 1;
    l.footerEnabled = static_cast<std::uint8_t>(number % 2);
    l.panelWidth = number % 2 ? 192 : 128;
    l.panelHeight = number % 2 ? 96 : 64;
    l.displayChannels = std::min<std::uint16_t>(enabledChannels, 8);
    l.columnCount = 2;
    l.refreshSeconds = 5;
    PutText(l.headerText, "环境监测", LedRecord::kTextSize);
    PutText(l.footerText, "数据实时刷新", LedRecord::kTextSize);
    return u;
}

void AdoptNetSettings(SimUnit& unit)
{
    if ((unit.net.ipMode & 0x80) != 0) {
        unit.ip = unit.net.staticIp;
    }
}

} // namespace rv::sim
