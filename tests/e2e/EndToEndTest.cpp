// SPDX-License-Identifier: MIT
// The session with the real UDP endpoint against rvunit-sim, each in a network namespace of its
// own on one bridged segment: real broadcasts to 255.255.255.255:1901, replies either to the
// sender's address (they arrive on an interface socket) or by broadcast (they arrive on the main
// socket). Skipped where network namespaces cannot be made.

#include "net/EventQueue.h"
#include "net/Session.h"
#include "net/UdpEndpoint.h"
#include "protocol/TextConv.h"
#include "sim/SimUnit.h"
#include "sim/StateFile.h"
#include "support/Netns.h"
#include "support/RecordingView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace rv::test {
namespace {

using namespace std::chrono_literals;
using sim::SimUnit;

// Only reached when something is lost; the tests never measure time.
constexpr auto kSafetyNet = 20s;

struct RunningUnits
{
    std::vector<SimUnit> units; // as they started
    std::string statePath;
    std::unique_ptr<NetnsProcess> process;
};

std::size_t countLinesFrom(const std::string& log, const std::string& source)
{
    std::istringstream in(log);
    std::size_t n = 0;
    for (std::string line; std::getline(in, line);) {
        n += line.rfind(source + " ", 0) == 0 ? 1 : 0;
    }
    return n;
}

class EndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (auto why = NetnsUnavailable()) {
            GTEST_SKIP() << *why;
        }
        m_lab = std::make_unique<NetnsLab>();
        ASSERT_TRUE(m_lab->ok()) << m_lab->error();
        m_pc = m_lab->addNamespace("pc");
        ASSERT_TRUE(m_lab->connect(m_pc, "eth0", "10.77.0.1/24")) << m_lab->error();
    }

    // A namespace at address cidr running rvunit-sim with the factory units of the given numbers.
    RunningUnits& startUnits(const std::string& cidr, const std::vector<std::uint32_t>& numbers,
                             const std::vector<std::string>& options)
    {
        const std::string tag = "units" + std::to_string(m_units.size());
        const std::string ns = m_lab->addNamespace(tag);
        // The default route lets the simulator's wildcard socket send limited broadcasts.
        EXPECT_TRUE(m_lab->connect(ns, "eth0", cidr, true)) << m_lab->error();

        RunningUnits& running = m_units.emplace_back();
        for (std::uint32_t n : numbers) {
            running.units.push_back(sim::MakeFactoryUnit(n));
        }
        const std::string loadPath = m_lab->tempPath(tag + "-start.json");
        running.statePath = m_lab->tempPath(tag + ".json");
        std::string error;
        EXPECT_TRUE(sim::SaveStateFile(loadPath, running.units, error)) << error;

        std::vector<std::string> args{"--load", loadPath, "--state", running.statePath};
        args.insert(args.end(), options.begin(), options.end());
        running.process = std::make_unique<NetnsProcess>(ns, RV_SIM_PATH, args);
        EXPECT_TRUE(running.process->waitForOutput("replies to", kSafetyNet)) << running.process->output();
        return running;
    }

    // The tool's side: this thread enters the PC's namespace, so the endpoint's sockets (made on
    // this thread by start() and by every search) and its threads belong to it.
    void startTool()
    {
        m_scope = std::make_unique<NetnsScope>(m_pc);
        ASSERT_TRUE(m_scope->ok()) << m_scope->error();
        m_session = std::make_unique<Session>(m_view, std::make_unique<UdpEndpoint>());
        m_session->start();
    }

    void TearDown() override
    {
        m_session.reset();
        m_scope.reset();
        for (RunningUnits& running : m_units) {
            running.process->stop();
        }
    }

    bool runUntil(const std::function<bool()>& pred) { return m_queue.runUntil(pred, kSafetyNet); }

    std::vector<SimUnit> savedState(RunningUnits& running)
    {
        EXPECT_EQ(running.process->stop(), 0) << running.process->output();
        std::string error;
        auto units = sim::LoadStateFile(running.statePath, error);
        EXPECT_TRUE(units.has_value()) << error;
        return units.value_or(std::vector<SimUnit>{});
    }

    // Search, then select the unit with this MAC and wait for its network settings.
    void searchAndSelect(const MacAddress& mac, std::size_t expectedRows)
    {
        m_session->OnSearch();
        ASSERT_TRUE(runUntil([&] { return m_view.deviceRows.size() >= expectedRows; }));
        m_session->OnDblclkDeviceList(FormatMacPlain(mac));
        ASSERT_TRUE(runUntil([&] { return m_session->m_bUnitSelected != 0; }));
    }

    std::unique_ptr<NetnsLab> m_lab;
    std::string m_pc;
    std::vector<RunningUnits> m_units;
    std::unique_ptr<NetnsScope> m_scope;
    EventQueue m_queue;
    RecordingView m_view{m_queue};
    std::unique_ptr<Session> m_session;
};

TEST_F(EndToEnd, SearchListsUnitsAnsweringTheSenderAndByBroadcastAndSelectsEach)
{
    startUnits("10.77.0.11/24", {1}, {"--reply-to", "sender"});
    startUnits("10.77.0.12/24", {2, 3}, {"--reply-to", "broadcast"});
    startTool();

    m_session->OnSearch();
    ASSERT_TRUE(runUntil([&] { return m_view.deviceRows.size() >= 3; }));
    m_queue.runFor(100ms); // a duplicate row would show up now
    std::set<std::string> rows;
    for (const DeviceRecord& d : m_view.deviceRows) {
        rows.insert(d.ipText() + " " + d.name + " " + d.macText() + " " + d.firmwareText());
    }
    std::set<std::string> expected;
    for (const RunningUnits& running : m_units) {
        for (const SimUnit& u : running.units) {
            expected.insert(FormatDottedQuad(u.ip) + " " + u.name + " " + FormatMacPlain(u.mac) + " " +
                            FormatInt(u.firmware));
        }
    }
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(m_view.deviceRows.size(), 3u);
    EXPECT_EQ(m_session->infoLog().text(), "搜索...\r\n搜索到设备\r\n搜索到设备\r\n搜索到设备\r\n");

    // A unit that answers by broadcast, then one that answers the sender.
    for (const SimUnit* unit : {&m_units[1].units[1], &m_units[0].units[0]}) {
        SCOPED_TRACE(unit->name);
        m_session->OnDblclkDeviceList(FormatMacPlain(unit->mac));
        EXPECT_EQ(m_view.selectedMacs.back(), FormatMacDashed(unit->mac));
        ASSERT_TRUE(runUntil([&] { return m_session->infoLog().text() == "读取参数...\r\n读取网络参数成功！\r\n"; }));
        EXPECT_EQ(m_session->m_bUnitSelected.load(), 1);
        EXPECT_EQ(m_session->netRecord(), unit->net);
        EXPECT_EQ(m_view.lastNet, unit->net);
    }
    EXPECT_TRUE(m_view.boxes.empty());
}

TEST_F(EndToEnd, BaseSettingsWrittenReachTheUnitAndReadBack)
{
    RunningUnits& units = startUnits("10.77.0.11/24", {7}, {"--reply-to", "sender"});
    const SimUnit& unit = units.units[0];
    startTool();
    searchAndSelect(unit.mac, 1);

    ASSERT_TRUE(m_session->readBase());
    ASSERT_TRUE(runUntil([&] { return m_session->m_bBaseRead != 0; }));
    EXPECT_EQ(m_session->records().base, unit.params.base);

    BaseRecord changed = unit.params.base;
    changed.loginInterval = 4321;
    changed.channelCount = 17;
    changed.terminalAddress = 0x12345678;
    changed.longitude = 116.375f;
    ASSERT_NE(changed, unit.params.base);
    m_session->records().base = changed;
    ASSERT_TRUE(m_session->mayWriteBase());
    m_session->writeBase();
    ASSERT_TRUE(runUntil([&] { return m_session->infoLog().text() == "设置参数... \r\n下载设备参数成功！\r\n"; }));

    m_session->records().base = BaseRecord{};
    ASSERT_TRUE(m_session->readBase());
    ASSERT_TRUE(runUntil([&] { return m_session->infoLog().text() == "读取设备参数...\r\n读取设备参数成功！\r\n"; }));
    EXPECT_EQ(m_session->records().base, changed);

    const std::vector<SimUnit> saved = savedState(units);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].params.base, changed);
    EXPECT_TRUE(m_view.boxes.empty());
}

// Replies by broadcast here, so the whole batch comes in on the main socket.
TEST_F(EndToEnd, AllChannelsReadAndWrittenBackInBatches)
{
    RunningUnits& units = startUnits("10.77.0.11/24", {4}, {"--reply-to", "broadcast", "--reply-command", "11"});
    const SimUnit& unit = units.units[0];
    startTool();
    searchAndSelect(unit.mac, 1);

    const auto runBatch = [&](BatchKind kind, const std::string& done) {
        const auto before = std::count(m_view.progress.begin(), m_view.progress.end(), done);
        ASSERT_TRUE(m_session->armBatch(kind));
        ASSERT_TRUE(runUntil([&] { return std::count(m_view.progress.begin(), m_view.progress.end(), done) > before; }))
            << (m_view.progress.empty() ? std::string() : m_view.progress.back());
    };

    runBatch(BatchKind::ChannelRead, "---通道参数读取成功!---");
    // The read flag follows the summary text.
    ASSERT_TRUE(runUntil([&] { return m_session->m_bChannelRead != 0; }));
    EXPECT_EQ(m_session->m_dwChanReadDone.load(), 0xFFFFFFFFu);
    EXPECT_EQ(m_session->records().channels, unit.params.channels);
    EXPECT_EQ(m_session->infoLog().text(), ""); // emptied by record 1, no failure lines

    ChannelTable changed = unit.params.channels;
    for (std::size_t i = 0; i < changed.size(); ++i) {
        ChannelRecord& c = changed[i];
        c.alarmDelay = static_cast<std::uint16_t>(900 + i);
        c.upper1 = 10.5f * static_cast<float>(i);
        c.relayUpper1 = static_cast<std::uint8_t>(i % 9);
        const std::string name = "E2E-" + std::to_string(i + 1);
        c.name1.fill(0);
        std::copy(name.begin(), name.end(), c.name1.begin());
    }
    ASSERT_NE(changed, unit.params.channels);
    m_session->records().channels = changed;
    ASSERT_TRUE(m_session->mayWriteBatch(BatchKind::ChannelWrite));
    runBatch(BatchKind::ChannelWrite, "---通道参数写入成功!---");
    EXPECT_EQ(m_session->m_dwChanWriteDone.load(), 0xFFFFFFFFu);

    m_session->records().channels = ChannelTable{};
    runBatch(BatchKind::ChannelRead, "---通道参数读取成功!---");
    EXPECT_EQ(m_session->records().channels, changed);

    const std::vector<SimUnit> saved = savedState(units);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].params.channels, changed);
    EXPECT_TRUE(m_view.boxes.empty());
}

// A PC with two addresses on the LAN sends every request once from each; the unit answers each
// copy, so one unit gives two rows.
TEST_F(EndToEnd, TwoInterfacesSendEveryRequestOncePerInterface)
{
    ASSERT_TRUE(m_lab->connect(m_pc, "eth1", "10.77.0.2/24")) << m_lab->error();
    RunningUnits& units = startUnits("10.77.0.11/24", {5}, {"--reply-to", "sender", "--verbose"});
    const SimUnit& unit = units.units[0];
    startTool();
    EXPECT_EQ(m_session->firstLocalAddress(), "10.77.0.1");

    searchAndSelect(unit.mac, 2);
    m_queue.runFor(100ms);
    ASSERT_EQ(m_view.deviceRows.size(), 2u);
    EXPECT_EQ(m_view.deviceRows[0].mac, unit.mac);
    EXPECT_EQ(m_view.deviceRows[1].mac, unit.mac);
    EXPECT_EQ(m_session->netRecord(), unit.net);

    // Discovery and the network-settings read, once from each address.
    NetnsProcess& sim = *units.process;
    EXPECT_TRUE(sim.waitUntil(
        [](const std::string& log) {
            return countLinesFrom(log, "10.77.0.1:1901") >= 2 && countLinesFrom(log, "10.77.0.2:1901") >= 2;
        },
        kSafetyNet));
    const std::string log = sim.output();
    EXPECT_EQ(countLinesFrom(log, "10.77.0.1:1901"), 2u) << log;
    EXPECT_EQ(countLinesFrom(log, "10.77.0.2:1901"), 2u) << log;
}

} // namespace
} // namespace rv::test
