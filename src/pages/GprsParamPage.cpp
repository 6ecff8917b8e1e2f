// SPDX-License-Identifier: MIT
#include "pages/GprsParamPage.h"

#include "res/Resources.h"

namespace rv {

CGprsParamPage::CGprsParamPage(Session& session, QWidget* parent)
    : CParamPage(session, res::kGprsPage, MessageOwner::GprsPage, parent)
{}

void CGprsParamPage::SetStartupValues()
{
    SetDlgItemText(IDC_LOGIN_INTERVAL, QStringLiteral("3"));
    SetDlgItemText(IDC_HEARTBEAT_INTERVAL, QStringLiteral("60"));
    SetDlgItemText(IDC_DATA_INTERVAL, QStringLiteral("20"));
    SetDlgItemText(IDC_TARGET_ADDRESS, QStringLiteral("192.168.1.1"));
    SetDlgItemText(IDC_TARGET_PORT, QStringLiteral("2404"));
    for (int id : {IDC_PHONE1, IDC_PHONE2, IDC_PHONE3, IDC_PHONE4, IDC_PHONE5}) {
        SetDlgItemText(id, QStringLiteral("13000000000"));
    }
    SetDlgItemText(IDC_SMS_INTERVAL, QStringLiteral("0"));
    SetCurSel(IDC_WORK_TYPE, 0);
}

void CGprsParamPage::ShowRecord(const GprsRecord&) {}

} // namespace rv
