// SPDX-License-Identifier: MIT
#pragma once

// Page 143, "GPRS参数": the unit's GPRS and SMS parameters (GprsRecord). Here 1048 reads and 1049
// writes, the other way round from the base page.

#include "pages/ParamPage.h"

namespace rv {

class CGprsParamPage : public CParamPage
{
    Q_OBJECT
public:
    enum : int
    {
        IDC_READ_GPRS = 1048,
        IDC_WRITE_GPRS = 1049,
        IDC_TARGET_ADDRESS = 1078,
        IDC_TARGET_PORT = 1079,
        IDC_PHONE1 = 1080,
        IDC_SMS_INTERVAL = 1081,
        IDC_LOGIN_INTERVAL = 1082,
        IDC_HEARTBEAT_INTERVAL = 1083,
        IDC_DATA_INTERVAL = 1084,
        IDC_PHONE2 = 1085,
        IDC_PHONE3 = 1086,
        IDC_PHONE4 = 1087,
        IDC_PHONE5 = 1088,
        IDC_WORK_TYPE = 1094,
        IDC_ALLOW_EDIT_ALL = 1136,
    };

    CGprsParamPage(Session& session, QWidget* parent);

    void SetStartupValues() override;
    void ShowRecord(const GprsRecord& record);
};

} // namespace rv
