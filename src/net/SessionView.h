// SPDX-License-Identifier: MIT
#pragma once

// What the session core asks of its host (the Qt main window, the command line, the tests).
// Every call of this interface is made on the host's user-interface thread: work that starts on
// the receive thread or on the transfer thread reaches the host through post().

#include "protocol/DeviceRecord.h"
#include "protocol/Records.h"

#include <cstddef>
#include <functional>
#include <string>

namespace rv {

enum class MessageIcon
{
    None,
    Warning,  // the exclamation mark
    Question, // the version gate's box
    Information,
};

// Which window owns a message box; the host parents the box to it.
enum class MessageOwner
{
    MainWindow,
    NetPage,
    BasePage,
    GprsPage,
    ChannelPage,
    ModbusPage,
    RelayPage,
    LedPage,
};

class SessionView
{
public:
    virtual ~SessionView() = default;

    // Runs fn on the user-interface thread, after the calls already posted, in order. Safe to call
    // from any thread.
    virtual void post(std::function<void()> fn) = 0;

    // The device list: a new row on top, or all rows removed.
    virtual void addDeviceRow(const DeviceRecord& device) = 0;
    virtual void clearDeviceRows() = 0;
    // The MAC text of the selected unit for the network page's MAC edit.
    virtual void showSelectedMac(const std::string& dashedMac) = 0;

    // A record arrived and is in the session's records: put it on its page.
    virtual void showNetRecord(const NetRecord& record) = 0;
    virtual void showBaseRecord(const BaseRecord& record) = 0;
    virtual void showGprsRecord(const GprsRecord& record) = 0;
    virtual void showChannel(std::size_t index, const ChannelRecord& record) = 0;
    virtual void showRelay(std::size_t index, const RelayRecord& record) = 0;
    virtual void showSlot(std::size_t index, const ModbusSlotRecord& record) = 0;
    virtual void showLedRecord(const LedRecord& record) = 0;

    // Show the whole InfoLog (it replaces what the info area showed).
    virtual void refresh(const std::string& infoLog) = 0;

    // A modal message box with an OK button; returns when the user has closed it.
    virtual void messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                            MessageOwner owner) = 0;

    // The progress box's text; dropped when the box is not open.
    virtual void setProgressText(const std::string& text) = 0;
};

} // namespace rv
