// SPDX-License-Identifier: MIT
#include "res/Resources.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace rv::res {

const DialogTemplate* FindDialogTemplate(int id)
{
    for (const DialogTemplate* t : {&kAboutDialog, &kMainDialog, &kNetPage, &kBasePage, &kGprsPage, &kChannelPage,
                                    &kProgressDialog, &kModbusPage, &kRelayPage, &kLedPage}) {
        if (t->id == id) {
            return t;
        }
    }
    return nullptr;
}

QFont DialogFont(int pointSize)
{
    QFont font(QString::fromUtf8(kDialogFontFamily), pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QPixmap IconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // The unit's housing.
    QLinearGradient body(0, 2, 0, 30);
    body.setColorAt(0, QColor(0x3a, 0x6e, 0xb5));
    body.setColorAt(1, QColor(0x1d, 0x3f, 0x73));
    p.setPen(QPen(QColor(0x12, 0x2a, 0x4f), 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(2.5, 4.5, 27, 23), 3, 3);

    // Its display with a measured curve.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x10, 0x20, 0x18));
    p.drawRect(QRectF(6, 8, 20, 11));
    QPainterPath curve;
    curve.moveTo(7, 16);
    curve.cubicTo(11, 9, 14, 18, 18, 12);
    curve.lineTo(25, 11);
    p.setPen(QPen(QColor(0x5c, 0xf0, 0x7a), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);

    // Two status lamps.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x4c, 0xe0, 0x4c));
    p.drawEllipse(QPointF(8.5, 23.5), 1.8, 1.8);
    p.setBrush(QColor(0xf5, 0xa6, 0x23));
    p.drawEllipse(QPointF(14, 23.5), 1.8, 1.8);
    return pixmap;
}

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) {
        icon.addPixmap(IconPixmap(size));
    }
    return icon;
}

} // namespace rv::res
