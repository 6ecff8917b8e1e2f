// SPDX-License-Identifier: MIT
#pragma once

// Page 154, "继电器参数": the unit's 8 relays (RelayTable).

#include "pages/ParamPage.h"

#include <cstddef>

namespace rv {

class CRelayParamPage : public CParamPage
{
    Q_OBJECT
public:
    enum : int
    {
        IDC_READ_RELAYS = 1048,
        IDC_WRITE_RELAYS = 1049,
        IDC_RELAY = 1083,
        IDC_MODE = 1084,
        IDC_START_INTERVAL = 1116,
        IDC_DURATION = 1117,
    };

    CRelayParamPage(Session& session, QWidget* parent);

    void OnInitDialog() override;
    void ShowRelay(std::size_t index, const RelayRecord& record);
};

} // namespace rv
