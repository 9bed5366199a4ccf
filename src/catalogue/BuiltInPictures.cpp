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

QImage blank() {
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

}  // namespace

namespace BuiltInPictures {

QImage ImgNoPic() {
    QImage picture = blank();
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QColor(128, 128, 128));
    painter.setFont(pixelFont(28, QFont::Bold));
    painter.drawText(QRect(0, 18, kWidth, 44), Qt::AlignCenter, QStringLiteral("暂无照片"));
    painter.setFont(pixelFont(20, QFont::Normal));
    painter.drawText(QRect(0, 64, kWidth, 36), Qt::AlignCenter, QStringLiteral("NO PHOTOS"));
    return picture;
}

QImage imgPassage() {
    QImage picture = blank();
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QColor(0, 0, 255));
    painter.setFont(pixelFont(48, QFont::Bold));
    painter.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("课文"));
    return picture;
}

}  // namespace BuiltInPictures
