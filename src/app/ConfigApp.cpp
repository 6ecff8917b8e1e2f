// SPDX-License-Identifier: MIT
#include "app/ConfigApp.h"

#include "app/ConfigDlg.h"
#include "net/UdpEndpoint.h"
#include "res/Resources.h"

#include <QApplication>

namespace rv {

int CConfigApp::InitInstance()
{
    QApplication::setFont(res::DialogFont(9));
    QApplication::setWindowIcon(res::AppIcon());
    QApplication::setApplicationDisplayName(QString::fromUtf8(kAppName));
    {
        CConfigDlg dlg(std::make_unique<UdpEndpoint>());
        dlg.show();
        QApplication::exec();
    } // the session closes every socket with the window
    return 0;
}

} // namespace rv
