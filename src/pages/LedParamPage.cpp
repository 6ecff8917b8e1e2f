// SPDX-License-Identifier: MIT
#include "pages/LedParamPage.h"

#include "res/Resources.h"

namespace rv {

CLedParamPage::CLedParamPage(Session& session, QWidget* parent)
    : CParamPage(session, res::kLedPage, MessageOwner::LedPage, parent)
{}

void CLedParamPage::OnInitDialog()
{
    QComboBox* channels = combo(IDC_DISPLAY_CHANNELS);
    channels->clear();
    for (int n = 1; n <= 32; ++n) {
        channels->addItem(QString::number(n));
    }
    channels->setCurrentIndex(-1);
    QComboBox* columns = combo(IDC_COLUMN_COUNT);
    columns->clear();
    for (int n = 1; n <= 5; ++n) {
        columns->addItem(QString::number(n));
    }
    columns->setCurrentIndex(-1);
}

void CLedParamPage::ShowRecord(const LedRecord&) {}

} // namespace rv
