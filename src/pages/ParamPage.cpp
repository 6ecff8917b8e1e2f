// SPDX-License-Identifier: MIT
#include "pages/ParamPage.h"

namespace rv {

CParamPage::CParamPage(Session& session, const res::DialogTemplate& tpl, MessageOwner owner, QWidget* parent)
    : QWidget(parent), m_session(session), m_owner(owner)
{
    m_controls = res::BuildDialog(*this, tpl);
}

std::string CParamPage::GetDlgItemText(int id) const
{
    QWidget* w = control(id);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        return e->text().toStdString();
    }
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        return c->currentText().toStdString();
    }
    return {};
}

void CParamPage::SetDlgItemText(int id, const QString& text)
{
    QWidget* w = control(id);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(text);
    } else if (auto* c = qobject_cast<QComboBox*>(w); c != nullptr && c->isEditable()) {
        c->setEditText(text);
    }
}

void CParamPage::SetCurSel(int id, int index)
{
    QComboBox* c = combo(id);
    c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
}

int CParamPage::GetCurSel(int id) const
{
    return combo(id)->currentIndex();
}

void CParamPage::EnableItem(int id, bool enable)
{
    control(id)->setEnabled(enable);
}

void CParamPage::CheckItem(int id, bool checked)
{
    checkBox(id)->setChecked(checked);
}

bool CParamPage::IsChecked(int id) const
{
    return checkBox(id)->isChecked();
}

} // namespace rv
