// SPDX-License-Identifier: MIT
#pragma once

// Page 153, "ModBus参数": the unit's 32 ModBus master slots (ModbusSlotTable).

#include "pages/ParamPage.h"

#include <cstddef>

namespace rv {

class CModbusParamPage : public CParamPage
{
    Q_OBJECT
public:
    enum : int
    {
        IDC_READ_SLOTS = 1048,
        IDC_WRITE_SLOTS = 1049,
        IDC_SLOT = 1083,
        IDC_SLAVE_ADDRESS = 1111,
        IDC_DEVICE_TYPE = 1112,
        IDC_REGISTER_START = 1113,
        IDC_REGISTER_COUNT = 1114,
        IDC_SLOT_ENABLED = 1117,
    };

    CModbusParamPage(Session& session, QWidget* parent);

    void OnInitDialog() override;
    void ShowSlot(std::size_t index, const ModbusSlotRecord& record);
};

} // namespace rv
