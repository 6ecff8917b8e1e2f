// SPDX-License-Identifier: MIT
// The reply dispatch: every routing row of a ParamFrame result, the network-settings and discovery
// replies, and the replies that are ignored.

#include "SessionFixture.h"

#include "protocol/DeviceRecord.h"
#include "protocol/ParamFrame.h"

#include <atomic>
#include <optional>
#include <string>
#include <tuple>

namespace rv::test {
namespace {

constexpr std::uint32_t Bit(unsigned i)
{
    return std::uint32_t{1} << i;
}

struct DoneBit
{
    BatchKind kind;
    std::uint32_t mask;
};

struct RouteCase
{
    std::uint8_t code;
    std::optional<ShowCall> show;
    std::atomic<std::uint8_t> Session::*flag; // set to 1 by the reply, or nullptr
    std::optional<DoneBit> done;
    std::string text; // appended to the InfoLog
};

const RouteCase kRoutes[] = {
    {1, ShowCall{"base", 0}, &Session::m_bBaseRead, std::nullopt, "读取设备参数成功！\r\n"},
    {2, std::nullopt, nullptr, std::nullopt, "下载设备参数成功！\r\n"},
    {3, ShowCall{"gprs", 0}, &Session::m_bGprsRead, std::nullopt, "读取GPRS无线参数成功！\r\n"},
    {4, std::nullopt, nullptr, std::nullopt, "下载GPRS无线参数成功！\r\n"},
    {5, ShowCall{"channel", 0}, nullptr, DoneBit{BatchKind::ChannelRead, Bit(0)}, ""},
    {36, ShowCall{"channel", 31}, nullptr, DoneBit{BatchKind::ChannelRead, Bit(31)}, ""},
    {37, std::nullopt, nullptr, DoneBit{BatchKind::ChannelWrite, Bit(0)}, ""},
    {68, std::nullopt, nullptr, DoneBit{BatchKind::ChannelWrite, Bit(31)}, ""},
    {69, ShowCall{"relay", 0}, nullptr, DoneBit{BatchKind::RelayRead, Bit(0)}, ""},
    {76, ShowCall{"relay", 7}, nullptr, DoneBit{BatchKind::RelayRead, Bit(7)}, ""},
    {77, std::nullopt, nullptr, DoneBit{BatchKind::RelayWrite, Bit(0)}, ""},
    {84, std::nullopt, nullptr, DoneBit{BatchKind::RelayWrite, Bit(7)}, ""},
    {85, ShowCall{"slot", 0}, nullptr, DoneBit{BatchKind::SlotRead, Bit(0)}, ""},
    {116, ShowCall{"slot", 31}, nullptr, DoneBit{BatchKind::SlotRead, Bit(31)}, ""},
    {117, std::nullopt, nullptr, DoneBit{BatchKind::SlotWrite, Bit(0)}, ""},
    {148, std::nullopt, nullptr, DoneBit{BatchKind::SlotWrite, Bit(31)}, ""},
    {149, std::nullopt, nullptr, std::nullopt, "下载LED屏参数成功！\r\n"},
    {150, ShowCall{"led", 0}, &Session::m_bLedRead, std::nullopt, "读取LED屏参数成功！\r\n"},
    {200, std::nullopt, nullptr, std::nullopt, ""}, // valid frame, code outside the table
};

constexpr BatchKind kAllKinds[] = {BatchKind::ChannelRead, BatchKind::ChannelWrite, BatchKind::RelayRead,
                                   BatchKind::RelayWrite,  BatchKind::SlotRead,     BatchKind::SlotWrite};

class RoutingTest : public SessionFixture, public ::testing::WithParamInterface<std::tuple<RouteCase, int>>
{
};

TEST_P(RoutingTest, RoutesResultCode)
{
    const auto& [route, hostCommand] = GetParam();
    ParamRecords unitRecords;
    unitRecords.channels[31].alarmDelay = 4321;
    unitRecords.relays[7].duration = 77;
    unitRecords.led.panelWidth = 640;
    session->infoLog().set("读取参数...\r\n");

    // A page must already show the record when the transfer thread learns that it is done.
    bool doneBeforeShow = false;
    view.onShow = [&](const ShowCall&) {
        if (route.done) {
            doneBeforeShow = (session->doneMask(route.done->kind).load() & route.done->mask) != 0;
        }
    };

    receive(ParamReplyDatagram(route.code, unitRecords, kGoodVersion, static_cast<std::uint8_t>(hostCommand)));

    if (route.show) {
        EXPECT_EQ(view.shows, std::vector<ShowCall>{*route.show});
    } else {
        EXPECT_TRUE(view.shows.empty());
    }
    EXPECT_FALSE(doneBeforeShow);
    for (BatchKind kind : kAllKinds) {
        const std::uint32_t expected = route.done && route.done->kind == kind ? route.done->mask : 0;
        EXPECT_EQ(session->doneMask(kind).load(), expected) << "kind " << static_cast<int>(kind);
    }
    for (auto flag : {&Session::m_bBaseRead, &Session::m_bGprsRead, &Session::m_bLedRead, &Session::m_bChannelRead,
                      &Session::m_bRelayRead, &Session::m_bModbusRead}) {
        EXPECT_EQ(((*session).*flag).load(), flag == route.flag ? 1 : 0);
    }
    const std::string log = "读取参数...\r\n" + route.text;
    EXPECT_EQ(session->infoLog().text(), log);
    EXPECT_EQ(view.refreshes, std::vector<std::string>{log}); // one refresh, at the end
    EXPECT_TRUE(view.boxes.empty());
    // Read replies land in the session's records before the page is told.
    EXPECT_EQ(session->records().channels[31].alarmDelay, route.code == 36 ? 4321 : 0);
    EXPECT_EQ(session->records().led.panelWidth, route.code == 150 ? 640 : 0);
}

INSTANTIATE_TEST_SUITE_P(Codes, RoutingTest,
                         ::testing::Combine(::testing::ValuesIn(kRoutes), ::testing::Values(10, 11)),
                         [](const auto& tpi) {
                             return "code" + std::to_string(std::get<0>(tpi.param).code) + "_cmd" +
                                    std::to_string(std::get<1>(tpi.param));
                         });

using DispatchTest = SessionFixture;

TEST_F(DispatchTest, IgnoredRepliesStillRefreshExceptEmptyCarrier)
{
    session->infoLog().set("x\r\n");
    const Bytes valid = ParamReplyDatagram(1, ParamRecords{});

    Bytes emptyCarrier = valid;
    emptyCarrier[1] = 0;
    emptyCarrier[2] = 0;
    receive(emptyCarrier);
    EXPECT_TRUE(view.refreshes.empty());
    EXPECT_EQ(session->m_bBaseRead.load(), 0);

    Bytes badCheck = valid;
    badCheck[badCheck.size() - 2] ^= 0x01; // the ParamFrame's check, just before the host sum
    const struct
    {
        const char* what;
        Bytes datagram;
    } ignored[] = {
        {"our own request", {0xAA, 0x00, 0x01, 0x02, 0x02}},
        {"write-net echo", BuildHostReply(4, kUnitMac, {})},
        {"mac-write echo", BuildHostReply(15, kUnitMac, {})},
        {"bad ParamFrame check", badCheck},
    };
    for (const auto& c : ignored) {
        view.reset();
        receive(c.datagram);
        EXPECT_EQ(view.refreshes, std::vector<std::string>{"x\r\n"}) << c.what;
        EXPECT_TRUE(view.shows.empty()) << c.what;
        EXPECT_TRUE(view.boxes.empty()) << c.what;
    }
    EXPECT_EQ(session->m_bUnitSelected.load(), 0);
    EXPECT_EQ(session->m_bBaseRead.load(), 0);
}

TEST_F(DispatchTest, NetworkSettingsReplySelectsUnitWithoutDoubleClick)
{
    session->infoLog().set("搜索...\r\n");
    Bytes payload(NetRecord::kSize);
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<std::uint8_t>(i + 1);
    }
    receive(BuildHostReply(3, kUnitMac, payload));

    EXPECT_EQ(session->m_bUnitSelected.load(), 1);
    EXPECT_EQ(view.shows, (std::vector<ShowCall>{{"net", 0}}));
    EXPECT_EQ(view.lastNet, session->netRecord());
    Bytes encoded;
    ByteWriter writer(encoded);
    session->netRecord().encode(writer);
    EXPECT_EQ(encoded, payload);
    EXPECT_EQ(view.refreshes, std::vector<std::string>{"搜索...\r\n读取网络参数成功！\r\n"});

    // A shorter reply reads its missing bytes as zero, never as the previous reply's.
    Bytes shortReply = BuildHostReply(3, kUnitMac, payload);
    shortReply.resize(kHostPayloadOffset + 7);
    receive(shortReply);
    encoded.clear();
    session->netRecord().encode(writer);
    Bytes expected(NetRecord::kSize, 0);
    std::copy_n(payload.begin(), 7, expected.begin());
    EXPECT_EQ(encoded, expected);
}

TEST_F(DispatchTest, DiscoveryReplyAddsRowOnTop)
{
    DeviceRecord first;
    first.ip = 0xC0A80009; // 192.168.0.9
    first.mac = kUnitMac;
    first.firmware = 302;
    first.name = "unit-a";
    DeviceRecord second = first;
    second.mac[5] = 0x70;

    receive(EncodeDiscoveryReply(first));
    receive(EncodeDiscoveryReply(second));

    ASSERT_EQ(view.deviceRows.size(), 2U);
    EXPECT_EQ(view.deviceRows[0].macText(), "1A2B3C4D5E70");
    EXPECT_EQ(view.deviceRows[1].ipText(), "192.168.0.9");
    EXPECT_EQ(view.deviceRows[1].firmwareText(), "302");
    EXPECT_EQ(view.deviceRows[1].name, "unit-a");
    EXPECT_EQ(view.refreshes.back(), "搜索到设备\r\n搜索到设备\r\n");
}

TEST_F(DispatchTest, VersionGateStopsAllBatchesWithItsBox)
{
    for (BatchKind kind : kAllKinds) {
        ASSERT_TRUE(session->armBatch(kind));
    }
    receive(ParamReplyDatagram(kBaseRead, ParamRecords{}, 702));

    for (BatchKind kind : kAllKinds) {
        EXPECT_EQ(session->pendingMask(kind).load(), 0U);
    }
    EXPECT_EQ(view.boxes, (std::vector<MessageBoxCall>{{"此版本设备不能使用该软件,请使用其他版本软件", "警告",
                                                        MessageIcon::Question, MessageOwner::MainWindow}}));
    EXPECT_EQ(session->m_bBaseRead.load(), 0);
    EXPECT_TRUE(view.shows.empty());
    EXPECT_FALSE(view.refreshes.empty());
    // Every refused reply shows its own box.
    receive(ParamReplyDatagram(kChannelReadBase, ParamRecords{}, 1100));
    EXPECT_EQ(view.boxes.size(), 2U);
}

} // namespace
} // namespace rv::test
