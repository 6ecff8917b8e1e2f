// SPDX-License-Identifier: MIT
#pragma once

// Dialog 100: the About box. "确定" (the default button) closes it.

#include <QDialog>

namespace rv {

class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace rv
