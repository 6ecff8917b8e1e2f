// SPDX-License-Identifier: MIT
#pragma once

// The session core: everything the main window holds apart from its controls. The shared flags
// and batch masks, the InfoLog, the records, the selected MAC, the reply dispatch, search and
// selection, the page requests, and the transfer thread that serves the batches.
//
// Threads: the host's user-interface thread calls every public method except the atomics' reads;
// the endpoint's receive thread only posts datagrams to it; the transfer thread sends requests and
// posts its texts to it.

#include "net/Endpoint.h"
#include "net/InfoLog.h"
#include "net/SessionView.h"
#include "protocol/HostFrame.h"
#include "protocol/ParamFrame.h"
#include "protocol/Records.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace rv {

inline constexpr const char* kAppName = "RV-7640-MQD-250 主机配置软件 V3.0";

enum class BatchKind
{
    ChannelRead,
    ChannelWrite,
    RelayRead,
    RelayWrite,
    SlotRead,
    SlotWrite,
};

struct SessionOptions
{
    // One poll interval of the channel batches; relay and slot batches wait ten of them. The unit
    // is 1 ms; tests shorten it so that the time-out paths run in milliseconds.
    std::chrono::microseconds pollInterval{1000};
    // Polls of one attempt before it times out (801: the failure count exceeds 800).
    int pollsPerAttempt = 801;
    // Sends of one record before it is given up.
    int sendsPerRecord = 4;
};

class Session
{
public:
    Session(SessionView& view, std::unique_ptr<Endpoint> endpoint, SessionOptions options = {});
    ~Session(); // stops the transfer thread, closes the endpoint
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens the endpoint, starts receiving and starts the transfer thread.
    void start();
    // The main window's close: closes the bound interface sockets.
    void close();

    // ---- Main window ----
    void OnSearch();
    // macText is column 2 of the first selected row; nothing when no row is selected.
    void OnDblclkDeviceList(std::optional<std::string_view> macText);
    // One received datagram, on the user-interface thread.
    void OnUdpReceived(ByteView datagram);
    std::string firstLocalAddress() const;

    // ---- Requests ----
    void SendToAll(ByteView datagram);
    void SendParamRequest(std::uint8_t code);

    // ---- Network page ----
    void writeNetRecord();                      // record in netRecord(), fields already stored
    void writeMac(std::string_view dashedText); // checks the text, logs, sends when it is valid
    void netFactoryReset();

    // ---- Base, GPRS and LED pages ----
    // A read: refused with the warning box when no unit is selected (owner is the page), else
    // InfoLog cleared with the read text, the request sent, refreshed. Returns false when refused.
    bool readBase();
    bool readGprs();
    bool readLed();
    // A write's gate: false (after the page's message box) when the record was never read.
    bool mayWriteBase();
    bool mayWriteGprs();
    bool mayWriteLed();
    // A write of the record the page has stored: request sent, InfoLog set, refreshed.
    void writeBase();
    void writeGprs();
    void writeLed();

    // ---- Channel, relay and ModBus pages ----
    bool mayReadBatch(BatchKind kind);  // the unit-selected gate with the warning box
    bool mayWriteBatch(BatchKind kind); // the read-flag gate with the page's message box
    // Arms a batch: false when one of that kind is still pending (nothing happens then); else the
    // done mask is zeroed, then the pending mask set, and the host opens its progress box.
    // A write batch sends the table and the selected MAC as they are at this call: the page stores
    // its record first, then arms.
    bool armBatch(BatchKind kind);

    // The masks of a batch kind, and all of its record bits (0xFFFFFFFF, or 0xFF for relays).
    std::atomic<std::uint32_t>& pendingMask(BatchKind kind);
    std::atomic<std::uint32_t>& doneMask(BatchKind kind);
    static std::uint32_t fullMask(BatchKind kind);

    // ---- Shared state ----
    NetRecord& netRecord() { return m_netRecord; }
    ParamRecords& records() { return m_records; }
    const MacAddress& selectedMac() const { return m_selectedMac; }
    InfoLog& infoLog() { return m_infoLog; }
    void refresh(); // shows the InfoLog

    std::atomic<std::uint8_t> m_bUnitSelected{0};
    std::atomic<std::uint8_t> m_bBaseRead{0};
    std::atomic<std::uint8_t> m_bGprsRead{0};
    std::atomic<std::uint8_t> m_bChannelRead{0};
    std::atomic<std::uint8_t> m_bModbusRead{0};
    std::atomic<std::uint8_t> m_bRelayRead{0};
    std::atomic<std::uint8_t> m_bLedRead{0};

    std::atomic<std::uint32_t> m_dwChanReadPending{0};
    std::atomic<std::uint32_t> m_dwChanReadDone{0};
    std::atomic<std::uint32_t> m_dwChanWritePending{0};
    std::atomic<std::uint32_t> m_dwChanWriteDone{0};
    std::atomic<std::uint32_t> m_dwRelayReadPending{0};
    std::atomic<std::uint32_t> m_dwRelayReadDone{0};
    std::atomic<std::uint32_t> m_dwRelayWritePending{0};
    std::atomic<std::uint32_t> m_dwRelayWriteDone{0};
    std::atomic<std::uint32_t> m_dwModbusReadPending{0};
    std::atomic<std::uint32_t> m_dwModbusReadDone{0};
    std::atomic<std::uint32_t> m_dwModbusWritePending{0};
    std::atomic<std::uint32_t> m_dwModbusWriteDone{0};

private:
    static constexpr std::size_t kBatchKinds = 6;

    // What a write batch sends: the records and the MAC of the moment it was armed. The transfer
    // thread builds its requests from this copy, never from m_records, which the user-interface
    // thread keeps changing (replies, the pages' stores) while a batch runs.
    struct BatchOrder
    {
        MacAddress mac{};
        ParamRecords records;
    };

    enum class RecordWait
    {
        Done,    // the record's done bit is set
        Missed,  // 801 polls passed, or the version gate took the record's pending bit away
        Rearmed, // the batch was cancelled and the page has armed a new one of its kind
        Stop,    // the session is shutting down
    };

    void onFailure(const std::string& text);
    void routeParamFrame(const HostReply& reply);
    void failVersionGate();
    bool gateUnitSelected(MessageOwner owner);
    // A single-record page's read (gate, InfoLog, request), its write gate, and its write.
    bool readRecord(MessageOwner owner, std::string_view logText, std::uint8_t code);
    bool gateRecordRead(const std::atomic<std::uint8_t>& readFlag, const char* refusal, MessageOwner owner);
    void writeRecord(std::uint8_t code, std::string_view logText);
    void setDoneBit(BatchKind kind, std::size_t index);

    // Runs fn on the user-interface thread through the view, unless the session is gone by then.
    void postToUi(std::function<void()> fn);
    void postProgress(std::string text);
    void postRefresh();
    // Makes the transfer thread look at the masks again.
    void wakeTransfer();

    // TransferThread.cpp
    void transferLoop();
    void serveBatch(BatchKind kind);
    void sendBatchRecord(BatchKind kind, std::uint8_t code);
    RecordWait waitForRecord(BatchKind kind, std::uint32_t bit, std::chrono::microseconds budget, std::uint64_t arming);
    std::uint64_t armingOf(BatchKind kind);
    bool pause(std::chrono::microseconds duration); // false when shutting down

    SessionView& m_view;
    std::unique_ptr<Endpoint> m_endpoint;
    SessionOptions m_options;
    InfoLog m_infoLog;
    NetRecord m_netRecord;
    ParamRecords m_records;
    MacAddress m_selectedMac{};

    std::thread::id m_uiThread;
    // Posted calls hold a weak reference and do nothing once the session is destroyed.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);

    std::mutex m_batchMutex; // guards m_orders and m_stopping; the masks' waiters wait on it
    std::condition_variable m_batchCv;
    bool m_stopping = false;
    std::array<BatchOrder, kBatchKinds> m_orders{};
    // Counts the armings of each kind, so that the thread notices a batch that was cancelled by
    // the version gate and armed anew while it still served the old one.
    std::array<std::uint64_t, kBatchKinds> m_armings{};
    std::thread m_transferThread;
};

} // namespace rv
