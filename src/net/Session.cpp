// SPDX-License-Identifier: MIT
// The session core on the user-interface thread: reply dispatch, search and selection, the page
// requests and their gates, and the arming of batches. The transfer thread is in
// TransferThread.cpp.

#include "net/Session.h"

#include "protocol/DeviceRecord.h"
#include "protocol/TextConv.h"

#include <utility>

namespace rv {

namespace {

constexpr const char* kSelectFirst = "请先搜索到设备,双击选中,再读取参数";
constexpr const char* kCaptionWarning = "警告";
constexpr const char* kCaptionHint = "提示";
constexpr const char* kVersionRefused = "此版本设备不能使用该软件,请使用其他版本软件";

MessageOwner OwnerOf(BatchKind kind)
{
    switch (kind) {
    case BatchKind::ChannelRead:
    case BatchKind::ChannelWrite:
        return MessageOwner::ChannelPage;
    case BatchKind::RelayRead:
    case BatchKind::RelayWrite:
        return MessageOwner::RelayPage;
    case BatchKind::SlotRead:
    case BatchKind::SlotWrite:
        break;
    }
    return MessageOwner::ModbusPage;
}

bool IsWriteKind(BatchKind kind)
{
    return kind == BatchKind::ChannelWrite || kind == BatchKind::RelayWrite || kind == BatchKind::SlotWrite;
}

} // namespace

Session::Session(SessionView& view, std::unique_ptr<Endpoint> endpoint, SessionOptions options)
    : m_view(view), m_endpoint(std::move(endpoint)), m_options(options), m_uiThread(std::this_thread::get_id())
{}

Session::~Session()
{
    {
        std::lock_guard lock(m_batchMutex);
        m_stopping = true;
    }
    m_batchCv.notify_all();
    if (m_transferThread.joinable()) {
        m_transferThread.join();
    }
    // After close() the receive thread has ended and posts nothing more; calls it posted earlier
    // find the session gone and do nothing.
    m_endpoint->close();
    m_alive.reset();
}

void Session::start()
{
    if (m_transferThread.joinable()) {
        return;
    }
    std::weak_ptr<int> alive = m_alive;
    m_endpoint->open(
        [this, alive](Bytes datagram) {
            // The receive thread hands over the bytes of this very datagram; the dispatch runs
            // them on the user-interface thread in order of arrival.
            m_view.post([this, alive, datagram = std::move(datagram)] {
                if (!alive.expired()) {
                    OnUdpReceived(datagram);
                }
            });
        },
        [this](const std::string& text) { onFailure(text); });
    m_transferThread = std::thread([this] { transferLoop(); });
}

void Session::close()
{
    m_endpoint->closeInterfaceSockets();
}

void Session::onFailure(const std::string& text)
{
    if (std::this_thread::get_id() == m_uiThread) {
        m_view.messageBox(text, kAppName, MessageIcon::None, MessageOwner::MainWindow);
        return;
    }
    postToUi([this, text] { m_view.messageBox(text, kAppName, MessageIcon::None, MessageOwner::MainWindow); });
}

void Session::postToUi(std::function<void()> fn)
{
    std::weak_ptr<int> alive = m_alive;
    m_view.post([alive, fn = std::move(fn)] {
        if (!alive.expired()) {
            fn();
        }
    });
}

void Session::refresh()
{
    m_view.refresh(m_infoLog.text());
}

std::string Session::firstLocalAddress() const
{
    return m_endpoint->firstLocalAddress();
}

// ---- Requests ----

void Session::SendToAll(ByteView datagram)
{
    m_endpoint->sendToAll(datagram);
}

void Session::SendParamRequest(std::uint8_t code)
{
    const Bytes frame = BuildParamFrame(code, m_records);
    if (frame.empty()) {
        return; // a code outside 1..150 has no frame; nothing goes out
    }
    SendToAll(BuildParamRequest(m_selectedMac, frame));
}

// ---- Main window ----

void Session::OnSearch()
{
    m_infoLog.clear();
    refresh();
    m_infoLog.append("搜索...\r\n");
    m_endpoint->bindInterfaceSockets();
    SendToAll(BuildDiscoverRequest());
    m_view.clearDeviceRows();
    refresh();
}

void Session::OnDblclkDeviceList(std::optional<std::string_view> macText)
{
    if (!macText) {
        return;
    }
    m_selectedMac = ParseMacPlain(*macText);
    m_view.showSelectedMac(FormatMacDashed(m_selectedMac));
    m_infoLog.set("读取参数...\r\n");
    SendToAll(BuildReadNetRequest(m_selectedMac));
    refresh();
}

void Session::OnUdpReceived(ByteView datagram)
{
    const std::optional<HostReply> reply = ReadHostReply(datagram);
    if (reply) {
        switch (reply->command) {
        case static_cast<std::uint8_t>(HostCommand::HC_DISCOVER):
            m_view.addDeviceRow(DecodeDiscoveryReply(datagram));
            m_infoLog.append("搜索到设备\r\n");
            break;
        case static_cast<std::uint8_t>(HostCommand::HC_READ_NET): {
            m_bUnitSelected = 1;
            // The record is taken from offset 10; bytes a short reply lacks read as zero.
            ByteReader reader(reply->payload());
            m_netRecord.decode(reader);
            m_view.showNetRecord(m_netRecord);
            m_infoLog.append("读取网络参数成功！\r\n");
            break;
        }
        case static_cast<std::uint8_t>(HostCommand::HC_PARAM):
        case static_cast<std::uint8_t>(HostCommand::HC_PARAM_ALT):
            if (reply->length == 0) {
                return; // an empty carrier is dropped without a refresh
            }
            routeParamFrame(*reply);
            break;
        default:
            break;
        }
    }
    refresh();
}

void Session::routeParamFrame(const HostReply& reply)
{
    const ParseResult result = ParseParamFrame(reply.payload(), reply.length, m_records);
    if (result.outcome == ParseOutcome::VersionRefused) {
        failVersionGate();
        return;
    }
    const std::uint8_t r = result.code();
    if (r == 0) {
        return;
    }
    if (r == kBaseRead) {
        m_bBaseRead = 1;
        m_view.showBaseRecord(m_records.base);
        m_infoLog.append("读取设备参数成功！\r\n");
    } else if (r == kBaseWrite) {
        m_infoLog.append("下载设备参数成功！\r\n");
    } else if (r == kGprsRead) {
        m_view.showGprsRecord(m_records.gprs);
        m_bGprsRead = 1;
        m_infoLog.append("读取GPRS无线参数成功！\r\n");
    } else if (r == kGprsWrite) {
        m_infoLog.append("下载GPRS无线参数成功！\r\n");
    } else if (r >= kChannelReadBase && r < kChannelReadBase + kChannelCount) {
        const std::size_t i = r - kChannelReadBase;
        m_view.showChannel(i, m_records.channels[i]);
        setDoneBit(BatchKind::ChannelRead, i);
    } else if (r >= kChannelWriteBase && r < kChannelWriteBase + kChannelCount) {
        setDoneBit(BatchKind::ChannelWrite, r - kChannelWriteBase);
    } else if (r >= kRelayReadBase && r < kRelayReadBase + kRelayCount) {
        const std::size_t i = r - kRelayReadBase;
        m_view.showRelay(i, m_records.relays[i]);
        setDoneBit(BatchKind::RelayRead, i);
    } else if (r >= kRelayWriteBase && r < kRelayWriteBase + kRelayCount) {
        setDoneBit(BatchKind::RelayWrite, r - kRelayWriteBase);
    } else if (r >= kSlotReadBase && r < kSlotReadBase + kModbusSlotCount) {
        const std::size_t i = r - kSlotReadBase;
        m_view.showSlot(i, m_records.modbusSlots[i]);
        setDoneBit(BatchKind::SlotRead, i);
    } else if (r >= kSlotWriteBase && r < kSlotWriteBase + kModbusSlotCount) {
        setDoneBit(BatchKind::SlotWrite, r - kSlotWriteBase);
    } else if (r == kLedWrite) {
        m_infoLog.append("下载LED屏参数成功！\r\n");
    } else if (r == kLedRead) {
        m_view.showLedRecord(m_records.led);
        m_bLedRead = 1;
        m_infoLog.append("读取LED屏参数成功！\r\n");
    }
}

void Session::setDoneBit(BatchKind kind, std::size_t index)
{
    // Set after the record is on its page, so that a finished batch has shown all its records.
    doneMask(kind).fetch_or(std::uint32_t{1} << index);
    wakeTransfer();
}

void Session::failVersionGate()
{
    for (std::size_t k = 0; k < kBatchKinds; ++k) {
        pendingMask(static_cast<BatchKind>(k)) = 0;
    }
    wakeTransfer();
    m_view.messageBox(kVersionRefused, kCaptionWarning, MessageIcon::Question, MessageOwner::MainWindow);
}

// ---- Network page ----

void Session::writeNetRecord()
{
    SendToAll(BuildWriteNetRequest(m_selectedMac, m_netRecord));
    m_infoLog.set("设置参数... \r\n");
    refresh();
    m_view.messageBox("网络参数已下发，请重新搜索设备，双击设备列表来验证是否下发成功", kCaptionHint, MessageIcon::None,
                      MessageOwner::NetPage);
}

void Session::writeMac(std::string_view dashedText)
{
    const std::optional<MacAddress> newMac = ParseMacDashed(dashedText);
    if (!newMac) {
        m_infoLog.set("不合格的MAC地址格式!!!\r\n");
        refresh();
        return;
    }
    m_infoLog.set("写入MAC地址...\r\n");
    refresh();
    SendToAll(BuildWriteMacRequest(m_selectedMac, *newMac));
}

void Session::netFactoryReset()
{
    SendToAll(BuildNetDefaultsRequest(m_selectedMac));
    m_infoLog.set("恢复出厂设置...\r\n");
    refresh();
}

// ---- Base, GPRS and LED pages ----

bool Session::gateUnitSelected(MessageOwner owner)
{
    if (m_bUnitSelected != 0) {
        return true;
    }
    m_view.messageBox(kSelectFirst, kCaptionWarning, MessageIcon::Warning, owner);
    return false;
}

bool Session::readRecord(MessageOwner owner, std::string_view logText, std::uint8_t code)
{
    if (!gateUnitSelected(owner)) {
        return false;
    }
    m_infoLog.set(logText);
    SendParamRequest(code);
    refresh();
    return true;
}

bool Session::gateRecordRead(const std::atomic<std::uint8_t>& readFlag, const char* refusal, MessageOwner owner)
{
    if (readFlag != 0) {
        return true;
    }
    m_view.messageBox(refusal, kCaptionHint, MessageIcon::Warning, owner);
    return false;
}

void Session::writeRecord(std::uint8_t code, std::string_view logText)
{
    SendParamRequest(code);
    m_infoLog.set(logText);
    refresh();
}

bool Session::readBase()
{
    return readRecord(MessageOwner::BasePage, "读取设备参数...\r\n", kBaseRead);
}

bool Session::readGprs()
{
    return readRecord(MessageOwner::GprsPage, "读取GPRS运行参数...\r\n", kGprsRead);
}

bool Session::readLed()
{
    return readRecord(MessageOwner::LedPage, "读取LED参数...\r\n", kLedRead);
}

bool Session::mayWriteBase()
{
    return gateRecordRead(m_bBaseRead, "请先\"读取设备参数\"然后进行修改再进行配置", MessageOwner::BasePage);
}

bool Session::mayWriteGprs()
{
    return gateRecordRead(m_bGprsRead, "请先\"读取GPRS参数\"然后进行修改再进行配置", MessageOwner::GprsPage);
}

bool Session::mayWriteLed()
{
    return gateRecordRead(m_bLedRead, "请先\"读取LED显示屏参数\"然后进行修改再进行配置", MessageOwner::LedPage);
}

void Session::writeBase()
{
    writeRecord(kBaseWrite, "设置参数... \r\n");
}

void Session::writeGprs()
{
    writeRecord(kGprsWrite, "设置GPRS无线参数... \r\n");
}

void Session::writeLed()
{
    writeRecord(kLedWrite, "设置LED显示屏参数... \r\n");
}

// ---- Channel, relay and ModBus pages ----

bool Session::mayReadBatch(BatchKind kind)
{
    return gateUnitSelected(OwnerOf(kind));
}

bool Session::mayWriteBatch(BatchKind kind)
{
    const char* refusal = nullptr;
    switch (kind) {
    case BatchKind::ChannelRead:
    case BatchKind::ChannelWrite:
        if (m_bChannelRead == 0) {
            refusal = "请先读取通道参数，再配置!";
        }
        break;
    case BatchKind::RelayRead:
    case BatchKind::RelayWrite:
        if (m_bRelayRead == 0) {
            refusal = "请先读取继电器参数，再配置!";
        }
        break;
    case BatchKind::SlotRead:
    case BatchKind::SlotWrite:
        if (m_bModbusRead == 0) {
            refusal = "请先读取ModBus参数，再配置!";
        }
        break;
    }
    if (refusal == nullptr) {
        return true;
    }
    m_view.messageBox(refusal, kCaptionWarning, MessageIcon::Warning, OwnerOf(kind));
    return false;
}

bool Session::armBatch(BatchKind kind)
{
    std::atomic<std::uint32_t>& pending = pendingMask(kind);
    // Only this thread sets a pending mask, and the transfer thread only clears bits: a mask seen
    // as zero here stays zero until it is armed below.
    if (pending.load() != 0) {
        return false;
    }
    {
        std::lock_guard lock(m_batchMutex);
        BatchOrder& order = m_orders[static_cast<std::size_t>(kind)];
        order.mac = m_selectedMac;
        if (IsWriteKind(kind)) {
            order.records = m_records;
        }
        ++m_armings[static_cast<std::size_t>(kind)];
        // Done first: a done bit of the previous batch must never count for this one.
        doneMask(kind).store(0);
        pending.store(fullMask(kind));
    }
    m_batchCv.notify_all();
    return true;
}

std::atomic<std::uint32_t>& Session::pendingMask(BatchKind kind)
{
    switch (kind) {
    case BatchKind::ChannelRead:
        return m_dwChanReadPending;
    case BatchKind::ChannelWrite:
        return m_dwChanWritePending;
    case BatchKind::RelayRead:
        return m_dwRelayReadPending;
    case BatchKind::RelayWrite:
        return m_dwRelayWritePending;
    case BatchKind::SlotRead:
        return m_dwModbusReadPending;
    case BatchKind::SlotWrite:
        break;
    }
    return m_dwModbusWritePending;
}

std::atomic<std::uint32_t>& Session::doneMask(BatchKind kind)
{
    switch (kind) {
    case BatchKind::ChannelRead:
        return m_dwChanReadDone;
    case BatchKind::ChannelWrite:
        return m_dwChanWriteDone;
    case BatchKind::RelayRead:
        return m_dwRelayReadDone;
    case BatchKind::RelayWrite:
        return m_dwRelayWriteDone;
    case BatchKind::SlotRead:
        return m_dwModbusReadDone;
    case BatchKind::SlotWrite:
        break;
    }
    return m_dwModbusWriteDone;
}

std::uint32_t Session::fullMask(BatchKind kind)
{
    return kind == BatchKind::RelayRead || kind == BatchKind::RelayWrite ? 0xFFu : 0xFFFFFFFFu;
}

void Session::wakeTransfer()
{
    // The masks are changed outside the mutex; taking it once before notifying closes the window
    // in which the transfer thread has tested its condition but is not yet waiting.
    {
        std::lock_guard lock(m_batchMutex);
    }
    m_batchCv.notify_all();
}

} // namespace rv
