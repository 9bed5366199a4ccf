#include "LogoArtwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

QPixmap LogoArtwork::render(qreal devicePixelRatio) {
    // The painter works in logical pixels on a picture that has the device's.
    QPixmap picture((QSizeF(size()) * devicePixelRatio).toSize());
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF area(QPointF(0, 0), QSizeF(size()));
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0.0, QColor(232, 242, 255));
    sky.setColorAt(1.0, QColor(255, 255, 255));
    painter.fillRect(area, sky);

    // A rising sun over an open book: light on the page, the product's name beneath.
    const QPointF sunCentre(585, 250);
    QRadialGradient glow(sunCentre, 170);
    glow.setColorAt(0.0, QColor(255, 214, 102));
    glow.setColorAt(0.6, QColor(255, 176, 59, 180));
    glow.setColorAt(1.0, QColor(255, 176, 59, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(sunCentre, 170, 170);
    painter.setBrush(QColor(255, 190, 60));
    painter.drawEllipse(sunCentre, 70, 70);

    QPen rayPen(QColor(255, 190, 60), 8, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(rayPen);
    for (int i = 0; i < 9; ++i) {
        painter.save();
        painter.translate(sunCentre);
        painter.rotate(-180 + 22.5 * i);
        painter.drawLine(QPointF(95, 0), QPointF(130, 0));
        painter.restore();
    }

    const QColor navy(0, 0, 128);
    painter.setPen(QPen(navy, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (int side : {-1, 1}) {
        QPainterPath page;
        page.moveTo(585, 360);
        page.cubicTo(585 + side * 90, 320, 585 + side * 180, 325, 585 + side * 260, 345);
        page.lineTo(585 + side * 260, 420);
        page.cubicTo(585 + side * 180, 400, 585 + side * 90, 400, 585, 440);
        page.closeSubpath();
        painter.setBrush(side < 0 ? QColor(70, 120, 220) : QColor(90, 150, 240));
        painter.drawPath(page);
    }
    painter.drawLine(QPointF(585, 360), QPointF(585, 440));

    QFont title(QStringLiteral("sans-serif"));
    title.setPixelSize(64);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(navy);
    painter.drawText(QRectF(0, 455, area.width(), 80), Qt::AlignCenter, QStringLiteral("Lumovia Class"));
    QFont subtitle(QStringLiteral("sans-serif"));
    subtitle.setPixelSize(34);
    painter.setFont(subtitle);
    painter.setPen(QColor(40, 70, 160));
    painter.drawText(QRectF(0, 525, area.width(), 50), Qt::AlignCenter, QStringLiteral("Lumo课堂"));
    return picture;
}
