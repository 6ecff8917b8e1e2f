// SPDX-License-Identifier: MIT
#pragma once

// A SessionView that records every call and answers message boxes at once. Posted calls go to an
// EventQueue, which the test runs as the user-interface thread. Apart from post(), every method is
// called on that thread, so the records need no lock; read them from the thread that runs the
// queue.

#include "net/EventQueue.h"
#include "net/SessionView.h"

#include <functional>
#include <string>
#include <vector>

namespace rv::test {

struct MessageBoxCall
{
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    MessageOwner owner = MessageOwner::MainWindow;

    bool operator==(const MessageBoxCall&) const = default;
};

// Which record a show call put on which page.
struct ShowCall
{
    std::string page; // "net", "base", "gprs", "channel", "relay", "slot", "led"
    std::size_t index = 0;

    bool operator==(const ShowCall&) const = default;
};

class RecordingView : public SessionView
{
public:
    explicit RecordingView(EventQueue& queue) : m_queue(queue) {}

    void post(std::function<void()> fn) override { m_queue.post(std::move(fn)); }

    void addDeviceRow(const DeviceRecord& device) override;
    void clearDeviceRows() override;
    void showSelectedMac(const std::string& dashedMac) override;
    void showNetRecord(const NetRecord& record) override;
    void showBaseRecord(const BaseRecord& record) override;
    void showGprsRecord(const GprsRecord& record) override;
    void showChannel(std::size_t index, const ChannelRecord& record) override;
    void showRelay(std::size_t index, const RelayRecord& record) override;
    void showSlot(std::size_t index, const ModbusSlotRecord& record) override;
    void showLedRecord(const LedRecord& record) override;
    void refresh(const std::string& infoLog) override;
    void messageBox(const std::string& text, const std::string& caption, MessageIcon icon, MessageOwner owner) override;
    void setProgressText(const std::string& text) override;

    // Called inside messageBox(), before it returns, as a user would act while a box is open.
    std::function<void(const MessageBoxCall&)> onMessageBox;

    // Called inside every show call, after it is recorded.
    std::function<void(const ShowCall&)> onShow;

    bool hasProgress(const std::string& text) const;
    // Forgets everything recorded so far (the hooks stay).
    void reset();

    // Every call in order, one short line each ("refresh:<text>", "clearDeviceRows", ...).
    std::vector<std::string> calls;
    std::vector<DeviceRecord> deviceRows; // newest first, like the list
    std::vector<std::string> selectedMacs;
    std::vector<ShowCall> shows;
    std::vector<std::string> refreshes;
    std::vector<MessageBoxCall> boxes;
    std::vector<std::string> progress;
    NetRecord lastNet;

private:
    void notifyShow();

    EventQueue& m_queue;
};

} // namespace rv::test
