// SPDX-License-Identifier: MIT
#include "pages/RelayParamPage.h"

#include "res/Resources.h"

namespace rv {

CRelayParamPage::CRelayParamPage(Session& session, QWidget* parent)
    : CParamPage(session, res::kRelayPage, MessageOwner::RelayPage, parent)
{}

void CRelayParamPage::OnInitDialog()
{
    QComboBox* relays = combo(IDC_RELAY);
    for (int n = 1; n <= 8; ++n) {
        relays->addItem(QStringLiteral("继电器%1").arg(n));
    }
    relays->setCurrentIndex(-1);
}

void CRelayParamPage::ShowRelay(std::size_t, const RelayRecord&) {}

} // namespace rv
