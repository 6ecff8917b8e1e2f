// SPDX-License-Identifier: MIT
#include "sim/UnitSimulator.h"

#include "protocol/DeviceRecord.h"
#include "protocol/HostFrame.h"
#include "protocol/ParamFrame.h"
#include "protocol/TextConv.h"

#include <gtest/gtest.h>

#include <set>

namespace rv::sim {
namespace {

std::vector<SimUnit> FactoryUnits(std::uint32_t count)
{
    std::vector<SimUnit> units;
    for (std::uint32_t n = 1; n <= count; ++n) {
        units.push_back(MakeFactoryUnit(n));
    }
    return units;
}

// A ParamFrame request for a unit, as the tool sends it.
Bytes ParamRequest(const MacAddress& mac, unsigned code, const ParamRecords& records = {})
{
    return BuildParamRequest(mac, BuildParamFrame(code, records));
}

// The ParamFrame of a 10/11 reply, cut to the length in bytes 1-2.
ByteView FrameOf(const Bytes& reply)
{
    const auto length = static_cast<std::size_t>((reply[1] << 8) | reply[2]);
    return ByteView(reply).subspan(kHostPayloadOffset, length);
}

class UnitSimulatorTest : public ::testing::Test
{
protected:
    UnitSimulator makeSimulator(SimOptions options = {}, std::uint32_t count = 3)
    {
        return UnitSimulator(FactoryUnits(count), options);
    }
    MacAddress mac(std::uint32_t number) const { return FactoryMac(number); }
};

TEST_F(UnitSimulatorTest, EveryUnitAnswersDiscoveryWithItsOwnRecord)
{
    UnitSimulator sim = makeSimulator({}, 3);
    const HandleResult result = sim.handleDatagram(BuildDiscoverRequest());
    ASSERT_EQ(result.replies.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const Bytes& d = result.replies[i].datagram;
        ASSERT_GE(d.size(), 23u);
        EXPECT_EQ(d[0], kReplyMarker);
        EXPECT_EQ(d[3], 2);
        EXPECT_EQ(d.back(), HostChecksum(ByteView(d).subspan(3, d.size() - 4)));
        const DeviceRecord device = DecodeDiscoveryReply(d);
        EXPECT_EQ(device.mac, sim.units()[i].mac);
        EXPECT_EQ(device.ip, sim.units()[i].ip);
        EXPECT_EQ(device.firmware, sim.units()[i].firmware);
        EXPECT_EQ(device.name, sim.units()[i].name);
    }
    EXPECT_EQ(DecodeDiscoveryReply(result.replies[0].datagram).name, "一号机房监控主机");
    EXPECT_EQ(DecodeDiscoveryReply(result.replies[0].datagram).ipText(), "192.168.0.10");
    EXPECT_EQ(DecodeDiscoveryReply(result.replies[0].datagram).macText(), "023C7A000001");
}

TEST_F(UnitSimulatorTest, AThousandUnitsHaveDistinctAddresses)
{
    UnitSimulator sim = makeSimulator({}, 1000);
    const HandleResult result = sim.handleDatagram(BuildDiscoverRequest());
    ASSERT_EQ(result.replies.size(), 1000u);
    std::set<std::string> macs;
    std::set<std::string> ips;
    for (const SimReply& r : result.replies) {
        const DeviceRecord d = DecodeDiscoveryReply(r.datagram);
        macs.insert(d.macText());
        ips.insert(d.ipText());
    }
    EXPECT_EQ(macs.size(), 1000u);
    EXPECT_EQ(ips.size(), 1000u);
    // 200 units per /24, hosts .10 to .209: never a network or broadcast address.
    EXPECT_EQ(FormatDottedQuad(FactoryIp(200)), "192.168.0.209");
    EXPECT_EQ(FormatDottedQuad(FactoryIp(201)), "192.168.1.10");
    EXPECT_EQ(FormatMacDashed(FactoryMac(1000)), "02-3C-7A-00-03-E8");
}

TEST_F(UnitSimulatorTest, OnlyTheUnitNamedByTheMacAnswers)
{
    UnitSimulator sim = makeSimulator();
    Bytes badSum = BuildReadNetRequest(mac(2));
    badSum.back() ^= 1;
    Bytes reply = BuildHostReply(3, mac(2), Bytes(NetRecord::kSize, 0)); // another unit's reply

    struct Case
    {
        const char* what;
        Bytes request;
        std::size_t replies;
    };
    const Case cases[] = {
        {"unit 2", BuildReadNetRequest(mac(2)), 1},
        {"unit 2 parameters", ParamRequest(mac(2), kBaseRead), 1},
        {"unknown MAC", BuildReadNetRequest(mac(9)), 0},
        {"zero MAC", BuildReadNetRequest(MacAddress{}), 0},
        {"bad checksum", badSum, 0},
        {"a reply", reply, 0},
        {"empty", Bytes{}, 0},
    };
    for (const Case& c : cases) {
        const HandleResult result = sim.handleDatagram(c.request);
        ASSERT_EQ(result.replies.size(), c.replies) << c.what;
        if (c.replies == 1) {
            EXPECT_EQ(result.replies[0].unit, 1u) << c.what;
            const Bytes& d = result.replies[0].datagram;
            EXPECT_EQ(MacAddress({d[4], d[5], d[6], d[7], d[8], d[9]}), mac(2)) << c.what;
        }
    }
}

TEST_F(UnitSimulatorTest, NetworkSettingsReplyCarriesTheWholeRecord)
{
    UnitSimulator sim = makeSimulator();
    const HandleResult result = sim.handleDatagram(BuildReadNetRequest(mac(1)));
    ASSERT_EQ(result.replies.size(), 1u);
    const Bytes& d = result.replies[0].datagram;
    ASSERT_EQ(d.size(), 10 + NetRecord::kSize + 1);
    EXPECT_EQ(d[0], kReplyMarker);
    EXPECT_EQ(d[3], 3);
    ByteReader r(d, kHostPayloadOffset);
    NetRecord net;
    net.decode(r);
    EXPECT_EQ(net, sim.units()[0].net);
    EXPECT_EQ(FormatDottedQuad(net.staticIp), "192.168.0.10");
}

TEST_F(UnitSimulatorTest, WrittenChannelIsReadBack)
{
    UnitSimulator sim = makeSimulator();
    ParamRecords written;
    ChannelRecord& c = written.channels[2];
    c.source = 66;
    c.upper1 = 123.5f;
    c.attribute = 5;
    c.alarmDelay = 900;
    c.name1 = {0xB9, 0xE2}; // "光" in GBK
    const std::uint8_t writeCode = kChannelWriteBase + 2;

    HandleResult result = sim.handleDatagram(ParamRequest(mac(1), writeCode, written));
    EXPECT_TRUE(result.stateChanged);
    ASSERT_EQ(result.replies.size(), 1u);
    // The acknowledgement: 7E, the sub-command, the trailer for unit version 1000, the check.
    const Bytes& ack = result.replies[0].datagram;
    EXPECT_EQ(ack[3], 10);
    const ByteView frame = FrameOf(ack);
    ASSERT_EQ(frame.size(), 9u);
    const Bytes head(frame.begin(), frame.begin() + 7);
    EXPECT_EQ(head, (Bytes{0x7E, writeCode, 0x99, 10, 0, 0x04, 0x00}));
    EXPECT_EQ(ack.back(), HostChecksum(ByteView(ack).subspan(3, ack.size() - 4)));
    ParamRecords tool;
    EXPECT_EQ(ParseParamFrame(frame, static_cast<std::uint16_t>(frame.size()), tool).code(), writeCode);

    result = sim.handleDatagram(ParamRequest(mac(1), kChannelReadBase + 2));
    EXPECT_FALSE(result.stateChanged);
    ASSERT_EQ(result.replies.size(), 1u);
    const ByteView reply = FrameOf(result.replies[0].datagram);
    EXPECT_EQ(reply.size(), 2 + ChannelRecord::kPayloadSize + kTrailerSize);
    ASSERT_EQ(ParseParamFrame(reply, static_cast<std::uint16_t>(reply.size()), tool).code(), kChannelReadBase + 2);
    EXPECT_EQ(tool.channels[2], c);
    // The other units keep their own channel.
    EXPECT_EQ(sim.units()[1].params.channels[2], MakeFactoryUnit(2).params.channels[2]);
}

TEST_F(UnitSimulatorTest, TrailerCarriesTheConfiguredVersion)
{
    struct Case
    {
        std::uint16_t version;
        std::uint8_t hundreds;
        std::uint8_t rest;
        ParseOutcome outcome;
    };
    const Case cases[] = {
        {1000, 10, 0, ParseOutcome::Accepted},       {703, 7, 3, ParseOutcome::Accepted},
        {1099, 10, 99, ParseOutcome::Accepted},      {702, 7, 2, ParseOutcome::VersionRefused},
        {1100, 11, 0, ParseOutcome::VersionRefused},
    };
    for (const Case& c : cases) {
        SimOptions options;
        options.unitVersion = c.version;
        UnitSimulator sim = makeSimulator(options, 1);
        const HandleResult result = sim.handleDatagram(ParamRequest(mac(1), kLedRead));
        ASSERT_EQ(result.replies.size(), 1u);
        const ByteView frame = FrameOf(result.replies[0].datagram);
        const std::size_t L = frame.size();
        EXPECT_EQ(frame[L - 7], 0x99) << c.version;
        EXPECT_EQ(frame[L - 6], c.hundreds) << c.version;
        EXPECT_EQ(frame[L - 5], c.rest) << c.version;
        ParamRecords tool;
        EXPECT_EQ(ParseParamFrame(frame, static_cast<std::uint16_t>(L), tool).outcome, c.outcome) << c.version;
    }
}

TEST_F(UnitSimulatorTest, ReplyOptionsShapeParamReplies)
{
    SimOptions alt;
    alt.replyCommand = 11;
    UnitSimulator altSim = makeSimulator(alt, 1);
    HandleResult result = altSim.handleDatagram(ParamRequest(mac(1), kGprsRead));
    ASSERT_EQ(result.replies.size(), 1u);
    EXPECT_EQ(result.replies[0].datagram[3], 11);
    ParamRecords tool;
    ByteView frame = FrameOf(result.replies[0].datagram);
    ASSERT_EQ(ParseParamFrame(frame, static_cast<std::uint16_t>(frame.size()), tool).code(), kGprsRead);
    EXPECT_EQ(tool.gprs, altSim.units()[0].params.gprs);

    SimOptions corrupt;
    corrupt.corruptCheck = true;
    UnitSimulator corruptSim = makeSimulator(corrupt, 1);
    result = corruptSim.handleDatagram(ParamRequest(mac(1), kBaseRead));
    ASSERT_EQ(result.replies.size(), 1u);
    frame = FrameOf(result.replies[0].datagram);
    EXPECT_EQ(ParseParamFrame(frame, static_cast<std::uint16_t>(frame.size()), tool).outcome, ParseOutcome::Dropped);
}

TEST_F(UnitSimulatorTest, NeverAnsweredSubCommandsAreIgnoredWhole)
{
    SimOptions options;
    options.neverAnswer.set(71);                  // read relay 3
    options.neverAnswer.set(kRelayWriteBase + 2); // write relay 3
    UnitSimulator sim = makeSimulator(options, 1);
    ParamRecords written;
    written.relays[2] = {2, 7, 8};

    EXPECT_TRUE(sim.handleDatagram(ParamRequest(mac(1), 71)).replies.empty());
    const HandleResult write = sim.handleDatagram(ParamRequest(mac(1), kRelayWriteBase + 2, written));
    EXPECT_TRUE(write.replies.empty());
    EXPECT_FALSE(write.stateChanged);
    EXPECT_EQ(sim.units()[0].params.relays[2], MakeFactoryUnit(1).params.relays[2]);
    // Its neighbours are answered.
    EXPECT_EQ(sim.handleDatagram(ParamRequest(mac(1), 70)).replies.size(), 1u);
    EXPECT_EQ(sim.handleDatagram(ParamRequest(mac(1), 72)).replies.size(), 1u);
}

TEST_F(UnitSimulatorTest, DroppedRepliesStillTakeEffect)
{
    SimOptions all;
    all.dropProbability = 1.0;
    UnitSimulator sim = makeSimulator(all, 5);
    HandleResult result = sim.handleDatagram(BuildDiscoverRequest());
    EXPECT_TRUE(result.replies.empty());
    EXPECT_EQ(result.dropped, 5u);

    ParamRecords written;
    written.base.heartbeatInterval = 77;
    result = sim.handleDatagram(ParamRequest(mac(3), kBaseWrite, written));
    EXPECT_TRUE(result.replies.empty());
    EXPECT_TRUE(result.stateChanged);
    EXPECT_EQ(sim.units()[2].params.base.heartbeatInterval, 77);

    // Some lost, some not; the same seed loses the same ones.
    SimOptions half;
    half.dropProbability = 0.5;
    half.seed = 42;
    UnitSimulator a = makeSimulator(half, 200);
    UnitSimulator b = makeSimulator(half, 200);
    const HandleResult ra = a.handleDatagram(BuildDiscoverRequest());
    const HandleResult rb = b.handleDatagram(BuildDiscoverRequest());
    EXPECT_GT(ra.replies.size(), 50u);
    EXPECT_LT(ra.replies.size(), 150u);
    EXPECT_EQ(ra.replies.size() + ra.dropped, 200u);
    ASSERT_EQ(ra.replies.size(), rb.replies.size());
    for (std::size_t i = 0; i < ra.replies.size(); ++i) {
        EXPECT_EQ(ra.replies[i].unit, rb.replies[i].unit);
    }
}

TEST_F(UnitSimulatorTest, NetworkWritesDefaultsAndMacChange)
{
    UnitSimulator sim = makeSimulator({}, 2);
    const auto discover = [&sim](std::size_t unit) {
        return DecodeDiscoveryReply(sim.handleDatagram(BuildDiscoverRequest()).replies.at(unit).datagram);
    };

    // A static address is taken over and announced.
    NetRecord net = sim.units()[0].net;
    net.staticIp = ParseDottedQuad("10.1.2.3");
    net.tail[100] = 0x5A;
    EXPECT_TRUE(sim.handleDatagram(BuildWriteNetRequest(mac(1), net)).replies.empty());
    EXPECT_EQ(sim.units()[0].net, net);
    EXPECT_EQ(discover(0).ipText(), "10.1.2.3");

    // With DHCP the unit keeps the address it has.
    net.ipMode = 0x00;
    net.staticIp = ParseDottedQuad("10.9.9.9");
    sim.handleDatagram(BuildWriteNetRequest(mac(1), net));
    EXPECT_EQ(discover(0).ipText(), "10.1.2.3");

    // A write of the wrong size is not taken.
    Bytes shortNet(NetRecord::kSize - 1, 0);
    EXPECT_FALSE(sim.handleDatagram(BuildHostRequest(HostCommand::HC_WRITE_NET, mac(1), shortNet)).stateChanged);

    // Factory defaults restore the network settings only.
    ParamRecords written;
    written.led.refreshSeconds = 99;
    sim.handleDatagram(ParamRequest(mac(1), kLedWrite, written));
    EXPECT_TRUE(sim.handleDatagram(BuildNetDefaultsRequest(mac(1))).replies.empty());
    EXPECT_EQ(sim.units()[0].net, FactoryNetRecord(1));
    EXPECT_EQ(discover(0).ipText(), "192.168.0.10");
    EXPECT_EQ(sim.units()[0].params.led.refreshSeconds, 99);

    // After a MAC change the unit answers to its new MAC only.
    const MacAddress newMac = {0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F};
    EXPECT_TRUE(sim.handleDatagram(BuildWriteMacRequest(mac(1), newMac)).replies.empty());
    EXPECT_TRUE(sim.handleDatagram(BuildReadNetRequest(mac(1))).replies.empty());
    EXPECT_EQ(sim.handleDatagram(BuildReadNetRequest(newMac)).replies.size(), 1u);
    EXPECT_EQ(discover(0).macText(), "1A2B3C4D5E6F");
    EXPECT_EQ(discover(1).macText(), "023C7A000002");
}

TEST_F(UnitSimulatorTest, FactoryDefaultsCarryChineseTexts)
{
    const SimUnit u = MakeFactoryUnit(1);
    ParamRecords tool;
    const Bytes reply = BuildParamReply(kChannelReadBase, EncodeParamPayload(kChannelReadBase, u.params), 1000);
    ASSERT_EQ(ParseParamFrame(reply, static_cast<std::uint16_t>(reply.size()), tool).code(), kChannelReadBase);
    const ChannelRecord& c = tool.channels[0];
    EXPECT_EQ(Bytes(c.name1.begin(), c.name1.begin() + 4), (Bytes{0xCE, 0xC2, 0xB6, 0xC8})); // 温度
    EXPECT_EQ(Bytes(c.unit1.begin(), c.unit1.begin() + 2), (Bytes{0xA1, 0xE6}));             // ℃
    EXPECT_EQ(FactoryName(2), "二号配电室监控主机");
    EXPECT_EQ(FactoryName(12), "十二号基站监控主机");
    EXPECT_EQ(FactoryName(7, "测试主机"), "测试主机7");
    EXPECT_NE(MakeFactoryUnit(1).params, MakeFactoryUnit(2).params);
}

} // namespace
} // namespace rv::sim
