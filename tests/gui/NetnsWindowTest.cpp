// SPDX-License-Identifier: MIT
// The whole window on the real UDP endpoint against rvunit-sim, the tool and the units each in a
// network namespace of its own: search, double click, the network page filled from the unit.
// Skipped where namespaces cannot be made.
#include "app/ConfigDlg.h"
#include "net/UdpEndpoint.h"
#include "pages/MessageBoxSeam.h"
#include "pages/NetParamPage.h"
#include "protocol/TextConv.h"
#include "sim/SimUnit.h"
#include "support/Netns.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace rv::test {
namespace {

using namespace std::chrono_literals;
using Net = CNetParamPage;

// Only reached when something is lost; the test never measures time.
constexpr int kSafetyNetMs = 20000;

TEST(NetnsWindow, SearchSelectAndShowTheUnitsNetworkSettings)
{
    if (auto why = NetnsUnavailable()) {
        GTEST_SKIP() << *why;
    }
    NetnsLab lab;
    ASSERT_TRUE(lab.ok()) << lab.error();
    const std::string pc = lab.addNamespace("gui-pc");
    ASSERT_TRUE(lab.connect(pc, "eth0", "10.77.0.1/24")) << lab.error();
    const std::string units = lab.addNamespace("gui-units");
    ASSERT_TRUE(lab.connect(units, "eth0", "10.77.0.2/24", true)) << lab.error();
    NetnsProcess sim(units, RV_SIM_PATH, {"--units", "3"});
    ASSERT_TRUE(sim.waitForOutput("replies to", 20s)) << sim.output();

    std::vector<MessageBoxRequest> boxes;
    MessageBoxSeam::setHandler([&boxes](const MessageBoxRequest& box) { boxes.push_back(box); });
    {
        // The window's sockets are made on this thread, so they belong to the PC's namespace.
        NetnsScope scope(pc);
        ASSERT_TRUE(scope.ok()) << scope.error();
        CConfigDlg dlg(std::make_unique<UdpEndpoint>());
        dlg.show();
        EXPECT_EQ(qobject_cast<QLineEdit*>(dlg.control(CConfigDlg::IDC_LOCAL_ADDRESS))->text(), "10.77.0.1");

        dlg.findChild<QPushButton*>(QStringLiteral("ctl1002"))->click();
        QTreeWidget* list = dlg.deviceList();
        ASSERT_TRUE(QTest::qWaitFor([list] { return list->topLevelItemCount() >= 3; }, kSafetyNetMs));

        const sim::SimUnit unit = sim::MakeFactoryUnit(2);
        QTreeWidgetItem* row =
            list->findItems(QString::fromStdString(FormatMacPlain(unit.mac)), Qt::MatchExactly, 2).value(0);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->text(1).toStdString(), unit.name);
        EXPECT_EQ(row->text(0).toStdString(), FormatDottedQuad(unit.ip));

        const QRect rect = list->visualItemRect(row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        ASSERT_TRUE(QTest::qWaitFor([&dlg] { return dlg.session().m_bUnitSelected != 0; }, kSafetyNetMs));

        CNetParamPage& page = dlg.netPage();
        EXPECT_EQ(page.edit(Net::IDC_MAC)->text().toStdString(), FormatMacDashed(unit.mac));
        EXPECT_EQ(page.edit(Net::IDC_STATIC_IP)->text().toStdString(), FormatDottedQuad(unit.net.staticIp));
        EXPECT_EQ(page.edit(Net::IDC_GATEWAY)->text().toStdString(), FormatDottedQuad(unit.net.gateway));
        EXPECT_EQ(page.edit(Net::IDC_SERVER1_LISTEN_PORT)->text().toStdString(),
                  FormatUnsigned(unit.net.server1ListenPort));
        EXPECT_EQ(page.combo(Net::IDC_IP_MODE)->currentIndex(), IpModeFromByte(unit.net.ipMode));
        EXPECT_NE(dlg.session().infoLog().text().find("读取网络参数成功！\r\n"), std::string::npos);

        // scripts/screenshot.sh runs this test on a real display to picture the window as it is now.
        if (const QString shot = qEnvironmentVariable("RV_SCREENSHOT"); !shot.isEmpty()) {
            EXPECT_TRUE(dlg.grab().save(shot)) << shot.toStdString();
        }
        dlg.close();
    }
    MessageBoxSeam::setHandler({});
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    EXPECT_EQ(sim.stop(), 0) << sim.output();
}

} // namespace
} // namespace rv::test
