// SPDX-License-Identifier: MIT
#pragma once

// The main window on a fake endpoint, with every message box recorded instead of shown.

#include "app/ConfigDlg.h"
#include "pages/MessageBoxSeam.h"
#include "pages/NetParamPage.h"
#include "protocol/DeviceRecord.h"
#include "support/FakeEndpoint.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace rv::test {

class GuiTest : public ::testing::Test
{
protected:
    GuiTest()
    {
        MessageBoxSeam::setHandler([this](const MessageBoxRequest& box) { boxes.push_back(box); });
        auto fake = std::make_unique<FakeEndpoint>();
        endpoint = fake.get();
        dlg = std::make_unique<CConfigDlg>(std::move(fake));
    }
    ~GuiTest() override
    {
        dlg.reset();
        MessageBoxSeam::setHandler({});
    }

    // A datagram as the receive thread hands it over, dispatched on this (the GUI) thread.
    void deliver(const Bytes& datagram)
    {
        endpoint->inject(datagram);
        QApplication::processEvents();
    }
    void deliverDevice(std::uint32_t ip, const MacAddress& mac, std::uint16_t firmware, const std::string& name)
    {
        deliver(EncodeDiscoveryReply(DeviceRecord{ip, mac, firmware, name}));
    }

    CNetParamPage& net() { return dlg->netPage(); }
    QLineEdit* netEdit(int id) { return net().edit(id); }
    QComboBox* netCombo(int id) { return net().combo(id); }
    std::string infoLog() { return dlg->session().infoLog().text(); }

    std::vector<MessageBoxRequest> boxes;
    FakeEndpoint* endpoint = nullptr;
    std::unique_ptr<CConfigDlg> dlg;
};

} // namespace rv::test
