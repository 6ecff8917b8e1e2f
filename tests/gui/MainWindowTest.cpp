// SPDX-License-Identifier: MIT
// The main window: its start-up state, search and the device list, selection, tab switching,
// keys that must not end it, and its close.
#include "GuiFixture.h"

#include "app/AboutDlg.h"
#include "pages/BaseParamPage.h"
#include "pages/GprsParamPage.h"
#include "res/Resources.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace rv::test {
namespace {

using Net = CNetParamPage;

TEST(DeviceListColumns, AreThreeEleventhsThriceAndTwoElevenths)
{
    EXPECT_EQ(CConfigDlg::DeviceListColumnWidths(550), (std::array<int, 4>{150, 150, 150, 100}));
    // Integer division truncates each column on its own.
    EXPECT_EQ(CConfigDlg::DeviceListColumnWidths(100), (std::array<int, 4>{27, 27, 27, 18}));
}

TEST_F(GuiTest, StartsWithHelpTextNetworkPageAndPort)
{
    const std::string help =
        "  本软件适用于：RV-7640-MQD-250产品的参数配置。\r\n"
        "单击\"搜索\"按钮搜索设备，设备出现在设备列表后，双击设备更新信息到右边信息框中修改参数后，"
        "点击\"配置参数\"按钮，设备将保存参数并自动重启\r\n"
        "注意事项:\r\n"
        "1、确保软件与设备在同一局域网内\r\n"
        "2、请确定当前PC只使用一个网卡\r\n"
        "3、请按照 搜索->双击选中并读取->配置参数 的步骤来操作\r\n";
    EXPECT_EQ(infoLog(), help);
    QString shown = QString::fromStdString(help);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(dlg->infoEdit()->toPlainText(), shown);

    EXPECT_EQ(dlg->tab()->currentIndex(), 0);
    EXPECT_FALSE(dlg->page(0)->isHidden());
    for (int i = 1; i < 7; ++i) {
        EXPECT_TRUE(dlg->page(i)->isHidden()) << "page of tab " << i;
    }
    const QStringList tabs{"网口参数 ", "GPRS参数 ", "基础参数 ", "通道参数 ", "ModBus参数", "继电器参数", "LED屏参数"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(dlg->tab()->tabBar()->tabText(i), tabs[i]);
    }

    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg->control(CConfigDlg::IDC_PORT))->text(), "1901");
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg->control(CConfigDlg::IDC_LOCAL_ADDRESS))->text(), "10.77.0.1");
    EXPECT_EQ(dlg->windowTitle(), "RV-7640-MQD-250 主机配置软件 V3.0");

    QTreeWidget* list = dlg->deviceList();
    const QStringList headings{"设备IP", "设备名称", "MAC地址", "固件版本"};
    const auto widths = CConfigDlg::DeviceListColumnWidths(list->contentsRect().width());
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(list->headerItem()->text(c), headings[c]);
        EXPECT_EQ(list->header()->sectionSize(c), widths[static_cast<std::size_t>(c)]);
    }
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(GuiTest, PagesCarryTheirStartupValues)
{
    struct Text
    {
        int id;
        const char* text;
        bool enabled;
    };
    for (const Text& t : {Text{Net::IDC_STATIC_IP, "192.168.0.9", true},
                          {Net::IDC_SUBNET_MASK, "255.255.255.0", true},
                          {Net::IDC_GATEWAY, "192.168.0.1", true},
                          {Net::IDC_SERVER1_SOURCE_PORT, "2000", true},
                          {Net::IDC_SERVER1_LISTEN_PORT, "2404", true},
                          {Net::IDC_SERVER1_ADDRESS, "192.168.0.166", true},
                          {Net::IDC_SERVER2_SOURCE_PORT, "0", false},
                          {Net::IDC_SERVER2_LISTEN_PORT, "0", false},
                          {Net::IDC_SERVER2_ADDRESS, "", false},
                          {Net::IDC_MAC, "02-3C-7A-00-00-00", false}}) {
        EXPECT_EQ(netEdit(t.id)->text(), QString::fromUtf8(t.text)) << t.id;
        EXPECT_EQ(netEdit(t.id)->isEnabled(), t.enabled) << t.id;
    }
    EXPECT_EQ(netCombo(Net::IDC_IP_MODE)->currentIndex(), 0);
    EXPECT_TRUE(netCombo(Net::IDC_IP_MODE)->isEnabled());
    EXPECT_EQ(netCombo(Net::IDC_MAX_CONNECTIONS)->currentText(), "8");
    EXPECT_FALSE(netCombo(Net::IDC_MAX_CONNECTIONS)->isEnabled());

    CBaseParamPage& base = dlg->basePage();
    EXPECT_EQ(base.combo(CBaseParamPage::IDC_SERVER_COUNT)->currentIndex(), 8);
    EXPECT_EQ(base.edit(CBaseParamPage::IDC_TERMINAL_ADDRESS)->text(), "12345678");
    EXPECT_EQ(base.edit(CBaseParamPage::IDC_LOGIN_INTERVAL)->text(), "3");
    EXPECT_EQ(base.edit(CBaseParamPage::IDC_HEARTBEAT_INTERVAL)->text(), "60");
    EXPECT_EQ(base.edit(CBaseParamPage::IDC_DATA_INTERVAL)->text(), "5");
    EXPECT_FALSE(base.edit(CBaseParamPage::IDC_DATA_INTERVAL)->isEnabled());
    EXPECT_EQ(base.combo(CBaseParamPage::IDC_CHANNEL_COUNT)->currentIndex(), 1);
    EXPECT_EQ(base.combo(CBaseParamPage::IDC_BAUD_RATE)->currentText(), "4800");
    EXPECT_EQ(base.combo(CBaseParamPage::IDC_STORAGE_TYPE)->currentIndex(), -1); // not listed: no selection

    CGprsParamPage& gprs = dlg->gprsPage();
    EXPECT_EQ(gprs.edit(CGprsParamPage::IDC_DATA_INTERVAL)->text(), "20");
    EXPECT_EQ(gprs.edit(CGprsParamPage::IDC_TARGET_ADDRESS)->text(), "192.168.1.1");
    EXPECT_EQ(gprs.edit(CGprsParamPage::IDC_PHONE5)->text(), "13000000000");
    EXPECT_EQ(gprs.combo(CGprsParamPage::IDC_WORK_TYPE)->currentText(), "传输模式");
}

TEST_F(GuiTest, EditsAreNamedByTheirLabels)
{
    QLineEdit* ip = netEdit(Net::IDC_STATIC_IP);
    EXPECT_EQ(ip->accessibleName(), "静态IP：");
    bool buddyFound = false;
    for (QLabel* label : net().findChildren<QLabel*>()) {
        buddyFound = buddyFound || (label->buddy() == ip && label->text() == "静态IP：");
    }
    EXPECT_TRUE(buddyFound);
    EXPECT_EQ(net().button(Net::IDC_WRITE_MAC)->text(), "写MAC");
}

TEST_F(GuiTest, SearchListsEveryReplyNewestOnTop)
{
    endpoint->clearSent();
    dlg->findChild<QPushButton*>(QStringLiteral("ctl1002"))->click();
    ASSERT_EQ(endpoint->sent().size(), 1u);
    EXPECT_EQ(endpoint->sent()[0], (Bytes{0xAA, 0x00, 0x01, 0x02, 0x02}));
    EXPECT_EQ(infoLog(), "搜索...\r\n");

    deliverDevice(0xC0A80009, {0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F}, 0x012E, "一号机");
    deliverDevice(0x0A4D0002, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}, 7, "unit2");
    QTreeWidget* list = dlg->deviceList();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    const QTreeWidgetItem* top = list->topLevelItem(0);
    EXPECT_EQ(top->text(0), "10.77.0.2");
    EXPECT_EQ(top->text(1), "unit2");
    EXPECT_EQ(top->text(2), "123456789ABC");
    EXPECT_EQ(top->text(3), "7");
    const QTreeWidgetItem* first = list->topLevelItem(1);
    EXPECT_EQ(first->text(0), "192.168.0.9");
    EXPECT_EQ(first->text(1), "一号机");
    EXPECT_EQ(first->text(2), "1A2B3C4D5E6F");
    EXPECT_EQ(first->text(3), "302");
    EXPECT_EQ(infoLog(), "搜索...\r\n搜索到设备\r\n搜索到设备\r\n");

    // The next search starts an empty list.
    dlg->OnSearch();
    EXPECT_EQ(list->topLevelItemCount(), 0);
}

TEST_F(GuiTest, DoubleClickSelectsTheUnitAndReadsItsNetworkSettings)
{
    deliverDevice(0xC0A80009, {0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F}, 302, "u");
    endpoint->clearSent();
    QTreeWidget* list = dlg->deviceList();

    // Nothing selected: nothing is sent.
    dlg->OnDblclkDeviceList();
    EXPECT_EQ(endpoint->sentCount(), 0u);

    dlg->show();
    const QRect row = list->visualItemRect(list->topLevelItem(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_GE(endpoint->sentCount(), 1u);
    EXPECT_EQ(endpoint->sent().back(), (Bytes{0xAA, 0x00, 0x07, 0x03, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F, 0x9E}));
    EXPECT_EQ(netEdit(Net::IDC_MAC)->text(), "1A-2B-3C-4D-5E-6F");
    EXPECT_EQ(infoLog(), "读取参数...\r\n");
}

TEST_F(GuiTest, SwitchingTabsShowsOnePageAndSendsNothing)
{
    endpoint->clearSent();
    const std::string before = infoLog();
    for (int shown : {3, 6, 1, 0}) {
        dlg->tab()->setCurrentIndex(shown);
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(dlg->page(i)->isHidden(), i != shown) << "tab " << shown << " page " << i;
        }
    }
    EXPECT_EQ(endpoint->sentCount(), 0u);
    EXPECT_EQ(infoLog(), before);
}

TEST_F(GuiTest, EnterAndEscapeNeitherCloseTheWindowNorPressAButton)
{
    dlg->show();
    endpoint->clearSent();
    for (QWidget* target : {static_cast<QWidget*>(dlg.get()), static_cast<QWidget*>(netEdit(Net::IDC_STATIC_IP)),
                            static_cast<QWidget*>(net().button(Net::IDC_WRITE_NET))}) {
        target->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(target, key);
        }
    }
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(endpoint->sentCount(), 0u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(GuiTest, ClosingTheWindowClosesTheInterfaceSockets)
{
    dlg->show();
    const int before = endpoint->closeInterfaceCount();
    EXPECT_TRUE(dlg->close());
    EXPECT_EQ(endpoint->closeInterfaceCount(), before + 1);
}

TEST_F(GuiTest, NetworkFailuresShowWithTheApplicationsName)
{
    endpoint->fail("套接字创建失败");
    QApplication::processEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "套接字创建失败");
    EXPECT_EQ(boxes[0].caption, QString::fromUtf8(kAppName));
    EXPECT_EQ(boxes[0].icon, MessageIcon::None);
    EXPECT_EQ(boxes[0].owner, dlg.get());
}

TEST_F(GuiTest, AboutBoxOpensFromTheMenuEntryAndClosesWithOk)
{
    QString entry;
    QString caption;
    const auto closeAbout = [&caption] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        caption = about->windowTitle();
        about->findChild<QPushButton*>(QStringLiteral("ctl1"))->click();
    };
    QTimer::singleShot(0, [&entry, closeAbout] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().size(), 1);
        QAction* action = menu->actions().front();
        entry = action->text();
        QTimer::singleShot(0, closeAbout);
        menu->close();
        action->trigger();
    });
    dlg->show();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), dlg->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(dlg.get(), &event);
    EXPECT_EQ(entry, "关于 RV-7640-MQD-250(&A)...");
    EXPECT_EQ(caption, "关于 RV-7640-MQD-250配置软件");
    EXPECT_TRUE(dlg->isVisible());
}

} // namespace
} // namespace rv::test
