// SPDX-License-Identifier: MIT
#include "res/DialogBuilder.h"

#include "res/Resources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTreeWidget>

#include <algorithm>

namespace rv::res {

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics fm(font);
    const int letters = fm.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    m_baseX = (letters / 26 + 1) / 2;
    m_baseY = fm.height();
}

QRect DialogUnits::rect(int ux, int uy, int uw, int uh) const
{
    return {x(ux), y(uy), x(uw), y(uh)};
}

// ---- TabControl ----

namespace {
// The tab row's padding, narrower than the platform style's, as the templates assume: the seven
// page names then fit the width the main window gives them.
class CompactTabStyle : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_TabBarTabHSpace) {
            return 12;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};
} // namespace

TabControl::TabControl(QWidget* parent) : QWidget(parent), m_tabBar(new QTabBar(this))
{
    m_tabBar->setDrawBase(false);
    m_tabBar->setExpanding(false);
    m_tabBar->setElideMode(Qt::ElideNone);
    m_tabBar->setUsesScrollButtons(false);
    auto* style = new CompactTabStyle;
    style->setParent(m_tabBar);
    m_tabBar->setStyle(style);
}

QRect TabControl::clientRect() const
{
    constexpr int kTemplateTabRow = 20;
    const int extra = std::max(0, m_tabBar->sizeHint().height() - kTemplateTabRow);
    return rect().adjusted(0, extra, 0, 0);
}

void TabControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_tabBar->setGeometry(0, 0, width(), m_tabBar->sizeHint().height());
}

void TabControl::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int top = m_tabBar->sizeHint().height() - 1;
    frame.rect = rect().adjusted(0, top, 0, 0);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = m_tabBar->sizeHint();
    frame.tabBarRect = m_tabBar->tabRect(m_tabBar->currentIndex());
    frame.selectedTabRect = frame.tabBarRect;
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

// ---- UpperCaseTextEdit ----

void UpperCaseTextEdit::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const QString upper = text.toUpper();
    if (!text.isEmpty() && upper != text) {
        QKeyEvent raised(event->type(), event->key(), event->modifiers(), upper, event->isAutoRepeat(),
                         static_cast<quint16>(event->count()));
        QPlainTextEdit::keyPressEvent(&raised);
        event->setAccepted(raised.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// ---- ControlMap ----

QWidget* ControlMap::control(int id) const
{
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

// ---- BuildDialog ----

namespace {

QWidget* Create(const Control& c, QWidget& host, const DialogUnits& du, bool inDialogBox)
{
    const QString text = QString::fromUtf8(c.text);
    QRect r = du.rect(c.x, c.y, c.w, c.h);
    QWidget* w = nullptr;
    switch (c.kind) {
    case Kind::GroupBox: {
        w = new QGroupBox(text, &host);
        break;
    }
    case Kind::Label: {
        auto* label = new QLabel(text, &host);
        if (c.w == 0) {
            r.setWidth(label->fontMetrics().horizontalAdvance(text) + 1);
        }
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        w = label;
        break;
    }
    case Kind::Edit: {
        if (c.flags & Flag::MultiLine) {
            QPlainTextEdit* e = (c.flags & Flag::UpperCase) ? new UpperCaseTextEdit(&host) : new QPlainTextEdit(&host);
            e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            e->setReadOnly(c.flags & Flag::ReadOnly);
            w = e;
        } else {
            auto* e = new QLineEdit(&host);
            e->setReadOnly(c.flags & Flag::ReadOnly);
            w = e;
        }
        break;
    }
    case Kind::DropList:
    case Kind::DropCombo: {
        auto* combo = new QComboBox(&host);
        combo->setEditable(c.kind == Kind::DropCombo);
        if (c.items != nullptr) {
            combo->addItems(QString::fromUtf8(c.items).split(QLatin1Char('\n')));
        }
        combo->setCurrentIndex(-1);
        combo->setMaxVisibleItems(std::max(1, (c.h - 14) / 8));
        r.setHeight(combo->sizeHint().height());
        w = combo;
        break;
    }
    case Kind::PushButton: {
        auto* b = new QPushButton(text, &host);
        b->setAutoDefault(false);
        b->setDefault(inDialogBox && (c.flags & Flag::DefaultButton));
        w = b;
        break;
    }
    case Kind::CheckBox: {
        w = new QCheckBox(text, &host);
        break;
    }
    case Kind::ListView: {
        auto* list = new QTreeWidget(&host);
        list->setRootIsDecorated(false);
        list->setUniformRowHeights(true);
        list->setItemsExpandable(false);
        list->setAllColumnsShowFocus(true);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setSelectionMode((c.flags & Flag::SingleSelection) ? QAbstractItemView::SingleSelection
                                                                 : QAbstractItemView::ExtendedSelection);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setHeaderLabels({QString()});
        list->header()->setStretchLastSection(false);
        w = list;
        break;
    }
    case Kind::TabControl: {
        w = new TabControl(&host);
        break;
    }
    case Kind::Icon: {
        auto* label = new QLabel(&host);
        label->setPixmap(IconPixmap(32));
        r.setSize({32, 32});
        w = label;
        break;
    }
    }
    w->setGeometry(r);
    w->setEnabled(!(c.flags & Flag::Disabled));
    if (c.id != kNoId) {
        w->setObjectName(QStringLiteral("ctl%1").arg(c.id));
    }
    return w;
}

} // namespace

ControlMap BuildDialog(QWidget& host, const DialogTemplate& tpl)
{
    const QFont font = DialogFont(tpl.pointSize);
    host.setFont(font);
    const DialogUnits du(font);
    const bool inDialogBox = qobject_cast<QDialog*>(&host) != nullptr;
    if (host.isWindow()) {
        host.setWindowTitle(QString::fromUtf8(tpl.caption));
    }
    host.resize(du.x(tpl.w), du.y(tpl.h));

    ControlMap map;
    std::vector<std::pair<QLabel*, int>> buddies;
    std::vector<QWidget*> groups;
    for (const Control& c : tpl.controls) {
        QWidget* w = Create(c, host, du, inDialogBox);
        if (c.id != kNoId) {
            map.add(c.id, w);
        }
        if (c.kind == Kind::GroupBox) {
            groups.push_back(w);
        }
        if (c.kind == Kind::Label && c.buddy != kNoId) {
            buddies.emplace_back(static_cast<QLabel*>(w), c.buddy);
        }
    }
    // A group box only frames the controls over it; it never hides them.
    for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
        (*it)->lower();
    }
    for (const auto& [label, id] : buddies) {
        if (QWidget* target = map.control(id)) {
            label->setBuddy(target);
            target->setAccessibleName(label->text());
        }
    }
    for (const Control& c : tpl.controls) {
        if (c.id != kNoId && (c.kind == Kind::PushButton || c.kind == Kind::CheckBox)) {
            map.control(c.id)->setAccessibleName(QString::fromUtf8(c.text));
        }
    }
    return map;
}

} // namespace rv::res
