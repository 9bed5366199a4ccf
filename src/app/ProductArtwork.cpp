#include "ProductArtwork.h"

#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>
#include <map>

namespace {

constexpr int kIconSides[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Draws each size of the icon when it is first asked for. Drawing all of them takes longer than
// the rest of the login dialog's start, and only the window system wants them, once a window is
// made; until then the icon costs nothing.
class ProductIconEngine : public QIconEngine {
public:
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        auto drawn = pictures_.find({size.width(), size.height()});
        if (drawn == pictures_.end())
            drawn =
                pictures_.emplace(std::pair{size.width(), size.height()}, ProductArtwork::render(size, 1.0))
                    .first;
        return drawn->second;
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int side : kIconSides) sizes << QSize(side, side);
        return sizes;
    }
    QIconEngine* clone() const override { return new ProductIconEngine(*this); }
    QString key() const override { return QStringLiteral("ProductArtwork"); }

private:
    std::map<std::pair<int, int>, QPixmap> pictures_;
};

}  // namespace

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
    return QIcon(new ProductIconEngine);
}
