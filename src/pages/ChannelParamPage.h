// SPDX-License-Identifier: MIT
#pragma once

// Page 147, "通道参数": the unit's 32 channels (ChannelTable), one on show at a time.

#include "pages/ParamPage.h"

#include <cstddef>

namespace rv {

class CChannelParamPage : public CParamPage
{
    Q_OBJECT
public:
    enum : int
    {
        IDC_READ_CHANNELS = 1048,
        IDC_CHANNEL = 1083,
        IDC_WRITE_CHANNELS = 1084,
        IDC_SOURCE = 1102,
        IDC_RELAY_UPPER1 = 1115,
        IDC_RELAY_LOWER1 = 1116,
        IDC_RELAY_UPPER2 = 1117,
        IDC_RELAY_LOWER2 = 1118,
        IDC_ATTRIBUTE = 1122,
    };

    CChannelParamPage(Session& session, QWidget* parent);

    void OnInitDialog() override;
    void ShowChannel(std::size_t index, const ChannelRecord& record);
};

} // namespace rv
