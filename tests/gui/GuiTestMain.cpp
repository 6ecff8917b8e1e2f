// SPDX-License-Identifier: MIT
// The GUI tests run headless: without a display they use Qt's offscreen platform. CTest's test
// discovery runs this binary at build time, where there is no display either.
#include "res/Resources.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setFont(rv::res::DialogFont(9));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
