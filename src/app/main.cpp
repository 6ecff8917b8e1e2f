// SPDX-License-Identifier: MIT
// rvconfig: the configuration tool of the RV-7640-MQD-250 monitoring host.
#include "app/ConfigApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    rv::CConfigApp app;
    return app.InitInstance();
}
