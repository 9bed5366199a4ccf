#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The product's picture, a lit page over an open book: the login dialog shows it and it is the
// program's window icon. One SVG drawing, built into the program, serves every size and pixel
// density, and the desktop's menu icons are rendered from the same file.
class ProductArtwork {
public:
    static QString resourcePath();
    // The picture `size` logical pixels large, drawn for a screen of `devicePixelRatio`.
    static QPixmap render(QSize size, qreal devicePixelRatio);
    // The window icon in the sizes window managers and task bars ask for, each drawn when it is
    // first asked for.
    static QIcon icon();
};
