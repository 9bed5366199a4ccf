#include "PageArrowArtwork.h"

#include <QPainter>
#include <QPainterPath>

QPixmap PageArrowArtwork::render(Direction direction, qreal devicePixelRatio) {
    const QSize extent = size();
    QPixmap picture((QSizeF(extent) * devicePixelRatio).toSize());
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF disc = QRectF(QPointF(0, 0), extent).adjusted(2, 2, -2, -2);
    painter.setPen(QPen(QColor(255, 255, 255, 170), 2));
    painter.setBrush(QColor(20, 40, 80, 120));
    painter.drawEllipse(disc);

    // A chevron pointing left, mirrored for the next page.
    const qreal w = extent.width(), h = extent.height();
    QPainterPath chevron;
    chevron.moveTo(w * 0.58, h * 0.26);
    chevron.lineTo(w * 0.36, h * 0.50);
    chevron.lineTo(w * 0.58, h * 0.74);
    if (direction == Direction::Next) chevron = QTransform(-1, 0, 0, 1, w, 0).map(chevron);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 5.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(chevron);
    return picture;
}
