// SPDX-License-Identifier: MIT
#pragma once

// Page 138, "基础参数": the unit's base parameters (BaseRecord). Here 1049 reads and 1048 writes.

#include "pages/ParamPage.h"

namespace rv {

class CBaseParamPage : public CParamPage
{
    Q_OBJECT
public:
    enum : int
    {
        IDC_WRITE_BASE = 1048,
        IDC_READ_BASE = 1049,
        IDC_SERVER_COUNT = 1050,
        IDC_TERMINAL_ADDRESS = 1051,
        IDC_LOGIN_INTERVAL = 1052,
        IDC_HEARTBEAT_INTERVAL = 1053,
        IDC_DATA_INTERVAL = 1054,
        IDC_BAUD_RATE = 1083,
        IDC_CHANNEL_COUNT = 1085,
        IDC_NORMAL_RECORD_INTERVAL = 1104,
        IDC_STORAGE_TYPE = 1105,
        IDC_ALARM_RECORD_INTERVAL = 1106,
        IDC_LONGITUDE = 1129,
        IDC_LATITUDE = 1130,
        IDC_POSITION_ENABLED = 1131,
        IDC_ALLOW_EDIT_ALL = 1136,
    };

    CBaseParamPage(Session& session, QWidget* parent);

    void SetStartupValues() override;
    void ShowRecord(const BaseRecord& record);
};

} // namespace rv
