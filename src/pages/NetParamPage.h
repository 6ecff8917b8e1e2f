// SPDX-License-Identifier: MIT
#pragma once

// Page 137, "网口参数": the unit's network settings (NetRecord). It has no read button: the
// selection of a unit reads the record and the reply is shown here.

#include "pages/ParamPage.h"

#include <cstdint>

namespace rv {

class CNetParamPage : public CParamPage
{
    Q_OBJECT
public:
    enum : int
    {
        IDC_SERVER1_SOURCE_PORT = 1014,
        IDC_SERVER1_ADDRESS = 1015,
        IDC_SERVER1_LISTEN_PORT = 1016,
        IDC_SUBNET_MASK = 1018,
        IDC_GATEWAY = 1019,
        IDC_STATIC_IP = 1020,
        IDC_IP_MODE = 1021,
        IDC_WRITE_NET = 1024,
        IDC_NET_DEFAULTS = 1025,
        IDC_MAC = 1030,
        IDC_WRITE_MAC = 1031,
        IDC_MAX_CONNECTIONS = 1046,
        IDC_SERVER2_SOURCE_PORT = 1056,
        IDC_SERVER2_ADDRESS = 1057,
        IDC_SERVER2_LISTEN_PORT = 1058,
    };

    CNetParamPage(Session& session, QWidget* parent);

    void SetStartupValues() override;
    // A command-3 reply, already in the session's record.
    void ShowRecord(const NetRecord& record);
    // The selected unit's MAC, "1A-2B-3C-4D-5E-6F".
    void ShowSelectedMac(const std::string& dashedMac);

    void OnWriteNetParams();  // 1024
    void OnWriteMac();        // 1031
    void OnNetFactoryReset(); // 1025
    void OnSelchangeIpMode(); // 1021: follows every change of the selection

private:
    void EnableStaticAddress(bool enable);
};

} // namespace rv
