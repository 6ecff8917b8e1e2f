// SPDX-License-Identifier: MIT
#include "app/ConfigDlg.h"

#include "app/AboutDlg.h"
#include "pages/BaseParamPage.h"
#include "pages/ChannelParamPage.h"
#include "pages/GprsParamPage.h"
#include "pages/LedParamPage.h"
#include "pages/MessageBoxSeam.h"
#include "pages/ModbusParamPage.h"
#include "pages/NetParamPage.h"
#include "pages/RelayParamPage.h"
#include "res/Resources.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>

namespace rv {

const char* const CConfigDlg::kHelpText = "  本软件适用于：RV-7640-MQD-250产品的参数配置。\r\n"
                                          "单击\"搜索\"按钮搜索设备，设备出现在设备列表后，双击设备更新信息到右边信息框"
                                          "中修改参数后，点击\"配置参数\"按钮，设备"
                                          "将保存参数并自动重启\r\n"
                                          "注意事项:\r\n"
                                          "1、确保软件与设备在同一局域网内\r\n"
                                          "2、请确定当前PC只使用一个网卡\r\n"
                                          "3、请按照 搜索->双击选中并读取->配置参数 的步骤来操作\r\n";

std::array<int, 4> CConfigDlg::DeviceListColumnWidths(int clientWidth)
{
    const int wide = (3 * clientWidth) / 11;
    return {wide, wide, wide, (2 * clientWidth) / 11};
}

CConfigDlg::CConfigDlg(std::unique_ptr<Endpoint> endpoint, SessionOptions options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint)
{
    m_session = std::make_unique<Session>(*this, std::move(endpoint), options);
    m_controls = res::BuildDialog(*this, res::kMainDialog);
    setFixedSize(size());
    setWindowIcon(res::AppIcon());
    m_tab = m_controls.get<res::TabControl>(IDC_TAB);
    m_list = m_controls.get<QTreeWidget>(IDC_DEVICE_LIST);
    m_info = m_controls.get<QPlainTextEdit>(IDC_INFO);
    m_progressDlg = new CProgressDlg(this);

    connect(m_controls.get<QPushButton>(IDC_SEARCH), &QPushButton::clicked, this, &CConfigDlg::OnSearch);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { OnDblclkDeviceList(); });
    connect(m_tab->tabBar(), &QTabBar::currentChanged, this, &CConfigDlg::OnSelchangeTab);

    OnInitDialog();
}

CConfigDlg::~CConfigDlg()
{
    // The session's threads post to this window: stop them while it is whole.
    m_session.reset();
}

void CConfigDlg::OnInitDialog()
{
    m_session->records() = ParamRecords{};

    m_controls.get<QLineEdit>(IDC_PORT)->setText(QString::number(kUnitPort));

    m_list->setHeaderLabels(
        {QStringLiteral("设备IP"), QStringLiteral("设备名称"), QStringLiteral("MAC地址"), QStringLiteral("固件版本")});
    const std::array<int, 4> widths = DeviceListColumnWidths(m_list->contentsRect().width());
    for (int column = 0; column < 4; ++column) {
        m_list->header()->resizeSection(column, widths[static_cast<std::size_t>(column)]);
    }

    m_session->infoLog().append(kHelpText);
    m_session->refresh();

    for (const char* text :
         {"网口参数 ", "GPRS参数 ", "基础参数 ", "通道参数 ", "ModBus参数", "继电器参数", "LED屏参数"}) {
        m_tab->insertItem(m_tab->tabBar()->count(), QString::fromUtf8(text));
    }

    // The pages, in the order the templates are created.
    m_netPage = new CNetParamPage(*m_session, m_tab);
    m_basePage = new CBaseParamPage(*m_session, m_tab);
    m_modbusPage = new CModbusParamPage(*m_session, m_tab);
    m_channelPage = new CChannelParamPage(*m_session, m_tab);
    m_gprsPage = new CGprsParamPage(*m_session, m_tab);
    m_relayPage = new CRelayParamPage(*m_session, m_tab);
    m_ledPage = new CLedParamPage(*m_session, m_tab);

    const QRect pageRect = m_tab->clientRect().adjusted(8, 20, -8, -8);
    for (int i = 0; i < 7; ++i) {
        CParamPage* p = page(i);
        p->OnInitDialog();
        p->setGeometry(pageRect);
        p->setVisible(i == 0);
    }
    m_tab->setCurrentIndex(0);

    m_netPage->SetStartupValues();
    m_basePage->SetStartupValues();
    m_gprsPage->SetStartupValues();

    m_session->start();
    m_controls.get<QLineEdit>(IDC_LOCAL_ADDRESS)->setText(QString::fromStdString(m_session->firstLocalAddress()));
}

CParamPage* CConfigDlg::page(int tabIndex) const
{
    switch (tabIndex) {
    case 0:
        return m_netPage;
    case 1:
        return m_gprsPage;
    case 2:
        return m_basePage;
    case 3:
        return m_channelPage;
    case 4:
        return m_modbusPage;
    case 5:
        return m_relayPage;
    case 6:
        return m_ledPage;
    default:
        return nullptr;
    }
}

void CConfigDlg::OnSearch()
{
    m_session->OnSearch();
}

void CConfigDlg::OnDblclkDeviceList()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        m_session->OnDblclkDeviceList(std::nullopt);
        return;
    }
    const std::string mac = selected.front()->text(2).toStdString();
    m_session->OnDblclkDeviceList(mac);
}

void CConfigDlg::OnSelchangeTab()
{
    // Switching pages sends nothing and leaves the InfoLog alone.
    const int shown = m_tab->currentIndex();
    if (page(shown) == nullptr) {
        return;
    }
    for (int i = 0; i < 7; ++i) {
        page(i)->setVisible(i == shown);
    }
}

void CConfigDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

// ---- SessionView ----

void CConfigDlg::post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void CConfigDlg::addDeviceRow(const DeviceRecord& device)
{
    auto* row =
        new QTreeWidgetItem({QString::fromStdString(device.ipText()), QString::fromStdString(device.name),
                             QString::fromStdString(device.macText()), QString::fromStdString(device.firmwareText())});
    m_list->insertTopLevelItem(0, row);
}

void CConfigDlg::clearDeviceRows()
{
    m_list->clear();
}

void CConfigDlg::showSelectedMac(const std::string& dashedMac)
{
    m_netPage->ShowSelectedMac(dashedMac);
}

void CConfigDlg::showNetRecord(const NetRecord& record)
{
    m_netPage->ShowRecord(record);
}

void CConfigDlg::showBaseRecord(const BaseRecord& record)
{
    m_basePage->ShowRecord(record);
}

void CConfigDlg::showGprsRecord(const GprsRecord& record)
{
    m_gprsPage->ShowRecord(record);
}

void CConfigDlg::showChannel(std::size_t index, const ChannelRecord& record)
{
    m_channelPage->ShowChannel(index, record);
}

void CConfigDlg::showRelay(std::size_t index, const RelayRecord& record)
{
    m_relayPage->ShowRelay(index, record);
}

void CConfigDlg::showSlot(std::size_t index, const ModbusSlotRecord& record)
{
    m_modbusPage->ShowSlot(index, record);
}

void CConfigDlg::showLedRecord(const LedRecord& record)
{
    m_ledPage->ShowRecord(record);
}

void CConfigDlg::refresh(const std::string& infoLog)
{
    // The InfoLog's lines end in CR LF; the edit takes LF.
    QString text = QString::fromStdString(infoLog);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_info->setPlainText(text);
    m_info->moveCursor(QTextCursor::End);
    m_info->verticalScrollBar()->setValue(m_info->verticalScrollBar()->maximum());
}

void CConfigDlg::messageBox(const std::string& text, const std::string& caption, MessageIcon icon, MessageOwner owner)
{
    MessageBoxSeam::show(ownerWidget(owner), QString::fromStdString(text), QString::fromStdString(caption), icon);
}

void CConfigDlg::setProgressText(const std::string& text)
{
    if (m_progressDlg->isVisible()) {
        m_progressDlg->progressText()->setText(QString::fromStdString(text));
    }
}

QWidget* CConfigDlg::ownerWidget(MessageOwner owner)
{
    switch (owner) {
    case MessageOwner::MainWindow:
        return this;
    case MessageOwner::NetPage:
        return m_netPage;
    case MessageOwner::BasePage:
        return m_basePage;
    case MessageOwner::GprsPage:
        return m_gprsPage;
    case MessageOwner::ChannelPage:
        return m_channelPage;
    case MessageOwner::ModbusPage:
        return m_modbusPage;
    case MessageOwner::RelayPage:
        return m_relayPage;
    case MessageOwner::LedPage:
        return m_ledPage;
    }
    return this;
}

// ---- Window events ----

void CConfigDlg::closeEvent(QCloseEvent* event)
{
    // The close box: the bound interface sockets are closed, then the window goes.
    m_session->close();
    event->accept();
}

void CConfigDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter and Esc end nothing here: a technician who presses Enter after typing an address
    // keeps the tool and every edit not yet written.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CConfigDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // Where the window manager's menu cannot be extended, the About entry lives here.
    QMenu menu(this);
    menu.addAction(QString::fromUtf8(res::IDS_ABOUTBOX), this, &CConfigDlg::OnAbout);
    menu.exec(event->globalPos());
}

} // namespace rv
