// SPDX-License-Identifier: MIT
#include "app/ProgressDlg.h"

#include "res/DialogBuilder.h"
#include "res/Resources.h"

namespace rv {

CProgressDlg::CProgressDlg(QWidget* parent) : QDialog(parent)
{
    const res::ControlMap controls = res::BuildDialog(*this, res::kProgressDialog);
    m_text = controls.get<QLabel>(IDC_PROGRESS_TEXT);
    setFixedSize(size());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

} // namespace rv
