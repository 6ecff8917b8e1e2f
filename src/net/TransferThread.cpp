// SPDX-License-Identifier: MIT
// TransferThread: serves the multi-record batches (channels, relays, ModBus slots), one record at
// a time. A page arms a batch by setting its pending mask; the dispatch on the user-interface
// thread sets a done bit for every accepted reply; this thread sends, waits for the done bit,
// retries, gives up, and reports through the progress box and the InfoLog.
//
// The unit's timing is counted in poll intervals: one attempt lasts 801 intervals (1 ms each for
// channels, 10 ms for relays and slots). Instead of sleeping and testing the bit 801 times, the
// thread waits on a condition variable for that long; the dispatch, the arming of a batch, the
// version gate and the shutdown wake it.

#include "net/Session.h"

#include <string>
#include <string_view>

namespace rv {

namespace {

struct BatchPlan
{
    std::size_t records;
    std::uint8_t baseCode; // sub-command of record 0
    int pollUnits;         // poll interval of this kind, in SessionOptions::pollInterval units
    // Texts; %d is the record number.
    std::string_view progress;      // after sending
    std::string_view recordSuccess; // after the reply
    std::string_view recordFailure; // appended to the InfoLog when the record is given up
    std::string_view batchSuccess;
    std::string_view batchFailure;
};

// In the order of BatchKind, which is also the order in which pending batches are served.
constexpr BatchPlan kPlans[] = {
    {kChannelCount, kChannelReadBase, 1, "正在读取通道%d参数", "通道%d参数读取成功!", "通道%d参数读取失败\r\n",
     "---通道参数读取成功!---", "通道参数读取失败......"},
    {kChannelCount, kChannelWriteBase, 1, "正在写入通道%d参数", "通道%d参数写入成功!", "通道%d参数写入失败\r\n",
     "---通道参数写入成功!---", "通道参数写入失败......"},
    {kRelayCount, kRelayReadBase, 10, "正在读取继电器%d参数", "正在读取继电器%d参数", "读取继电器%d参数失败\r\n",
     "---继电器参数读取成功!---", "继电器参数读取失败......"},
    {kRelayCount, kRelayWriteBase, 10, "正在写入继电器%d参数", "正在写入继电器%d参数", "写入继电器%d参数失败\r\n",
     "---继电器参数写入成功!---", "继电器参数写入失败......"},
    {kModbusSlotCount, kSlotReadBase, 10, "正在读取ModBus%d参数", "正在读取ModBus%d参数", "读取ModBus%d参数失败\r\n",
     "---ModBus参数读取成功!---", "ModBus参数读取失败......"},
    {kModbusSlotCount, kSlotWriteBase, 10, "正在写入ModBus%d参数", "正在写入ModBus%d参数", "写入ModBus%d参数失败\r\n",
     "---ModBus参数写入成功!---", "ModBus参数写入失败......"},
};

constexpr BatchKind kServeOrder[] = {BatchKind::ChannelRead, BatchKind::ChannelWrite, BatchKind::RelayRead,
                                     BatchKind::RelayWrite,  BatchKind::SlotRead,     BatchKind::SlotWrite};

std::string WithNumber(std::string_view format, std::size_t number)
{
    std::string text(format);
    const std::size_t at = text.find("%d");
    if (at != std::string::npos) {
        text.replace(at, 2, std::to_string(number));
    }
    return text;
}

} // namespace

void Session::postProgress(std::string text)
{
    postToUi([this, text = std::move(text)] { m_view.setProgressText(text); });
}

void Session::postRefresh()
{
    postToUi([this] { refresh(); });
}

void Session::transferLoop()
{
    for (;;) {
        std::optional<BatchKind> next;
        {
            std::unique_lock lock(m_batchMutex);
            m_batchCv.wait(lock, [this, &next] {
                if (m_stopping) {
                    return true;
                }
                for (BatchKind kind : kServeOrder) {
                    if (pendingMask(kind).load() != 0) {
                        next = kind;
                        return true;
                    }
                }
                return false;
            });
            if (m_stopping) {
                return;
            }
        }
        serveBatch(*next);
    }
}

void Session::serveBatch(BatchKind kind)
{
    const BatchPlan& plan = kPlans[static_cast<std::size_t>(kind)];
    std::atomic<std::uint32_t>& pending = pendingMask(kind);
    std::atomic<std::uint32_t>& done = doneMask(kind);
    const std::chrono::microseconds budget = m_options.pollInterval * plan.pollUnits * m_options.pollsPerAttempt;

    const std::uint64_t arming = armingOf(kind);

    int timeouts = 0; // of the current record
    std::size_t i = 0;
    while (i < plan.records) {
        if (armingOf(kind) != arming) {
            return; // a new batch of this kind replaces the cancelled one; it starts from record 1
        }
        const std::uint32_t bit = std::uint32_t{1} << i;
        // Read afresh for every record: the version gate may have cleared it meanwhile.
        if ((pending.load() & bit) == 0) {
            ++i;
            continue;
        }
        if (i == 0) {
            m_infoLog.clear();
        }
        sendBatchRecord(kind, static_cast<std::uint8_t>(plan.baseCode + i));
        if (kind == BatchKind::ChannelRead) {
            postRefresh();
        }
        postProgress(WithNumber(plan.progress, i + 1));

        switch (waitForRecord(kind, bit, budget, arming)) {
        case RecordWait::Stop:
        case RecordWait::Rearmed:
            return;
        case RecordWait::Done:
            pending.fetch_and(~bit);
            timeouts = 0;
            postProgress(WithNumber(plan.recordSuccess, i + 1));
            ++i;
            if (kind == BatchKind::ChannelRead && !pause(m_options.pollInterval)) {
                return;
            }
            break;
        case RecordWait::Missed:
            ++timeouts;
            if (timeouts >= m_options.sendsPerRecord) {
                pending.fetch_and(~bit);
                timeouts = 0;
                if (kind == BatchKind::ChannelRead) {
                    m_bChannelRead = 0;
                }
                m_infoLog.append(WithNumber(plan.recordFailure, i + 1));
                postRefresh();
                ++i;
            }
            // Otherwise the same record again, if the version gate has left its pending bit.
            break;
        }
    }

    if (armingOf(kind) != arming) {
        return; // the old batch's summary would land in the new batch's progress box
    }

    // The read flag changes before the summary is posted: once the user sees the summary, the
    // page's write gate already knows the outcome.
    if (done.load() == fullMask(kind)) {
        switch (kind) {
        case BatchKind::ChannelRead:
            m_bChannelRead = 1;
            break;
        case BatchKind::RelayRead:
            m_bRelayRead = 1;
            break;
        case BatchKind::SlotRead:
            m_bModbusRead = 1;
            break;
        default:
            break;
        }
        postProgress(std::string(plan.batchSuccess));
    } else {
        // A relay or slot set read once stays writable after a later failed read.
        if (kind == BatchKind::ChannelRead) {
            m_bChannelRead = 0;
        }
        postProgress(std::string(plan.batchFailure));
    }
}

void Session::sendBatchRecord(BatchKind kind, std::uint8_t code)
{
    Bytes datagram;
    {
        std::lock_guard lock(m_batchMutex);
        const BatchOrder& order = m_orders[static_cast<std::size_t>(kind)];
        datagram = BuildParamRequest(order.mac, BuildParamFrame(code, order.records));
    }
    // No lock of ours is held while the endpoint sends: it may report a failure, and a fake
    // endpoint may answer at once.
    SendToAll(datagram);
}

std::uint64_t Session::armingOf(BatchKind kind)
{
    std::lock_guard lock(m_batchMutex);
    return m_armings[static_cast<std::size_t>(kind)];
}

Session::RecordWait Session::waitForRecord(BatchKind kind, std::uint32_t bit, std::chrono::microseconds budget,
                                           std::uint64_t arming)
{
    std::atomic<std::uint32_t>& pending = pendingMask(kind);
    std::atomic<std::uint32_t>& done = doneMask(kind);
    const auto deadline = std::chrono::steady_clock::now() + budget;
    std::unique_lock lock(m_batchMutex);
    // A cleared pending bit means the version gate has cancelled the batch: no reply will be
    // taken in, so waiting out the rest of the attempt would only delay the summary.
    const std::uint64_t& armings = m_armings[static_cast<std::size_t>(kind)];
    m_batchCv.wait_until(lock, deadline, [&] {
        return m_stopping || armings != arming || (done.load() & bit) != 0 || (pending.load() & bit) == 0;
    });
    if (m_stopping) {
        return RecordWait::Stop;
    }
    if (armings != arming) {
        return RecordWait::Rearmed;
    }
    return (done.load() & bit) != 0 ? RecordWait::Done : RecordWait::Missed;
}

bool Session::pause(std::chrono::microseconds duration)
{
    std::unique_lock lock(m_batchMutex);
    return !m_batchCv.wait_for(lock, duration, [this] { return m_stopping; });
}

} // namespace rv
