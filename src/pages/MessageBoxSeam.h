// SPDX-License-Identifier: MIT
#pragma once

// The one way a modal message box is shown. The tool shows a QMessageBox with an OK button; tests
// install a handler that records the box and returns at once.

#include "net/SessionView.h"

#include <QString>
#include <QWidget>

#include <functional>

namespace rv {

struct MessageBoxRequest
{
    QWidget* owner = nullptr;
    QString text;
    QString caption;
    MessageIcon icon = MessageIcon::None;
};

class MessageBoxSeam
{
public:
    using Handler = std::function<void(const MessageBoxRequest&)>;

    // Shows the box modally, owned by owner; returns when it has been closed.
    static void show(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon);
    // Replaces the modal box (an empty handler restores it).
    static void setHandler(Handler handler);
};

} // namespace rv
