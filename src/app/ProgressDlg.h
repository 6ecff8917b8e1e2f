// SPDX-License-Identifier: MIT
#pragma once

// Dialog 152: the progress box of the batch transfers. The transfer writes its text 1109; only
// the user closes it (close box, Enter or Esc).

#include <QDialog>
#include <QLabel>

namespace rv {

class CProgressDlg : public QDialog
{
    Q_OBJECT
public:
    enum : int
    {
        IDC_PROGRESS_TEXT = 1109,
    };

    explicit CProgressDlg(QWidget* parent = nullptr);

    QLabel* progressText() const { return m_text; }

private:
    QLabel* m_text = nullptr;
};

} // namespace rv
