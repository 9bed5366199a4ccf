#include "BuiltInPictures.h"

#include <QFont>
#include <QPainter>

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 120;

QFont pixelFont(int pixels, QFont::Weight weight) {
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

// A white picture with antialiased text in `pen`, as `draw` lays it out on the picture's area.
template <typename Draw>
QImage withText(const QColor& pen, Draw draw) {
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(pen);
    draw(painter, picture.rect());
    return picture;
}

}  // namespace

namespace BuiltInPictures {

QImage ImgNoPic() {
    return withText(QColor(128, 128, 128), [](QPainter& painter, const QRect&) {
        painter.setFont(pixelFont(28, QFont::Bold));
        painter.drawText(QRect(0, 18, kWidth, 44), Qt::AlignCenter, QStringLiteral("暂无照片"));
        painter.setFont(pixelFont(20, QFont::Normal));
        painter.drawText(QRect(0, 64, kWidth, 36), Qt::AlignCenter, QStringLiteral("NO PHOTOS"));
    });
}

QImage imgPassage() {
    return withText(QColor(0, 0, 255), [](QPainter& painter, const QRect& area) {
        painter.setFont(pixelFont(48, QFont::Bold));
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("课文"));
    });
}

}  // namespace BuiltInPictures
