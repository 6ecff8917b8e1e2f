// SPDX-License-Identifier: MIT
// What the main window and the pages send, what they write to the InfoLog, and the gates that
// refuse them with a message box.

#include "SessionFixture.h"

#include "protocol/ParamFrame.h"

#include <functional>
#include <string>
#include <thread>

namespace rv::test {
namespace {

using RequestTest = SessionFixture;

TEST_F(RequestTest, SearchClearsLogBindsAndBroadcastsDiscovery)
{
    session->infoLog().set("help text\r\n");
    session->OnSearch();

    EXPECT_EQ(fake->bindCount(), 1);
    EXPECT_EQ(fake->sent(), (std::vector<Bytes>{{0xAA, 0x00, 0x01, 0x02, 0x02}}));
    EXPECT_EQ(view.calls, (std::vector<std::string>{"refresh:", "clearDeviceRows", "refresh:搜索...\r\n"}));
}

TEST_F(RequestTest, DoubleClickSelectsMacAndReadsNetworkSettings)
{
    session->infoLog().set("搜索...\r\n搜索到设备\r\n");
    session->OnDblclkDeviceList("1A2B3C4D5E6F");

    EXPECT_EQ(session->selectedMac(), kUnitMac);
    EXPECT_EQ(fake->sent(), (std::vector<Bytes>{{0xAA, 0x00, 0x07, 0x03, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F, 0x9E}}));
    EXPECT_EQ(view.calls, (std::vector<std::string>{"showSelectedMac:1A-2B-3C-4D-5E-6F", "refresh:读取参数...\r\n"}));
    // Selecting is not an answer: the read buttons stay locked until the unit replies.
    EXPECT_EQ(session->m_bUnitSelected.load(), 0);

    view.reset();
    fake->clearSent();
    session->OnDblclkDeviceList(std::nullopt); // no row selected
    EXPECT_TRUE(view.calls.empty());
    EXPECT_EQ(fake->sentCount(), 0U);
    EXPECT_EQ(session->selectedMac(), kUnitMac);
}

struct PageRequest
{
    const char* name;
    std::function<void(Session&)> operation;
    std::uint8_t code;
    std::size_t length; // of the HostFrame
    std::string log;
};

class PageRequestTest : public SessionFixture, public ::testing::WithParamInterface<PageRequest>
{
};

TEST_P(PageRequestTest, SendsParamFrameToSelectedUnitAndSetsLog)
{
    const PageRequest& request = GetParam();
    selectUnit();
    session->m_bBaseRead = 1;
    session->m_bGprsRead = 1;
    session->m_bLedRead = 1;

    request.operation(*session);

    const std::vector<Bytes> sent = fake->sent();
    ASSERT_EQ(sent.size(), 1U);
    EXPECT_EQ(sent[0].size(), request.length);
    EXPECT_EQ(ParamCodeOf(sent[0]), request.code);
    EXPECT_TRUE(std::equal(kUnitMac.begin(), kUnitMac.end(), sent[0].begin() + 4));
    EXPECT_EQ(session->infoLog().text(), request.log);
    EXPECT_EQ(view.refreshes, std::vector<std::string>{request.log});
    EXPECT_TRUE(view.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageRequestTest,
    ::testing::Values(PageRequest{"readBase", [](Session& s) { s.readBase(); }, 1, 15, "读取设备参数...\r\n"},
                      PageRequest{"readGprs", [](Session& s) { s.readGprs(); }, 3, 15, "读取GPRS运行参数...\r\n"},
                      PageRequest{"readLed", [](Session& s) { s.readLed(); }, 150, 15, "读取LED参数...\r\n"},
                      PageRequest{"writeBase", [](Session& s) { s.writeBase(); }, 2, 42, "设置参数... \r\n"},
                      PageRequest{"writeGprs", [](Session& s) { s.writeGprs(); }, 4, 152, "设置GPRS无线参数... \r\n"},
                      PageRequest{"writeLed", [](Session& s) { s.writeLed(); }, 149, 156, "设置LED显示屏参数... \r\n"}),
    [](const auto& tpi) { return std::string(tpi.param.name); });

struct Gate
{
    const char* name;
    std::function<bool(Session&)> operation;
    std::function<void(Session&)> open; // what lets the operation through
    MessageBoxCall box;
};

class GateTest : public SessionFixture, public ::testing::WithParamInterface<Gate>
{
};

TEST_P(GateTest, RefusesWithPageBoxAndSendsNothing)
{
    const Gate& gate = GetParam();
    session->infoLog().set("before\r\n");

    EXPECT_FALSE(gate.operation(*session));
    EXPECT_EQ(view.boxes, std::vector<MessageBoxCall>{gate.box});
    EXPECT_EQ(fake->sentCount(), 0U);
    EXPECT_EQ(session->infoLog().text(), "before\r\n");
    EXPECT_TRUE(view.refreshes.empty());

    view.reset();
    gate.open(*session);
    EXPECT_TRUE(gate.operation(*session));
    EXPECT_TRUE(view.boxes.empty());
}

constexpr const char* kSelectFirst = "请先搜索到设备,双击选中,再读取参数";

void SelectUnit(Session& s)
{
    s.m_bUnitSelected = 1;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, GateTest,
    ::testing::Values(
        Gate{"readBase",
             [](Session& s) { return s.readBase(); },
             SelectUnit,
             {kSelectFirst, "警告", MessageIcon::Warning, MessageOwner::BasePage}},
        Gate{"readGprs",
             [](Session& s) { return s.readGprs(); },
             SelectUnit,
             {kSelectFirst, "警告", MessageIcon::Warning, MessageOwner::GprsPage}},
        Gate{"readLed",
             [](Session& s) { return s.readLed(); },
             SelectUnit,
             {kSelectFirst, "警告", MessageIcon::Warning, MessageOwner::LedPage}},
        Gate{"readChannels",
             [](Session& s) { return s.mayReadBatch(BatchKind::ChannelRead); },
             SelectUnit,
             {kSelectFirst, "警告", MessageIcon::Warning, MessageOwner::ChannelPage}},
        Gate{"readRelays",
             [](Session& s) { return s.mayReadBatch(BatchKind::RelayRead); },
             SelectUnit,
             {kSelectFirst, "警告", MessageIcon::Warning, MessageOwner::RelayPage}},
        Gate{"readSlots",
             [](Session& s) { return s.mayReadBatch(BatchKind::SlotRead); },
             SelectUnit,
             {kSelectFirst, "警告", MessageIcon::Warning, MessageOwner::ModbusPage}},
        Gate{"writeBase",
             [](Session& s) { return s.mayWriteBase(); },
             [](Session& s) { s.m_bBaseRead = 1; },
             {"请先\"读取设备参数\"然后进行修改再进行配置", "提示", MessageIcon::Warning, MessageOwner::BasePage}},
        Gate{"writeGprs",
             [](Session& s) { return s.mayWriteGprs(); },
             [](Session& s) { s.m_bGprsRead = 1; },
             {"请先\"读取GPRS参数\"然后进行修改再进行配置", "提示", MessageIcon::Warning, MessageOwner::GprsPage}},
        Gate{"writeLed",
             [](Session& s) { return s.mayWriteLed(); },
             [](Session& s) { s.m_bLedRead = 1; },
             {"请先\"读取LED显示屏参数\"然后进行修改再进行配置", "提示", MessageIcon::Warning, MessageOwner::LedPage}},
        Gate{"writeChannels",
             [](Session& s) { return s.mayWriteBatch(BatchKind::ChannelWrite); },
             [](Session& s) { s.m_bChannelRead = 1; },
             {"请先读取通道参数，再配置!", "警告", MessageIcon::Warning, MessageOwner::ChannelPage}},
        Gate{"writeRelays",
             [](Session& s) { return s.mayWriteBatch(BatchKind::RelayWrite); },
             [](Session& s) { s.m_bRelayRead = 1; },
             {"请先读取继电器参数，再配置!", "警告", MessageIcon::Warning, MessageOwner::RelayPage}},
        Gate{"writeSlots",
             [](Session& s) { return s.mayWriteBatch(BatchKind::SlotWrite); },
             [](Session& s) { s.m_bModbusRead = 1; },
             {"请先读取ModBus参数，再配置!", "警告", MessageIcon::Warning, MessageOwner::ModbusPage}}),
    [](const auto& tpi) { return std::string(tpi.param.name); });

using NetPageTest = SessionFixture;

TEST_F(NetPageTest, WriteRecordSendsWholeRecordThenTellsUserToVerify)
{
    selectUnit();
    session->netRecord().server1ListenPort = 0x1234;
    session->writeNetRecord();

    const std::vector<Bytes> sent = fake->sent();
    ASSERT_EQ(sent.size(), 1U);
    ASSERT_EQ(sent[0].size(), 303U);
    EXPECT_EQ(sent[0][1], 0x01);
    EXPECT_EQ(sent[0][2], 0x2B);
    EXPECT_EQ(sent[0][3], 4);
    EXPECT_TRUE(std::equal(kUnitMac.begin(), kUnitMac.end(), sent[0].begin() + 4));
    EXPECT_EQ(sent[0][10 + 22], 0x34); // listen port, little-endian at record offset 22
    EXPECT_EQ(view.calls,
              (std::vector<std::string>{"refresh:设置参数... \r\n",
                                        "messageBox:网络参数已下发，请重新搜索设备，双击设备列表来验证是否下发成功"}));
    EXPECT_EQ(view.boxes[0].caption, "提示");
    EXPECT_EQ(view.boxes[0].icon, MessageIcon::None);
    EXPECT_EQ(view.boxes[0].owner, MessageOwner::NetPage);
}

TEST_F(NetPageTest, WriteMacSendsOnlyAValidText)
{
    selectUnit();
    session->writeMac("12:34:56:78:9A:BC");
    EXPECT_EQ(fake->sentCount(), 0U);
    EXPECT_EQ(view.refreshes, std::vector<std::string>{"不合格的MAC地址格式!!!\r\n"});

    session->writeMac("12-34-56-78-9a-bc");
    const std::vector<Bytes> sent = fake->sent();
    ASSERT_EQ(sent.size(), 1U);
    const Bytes expectedHead{0xAA, 0x00, 0x0D, 0x0F, 0x1A, 0x2B, 0x3C, 0x4D,
                             0x5E, 0x6F, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    ASSERT_EQ(sent[0].size(), 17U);
    EXPECT_TRUE(std::equal(expectedHead.begin(), expectedHead.end(), sent[0].begin()));
    EXPECT_EQ(session->infoLog().text(), "写入MAC地址...\r\n");
}

TEST_F(NetPageTest, FactoryResetSendsCommandSix)
{
    selectUnit();
    session->netFactoryReset();
    EXPECT_EQ(fake->sent(), (std::vector<Bytes>{{0xAA, 0x00, 0x07, 0x06, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F, 0xA1}}));
    EXPECT_EQ(view.refreshes, std::vector<std::string>{"恢复出厂设置...\r\n"});
}

using NetworkFailureTest = SessionFixture;

TEST_F(NetworkFailureTest, FailureBoxesAreShownOnTheUserInterfaceThread)
{
    const MessageBoxCall busy{"端口被占用", kAppName, MessageIcon::None, MessageOwner::MainWindow};

    // A failure of a send made on the user-interface thread is shown at once.
    fake->setSendFailure("端口被占用");
    session->OnSearch();
    EXPECT_EQ(view.boxes, std::vector<MessageBoxCall>{busy});

    // One from another thread (the transfer thread's sends) waits for the user-interface thread.
    view.reset();
    std::thread worker([this] { fake->fail("端口被占用"); });
    worker.join();
    EXPECT_TRUE(view.boxes.empty());
    queue.runUntilIdle();
    EXPECT_EQ(view.boxes, std::vector<MessageBoxCall>{busy});
}

TEST_F(NetworkFailureTest, CloseClosesTheInterfaceSockets)
{
    session->close();
    EXPECT_EQ(fake->closeInterfaceCount(), 1);
    EXPECT_TRUE(fake->isOpen());
}

} // namespace
} // namespace rv::test
