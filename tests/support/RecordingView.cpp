// SPDX-License-Identifier: MIT
#include "support/RecordingView.h"

#include <algorithm>

namespace rv::test {

void RecordingView::notifyShow()
{
    if (onShow) {
        const ShowCall call = shows.back();
        onShow(call);
    }
}

void RecordingView::reset()
{
    calls.clear();
    deviceRows.clear();
    selectedMacs.clear();
    shows.clear();
    refreshes.clear();
    boxes.clear();
    progress.clear();
    lastNet = NetRecord{};
}

void RecordingView::addDeviceRow(const DeviceRecord& device)
{
    calls.push_back("addDeviceRow:" + device.macText());
    deviceRows.insert(deviceRows.begin(), device);
}

void RecordingView::clearDeviceRows()
{
    calls.emplace_back("clearDeviceRows");
    deviceRows.clear();
}

void RecordingView::showSelectedMac(const std::string& dashedMac)
{
    calls.push_back("showSelectedMac:" + dashedMac);
    selectedMacs.push_back(dashedMac);
}

void RecordingView::showNetRecord(const NetRecord& record)
{
    calls.emplace_back("show:net");
    shows.push_back({"net", 0});
    notifyShow();
    lastNet = record;
}

void RecordingView::showBaseRecord(const BaseRecord&)
{
    calls.emplace_back("show:base");
    shows.push_back({"base", 0});
    notifyShow();
}

void RecordingView::showGprsRecord(const GprsRecord&)
{
    calls.emplace_back("show:gprs");
    shows.push_back({"gprs", 0});
    notifyShow();
}

void RecordingView::showChannel(std::size_t index, const ChannelRecord&)
{
    calls.push_back("show:channel:" + std::to_string(index));
    shows.push_back({"channel", index});
    notifyShow();
}

void RecordingView::showRelay(std::size_t index, const RelayRecord&)
{
    calls.push_back("show:relay:" + std::to_string(index));
    shows.push_back({"relay", index});
    notifyShow();
}

void RecordingView::showSlot(std::size_t index, const ModbusSlotRecord&)
{
    calls.push_back("show:slot:" + std::to_string(index));
    shows.push_back({"slot", index});
    notifyShow();
}

void RecordingView::showLedRecord(const LedRecord&)
{
    calls.emplace_back("show:led");
    shows.push_back({"led", 0});
    notifyShow();
}

void RecordingView::refresh(const std::string& infoLog)
{
    calls.push_back("refresh:" + infoLog);
    refreshes.push_back(infoLog);
}

void RecordingView::messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                               MessageOwner owner)
{
    calls.push_back("messageBox:" + text);
    boxes.push_back({text, caption, icon, owner});
    if (onMessageBox) {
        const MessageBoxCall call = boxes.back(); // the hook may open further boxes
        onMessageBox(call);
    }
}

void RecordingView::setProgressText(const std::string& text)
{
    calls.push_back("progress:" + text);
    progress.push_back(text);
}

bool RecordingView::hasProgress(const std::string& text) const
{
    return std::find(progress.begin(), progress.end(), text) != progress.end();
}

} // namespace rv::test
