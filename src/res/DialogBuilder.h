// SPDX-License-Identifier: MIT
#pragma once

// Builds the widgets of a dialog template on a host widget and finds them again by id.

#include "res/DialogTemplate.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QRect>
#include <QTabBar>
#include <QWidget>

#include <map>

namespace rv::res {

// Dialog units of a font, as the platform's dialogs compute them: the average width of the 52
// Latin letters (rounded as (width / 26 + 1) / 2) and the character height. A horizontal unit is
// a quarter of the first, a vertical unit an eighth of the second.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

    int x(int units) const { return (units * m_baseX + 2) / 4; }
    int y(int units) const { return (units * m_baseY + 4) / 8; }
    QRect rect(int x, int y, int w, int h) const;
    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

private:
    int m_baseX = 4;
    int m_baseY = 8;
};

// The tab control: a row of tabs over a framed pane. Its client rectangle is where the pages are
// laid out; the templates leave 20 pixels above the pages for the tab row, so when our tab row is
// taller the client rectangle starts lower by the difference.
class TabControl : public QWidget
{
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);

    QTabBar* tabBar() const { return m_tabBar; }
    int insertItem(int index, const QString& text) { return m_tabBar->insertTab(index, text); }
    int currentIndex() const { return m_tabBar->currentIndex(); }
    void setCurrentIndex(int index) { m_tabBar->setCurrentIndex(index); }
    QRect clientRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* m_tabBar;
};

// The multi-line edit of the info area: typed letters become upper case.
class UpperCaseTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class ControlMap
{
public:
    QWidget* control(int id) const;
    template <typename T>
    T* get(int id) const
    {
        return qobject_cast<T*>(control(id));
    }
    void add(int id, QWidget* widget) { m_controls[id] = widget; }

private:
    std::map<int, QWidget*> m_controls;
};

// Creates the controls of the template as children of host, in template order (the tab order),
// gives host the dialog's font and size, and for a dialog box its caption. Labels get their
// control as buddy, and the control the label's text as its accessible name. Combos start without
// a selection. Buttons never become default buttons on their own: Enter presses a button only in
// a dialog box whose template says so.
ControlMap BuildDialog(QWidget& host, const DialogTemplate& tpl);

} // namespace rv::res
