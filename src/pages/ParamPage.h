// SPDX-License-Identifier: MIT
#pragma once

// The common base of the seven tab pages: the page is built from its dialog template, finds its
// controls by id, reaches the session, and owns the message boxes it raises.

#include "net/Session.h"
#include "res/DialogBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace rv {

class CParamPage : public QWidget
{
    Q_OBJECT
public:
    CParamPage(Session& session, const res::DialogTemplate& tpl, MessageOwner owner, QWidget* parent);

    // The page's own initialisation, once its controls exist.
    virtual void OnInitDialog() {}
    // The start-up values the main window gives the page (only some pages have them).
    virtual void SetStartupValues() {}

    MessageOwner messageOwner() const { return m_owner; }
    QWidget* control(int id) const { return m_controls.control(id); }
    QLineEdit* edit(int id) const { return m_controls.get<QLineEdit>(id); }
    QComboBox* combo(int id) const { return m_controls.get<QComboBox>(id); }
    QCheckBox* checkBox(int id) const { return m_controls.get<QCheckBox>(id); }
    QPushButton* button(int id) const { return m_controls.get<QPushButton>(id); }

protected:
    Session& session() const { return m_session; }

    // The text of an edit or of a combo's edit field, as UTF-8.
    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const QString& text);
    void SetDlgItemText(int id, const std::string& text) { SetDlgItemText(id, QString::fromStdString(text)); }
    // A combo's selection: an index the combo does not hold leaves it without one (−1).
    void SetCurSel(int id, int index);
    int GetCurSel(int id) const;
    void EnableItem(int id, bool enable);
    void CheckItem(int id, bool checked);
    bool IsChecked(int id) const;
    // Connects a button's click to a handler of the page.
    template <typename Page>
    void OnClicked(int id, void (Page::*handler)())
    {
        connect(button(id), &QPushButton::clicked, static_cast<Page*>(this), handler);
    }

private:
    Session& m_session;
    MessageOwner m_owner;
    res::ControlMap m_controls;
};

} // namespace rv
