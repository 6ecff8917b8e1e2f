// SPDX-License-Identifier: MIT
#include "pages/ModbusParamPage.h"

#include "res/Resources.h"

namespace rv {

CModbusParamPage::CModbusParamPage(Session& session, QWidget* parent)
    : CParamPage(session, res::kModbusPage, MessageOwner::ModbusPage, parent)
{}

void CModbusParamPage::OnInitDialog()
{
    QComboBox* slotNames = combo(IDC_SLOT);
    for (int n = 1; n <= 32; ++n) {
        slotNames->addItem(QStringLiteral("槽位%1").arg(n));
    }
    slotNames->setCurrentIndex(-1);
    QComboBox* types = combo(IDC_DEVICE_TYPE);
    for (const char* type : {"温湿度变送器", "K40控制器", "空调控制器", "20WLux光照", "通用采集设备", "通用控制器"}) {
        types->addItem(QString::fromUtf8(type));
    }
    types->setCurrentIndex(-1);
}

void CModbusParamPage::ShowSlot(std::size_t, const ModbusSlotRecord&) {}

} // namespace rv
