#include "Look.h"

#include <QPalette>

QFont pixelFont(int pixels, Weight weight) {
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(pixels);
    font.setBold(weight == Weight::Bold);
    return font;
}

QColor navy() {
    return QColor(0, 0, 128);
}

void paintText(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(role, colour);
    widget->setPalette(palette);
}
