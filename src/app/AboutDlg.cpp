// SPDX-License-Identifier: MIT
#include "app/AboutDlg.h"

#include "res/DialogBuilder.h"
#include "res/Resources.h"

#include <QPushButton>

namespace rv {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    constexpr int IDOK = 1;
    const res::ControlMap controls = res::BuildDialog(*this, res::kAboutDialog);
    setFixedSize(size());
    connect(controls.get<QPushButton>(IDOK), &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace rv
