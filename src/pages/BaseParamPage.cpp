// SPDX-License-Identifier: MIT
#include "pages/BaseParamPage.h"

#include "res/Resources.h"

namespace rv {

CBaseParamPage::CBaseParamPage(Session& session, QWidget* parent)
    : CParamPage(session, res::kBasePage, MessageOwner::BasePage, parent)
{}

void CBaseParamPage::SetStartupValues()
{
    SetCurSel(IDC_SERVER_COUNT, 8);
    // The terminal address 0x12345678, as its eight digits "%02X%02X%02X%02X".
    SetDlgItemText(IDC_TERMINAL_ADDRESS, QStringLiteral("12345678"));
    SetDlgItemText(IDC_LOGIN_INTERVAL, QStringLiteral("3"));
    SetDlgItemText(IDC_HEARTBEAT_INTERVAL, QStringLiteral("60"));
    SetDlgItemText(IDC_DATA_INTERVAL, QStringLiteral("5"));
    SetCurSel(IDC_CHANNEL_COUNT, 1);
    SetCurSel(IDC_BAUD_RATE, 1);
}

void CBaseParamPage::ShowRecord(const BaseRecord&) {}

} // namespace rv
