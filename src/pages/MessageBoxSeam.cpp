// SPDX-License-Identifier: MIT
#include "pages/MessageBoxSeam.h"

#include <QMessageBox>

namespace rv {

namespace {
MessageBoxSeam::Handler& CurrentHandler()
{
    static MessageBoxSeam::Handler handler;
    return handler;
}

QMessageBox::Icon ToQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void MessageBoxSeam::show(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon)
{
    if (const Handler& handler = CurrentHandler()) {
        handler(MessageBoxRequest{owner, text, caption, icon});
        return;
    }
    QMessageBox box(ToQt(icon), caption, text, QMessageBox::Ok, owner);
    box.exec();
}

void MessageBoxSeam::setHandler(Handler handler)
{
    CurrentHandler() = std::move(handler);
}

} // namespace rv
