// SPDX-License-Identifier: MIT
// The transfer thread against a fake unit: complete batches, records that never answer, the
// version gate in the middle of a batch, and batches armed while others run.

#include "SessionFixture.h"

#include "protocol/ParamFrame.h"

#include <numeric>
#include <string>

namespace rv::test {
namespace {

std::vector<std::uint8_t> Codes(std::uint8_t first, std::size_t count)
{
    std::vector<std::uint8_t> codes(count);
    std::iota(codes.begin(), codes.end(), first);
    return codes;
}

struct BatchCase
{
    const char* name;
    BatchKind kind;
    std::uint8_t firstCode;
    std::size_t records;
    std::uint32_t full;
    std::atomic<std::uint8_t> Session::*readFlag; // nullptr for writes
    std::string firstProgress;
    std::string firstSuccess;
    std::string summary;
};

const BatchCase kBatches[] = {
    {"ChannelRead", BatchKind::ChannelRead, 5, 32, 0xFFFFFFFF, &Session::m_bChannelRead, "正在读取通道1参数",
     "通道1参数读取成功!", "---通道参数读取成功!---"},
    {"ChannelWrite", BatchKind::ChannelWrite, 37, 32, 0xFFFFFFFF, nullptr, "正在写入通道1参数", "通道1参数写入成功!",
     "---通道参数写入成功!---"},
    {"RelayRead", BatchKind::RelayRead, 69, 8, 0xFF, &Session::m_bRelayRead, "正在读取继电器1参数",
     "正在读取继电器1参数", "---继电器参数读取成功!---"},
    {"RelayWrite", BatchKind::RelayWrite, 77, 8, 0xFF, nullptr, "正在写入继电器1参数", "正在写入继电器1参数",
     "---继电器参数写入成功!---"},
    {"SlotRead", BatchKind::SlotRead, 85, 32, 0xFFFFFFFF, &Session::m_bModbusRead, "正在读取ModBus1参数",
     "正在读取ModBus1参数", "---ModBus参数读取成功!---"},
    {"SlotWrite", BatchKind::SlotWrite, 117, 32, 0xFFFFFFFF, nullptr, "正在写入ModBus1参数", "正在写入ModBus1参数",
     "---ModBus参数写入成功!---"},
};

class CompleteBatchTest : public SessionFixture, public ::testing::WithParamInterface<BatchCase>
{
};

TEST_P(CompleteBatchTest, SendsEveryRecordOnceInOrder)
{
    const BatchCase& batch = GetParam();
    answerFromUnit();
    selectUnit();
    session->infoLog().set("读取参数...\r\n读取网络参数成功！\r\n");

    ASSERT_TRUE(session->armBatch(batch.kind));
    ASSERT_TRUE(runUntilProgress(batch.summary));

    EXPECT_EQ(fake->paramCodesSent(), Codes(batch.firstCode, batch.records));
    EXPECT_EQ(session->doneMask(batch.kind).load(), batch.full);
    EXPECT_EQ(session->pendingMask(batch.kind).load(), 0U);
    if (batch.readFlag != nullptr) {
        EXPECT_EQ(((*session).*batch.readFlag).load(), 1);
    }
    EXPECT_EQ(session->infoLog().text(), ""); // emptied when record 1 was sent
    // Progress after each send, the record's text after each reply, then the summary.
    ASSERT_EQ(view.progress.size(), 2 * batch.records + 1);
    EXPECT_EQ(view.progress[0], batch.firstProgress);
    EXPECT_EQ(view.progress[1], batch.firstSuccess);
    EXPECT_EQ(view.progress.back(), batch.summary);
    EXPECT_TRUE(view.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, CompleteBatchTest, ::testing::ValuesIn(kBatches),
                         [](const auto& tpi) { return std::string(tpi.param.name); });

using BatchTest = SessionFixture;

TEST_F(BatchTest, ChannelReadShowsEveryChannelBeforeTheSummary)
{
    answerFromUnit();
    selectUnit();

    ASSERT_TRUE(session->armBatch(BatchKind::ChannelRead));
    ASSERT_TRUE(runUntilProgress("---通道参数读取成功!---"));

    std::vector<ShowCall> expected;
    for (std::size_t i = 0; i < kChannelCount; ++i) {
        expected.push_back({"channel", i});
    }
    EXPECT_EQ(view.shows, expected);
}

TEST_F(BatchTest, WriteBatchSendsTheTableAndMacOfItsArming)
{
    answerFromUnit();
    selectUnit();
    for (std::size_t i = 0; i < kRelayCount; ++i) {
        session->records().relays[i] = RelayRecord{2, static_cast<std::uint16_t>(i + 10), 300};
    }
    const RelayTable armed = session->records().relays;

    ASSERT_TRUE(session->armBatch(BatchKind::RelayWrite));
    // Changes after arming (a reply, another page's store, another selection) do not reach the
    // batch that is already on its way.
    session->records().relays[7].duration = 1;
    session->OnDblclkDeviceList("000000000001");
    ASSERT_TRUE(runUntilProgress("---继电器参数写入成功!---"));

    EXPECT_EQ(unit.records().relays, armed);
}

TEST_F(BatchTest, ArmingARunningKindDoesNothing)
{
    selectUnit(); // the unit never answers
    ASSERT_TRUE(session->armBatch(BatchKind::ChannelRead));
    ASSERT_TRUE(fake->waitForSent(1, 10s));
    session->m_dwChanReadDone = 0x1; // a reply for channel 1 has come in

    EXPECT_FALSE(session->armBatch(BatchKind::ChannelRead));
    EXPECT_EQ(session->m_dwChanReadDone.load(), 0x1U);
    EXPECT_NE(session->m_dwChanReadPending.load(), 0U);
    EXPECT_TRUE(session->armBatch(BatchKind::RelayRead)); // another kind is queued
    // The session ends while the batch waits: the thread stops at once.
    session.reset();
}

TEST_F(BatchTest, BatchArmedWhileAnotherRunsWaitsItsTurn)
{
    answerFromUnit();
    selectUnit();

    ASSERT_TRUE(session->armBatch(BatchKind::ChannelWrite));
    ASSERT_TRUE(session->armBatch(BatchKind::RelayRead)); // the channel write cannot end before the queue runs
    ASSERT_TRUE(runUntilProgress("---继电器参数读取成功!---"));

    std::vector<std::uint8_t> expected = Codes(kChannelWriteBase, kChannelCount);
    const std::vector<std::uint8_t> relays = Codes(kRelayReadBase, kRelayCount);
    expected.insert(expected.end(), relays.begin(), relays.end());
    EXPECT_EQ(fake->paramCodesSent(), expected);
    EXPECT_TRUE(view.hasProgress("---通道参数写入成功!---"));
}

// Short poll intervals so that records that never answer run their four attempts in a moment
// (801 polls of 200 µs for a channel, of 10 × 50 µs for a relay), while the answered records still
// have ample time for their replies.
class SilentChannelTest : public SessionFixture
{
protected:
    SilentChannelTest() : SessionFixture(200us) {}
};

class SilentRelayTest : public SessionFixture
{
protected:
    SilentRelayTest() : SessionFixture(50us) {}
};

TEST_F(SilentRelayTest, RelayGivenUpAfterFourSendsKeepsReadFlag)
{
    unit.silence(kRelayReadBase + 2); // relay 3
    answerFromUnit();
    selectUnit();
    session->m_bRelayRead = 1;         // read completely once before
    session->m_dwRelayReadDone = 0xFF; // left over from that batch: must not count now

    ASSERT_TRUE(session->armBatch(BatchKind::RelayRead));
    ASSERT_TRUE(runUntilProgress("继电器参数读取失败......"));

    EXPECT_EQ(fake->paramCodesSent(), (std::vector<std::uint8_t>{69, 70, 71, 71, 71, 71, 72, 73, 74, 75, 76}));
    EXPECT_EQ(session->infoLog().text(), "读取继电器3参数失败\r\n");
    EXPECT_EQ(view.refreshes.back(), "读取继电器3参数失败\r\n");
    EXPECT_EQ(session->m_dwRelayReadDone.load(), 0xFBU);
    EXPECT_EQ(session->m_dwRelayReadPending.load(), 0U);
    EXPECT_EQ(session->m_bRelayRead.load(), 1);
    EXPECT_EQ(view.progress.back(), "继电器参数读取失败......");
}

TEST_F(SilentChannelTest, ChannelGivenUpClearsChannelReadFlag)
{
    unit.silence(kChannelReadBase); // channel 1
    answerFromUnit();
    selectUnit();
    session->m_bChannelRead = 1;
    session->m_dwChanReadDone = 0xFFFFFFFF; // left over from the previous batch

    ASSERT_TRUE(session->armBatch(BatchKind::ChannelRead));
    ASSERT_TRUE(runUntilProgress("通道参数读取失败......"));

    std::vector<std::uint8_t> expected{5, 5, 5, 5};
    const std::vector<std::uint8_t> rest = Codes(6, 31);
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(fake->paramCodesSent(), expected);
    EXPECT_EQ(session->infoLog().text(), "通道1参数读取失败\r\n");
    EXPECT_EQ(session->m_dwChanReadDone.load(), 0xFFFFFFFEU);
    EXPECT_EQ(session->m_bChannelRead.load(), 0);
}

TEST_F(BatchTest, VersionMismatchStopsSlotWriteBatch)
{
    unit.answerWithVersion(kSlotWriteBase + 4, 702); // slot 5 comes from a unit too old
    answerFromUnit();
    selectUnit();

    ASSERT_TRUE(session->armBatch(BatchKind::SlotWrite));
    ASSERT_TRUE(runUntilProgress("ModBus参数写入失败......"));

    EXPECT_EQ(fake->paramCodesSent(), Codes(kSlotWriteBase, 5)); // slot 5 once, nothing after it
    EXPECT_EQ(view.boxes, (std::vector<MessageBoxCall>{{"此版本设备不能使用该软件,请使用其他版本软件", "警告",
                                                        MessageIcon::Question, MessageOwner::MainWindow}}));
    EXPECT_EQ(session->m_dwModbusWritePending.load(), 0U);
    EXPECT_EQ(session->m_dwModbusWriteDone.load(), 0xFU);
    EXPECT_EQ(session->infoLog().text(), "");
    // The kind is idle again and can be armed anew.
    EXPECT_TRUE(session->armBatch(BatchKind::SlotWrite));
}

TEST_F(BatchTest, CancelledBatchArmedAnewStartsOverWithoutOldSummary)
{
    unit.silence(kSlotWriteBase); // slot 1 gets no answer the first time
    answerFromUnit();
    selectUnit();
    ASSERT_TRUE(session->armBatch(BatchKind::SlotWrite));
    ASSERT_TRUE(fake->waitForSent(1, 10s));

    // The batch is cancelled (as by the version gate) and, before the thread has looked again,
    // the user arms a new one against a unit that now answers.
    session->m_dwModbusWritePending = 0;
    unit.unsilence(kSlotWriteBase);
    ASSERT_TRUE(session->armBatch(BatchKind::SlotWrite));
    ASSERT_TRUE(runUntilProgress("---ModBus参数写入成功!---"));

    std::vector<std::uint8_t> expected{kSlotWriteBase};
    const std::vector<std::uint8_t> all = Codes(kSlotWriteBase, kModbusSlotCount);
    expected.insert(expected.end(), all.begin(), all.end());
    EXPECT_EQ(fake->paramCodesSent(), expected);
    EXPECT_FALSE(view.hasProgress("ModBus参数写入失败......"));
}

} // namespace
} // namespace rv::test
