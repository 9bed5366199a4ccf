#include "ProductArtwork.h"

#include <QPainter>
#include <QSvgRenderer>

QString ProductArtwork::resourcePath() {
    return QStringLiteral(":/lumoclass/lumoclass.svg");
}

QPixmap ProductArtwork::render(QSize size, qreal devicePixelRatio) {
    const QSize device = (QSizeF(size) * devicePixelRatio).toSize();
    QPixmap picture(device);
    picture.fill(Qt::transparent);
    QSvgRenderer drawing(resourcePath());
    QPainter painter(&picture);
    drawing.render(&painter, QRectF(QPointF(0, 0), QSizeF(device)));
    painter.end();
    picture.setDevicePixelRatio(devicePixelRatio);
    return picture;
}

QIcon ProductArtwork::icon() {
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) icon.addPixmap(render(QSize(side, side), 1.0));
    return icon;
}
