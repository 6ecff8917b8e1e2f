// SPDX-License-Identifier: MIT
#pragma once

// Page 156, "LED屏参数": the LED display panel's settings (LedRecord).

#include "pages/ParamPage.h"

namespace rv {

class CLedParamPage : public CParamPage
{
    Q_OBJECT
public:
    enum : int
    {
        IDC_READ_LED = 1048,
        IDC_WRITE_LED = 1049,
        IDC_PANEL_WIDTH = 1077,
        IDC_PANEL_HEIGHT = 1078,
        IDC_DISPLAY_CHANNELS = 1083,
        IDC_COLUMN_COUNT = 1084,
        IDC_HEADER_TEXT = 1124,
        IDC_FOOTER_TEXT = 1125,
        IDC_HEADER_ENABLED = 1126,
        IDC_FOOTER_ENABLED = 1127,
        IDC_REFRESH_SECONDS = 1128,
        IDC_SHOW_DATA_TABLE = 1144,
    };

    CLedParamPage(Session& session, QWidget* parent);

    void OnInitDialog() override;
    void ShowRecord(const LedRecord& record);
};

} // namespace rv
