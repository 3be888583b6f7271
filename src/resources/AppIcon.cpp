#include "resources/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

enum class Emblem { Star, Page };

QPixmap Draw(int size, Emblem emblem)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // Three cards fanned from the bottom centre.
    const QColor backs[] = {QColor(0x3a, 0x5b, 0xa8), QColor(0xb8, 0x3a, 0x4a), QColor(0xf6, 0xf1, 0xe4)};
    const qreal angles[] = {-22, 0, 22};
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(16, 29);
        p.rotate(angles[i]);
        const QRectF card(-7.5, -24, 15, 21);
        p.setPen(QPen(QColor(0x28, 0x22, 0x30), 1.2));
        p.setBrush(backs[i]);
        p.drawRoundedRect(card, 2.2, 2.2);
        p.restore();
    }
    if (emblem == Emblem::Page) {
        // Lines of text: the deck page.
        p.setPen(QPen(QColor(0xb8, 0x3a, 0x4a), 2.2));
        p.drawLine(QPointF(13, 12), QPointF(19, 12));
        p.drawLine(QPointF(12, 16), QPointF(20, 16));
        p.drawLine(QPointF(12, 20), QPointF(18, 20));
        return pixmap;
    }
    // A gold star on the front card.
    p.save();
    p.translate(16, 15.5);
    QPainterPath star;
    for (int k = 0; k < 10; ++k) {
        const qreal r = (k % 2 == 0) ? 5.2 : 2.2;
        const qreal a = -90.0 + 36.0 * k;
        const QPointF pt(r * qCos(qDegreesToRadians(a)), r * qSin(qDegreesToRadians(a)));
        if (k == 0) {
            star.moveTo(pt);
        } else {
            star.lineTo(pt);
        }
    }
    star.closeSubpath();
    p.setPen(QPen(QColor(0x8a, 0x5a, 0x00), 0.8));
    p.setBrush(QColor(0xf2, 0xb8, 0x1c));
    p.drawPath(star);
    p.restore();
    return pixmap;
}

}  // namespace

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) {
        icon.addPixmap(Draw(size, Emblem::Star));
    }
    return icon;
}

QPixmap AppIconPixmap(int size) { return Draw(size, Emblem::Star); }

QIcon BrowserIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48}) {
        icon.addPixmap(Draw(size, Emblem::Page));
    }
    return icon;
}
