#pragma once

#include <QPixmap>

// The logo shown on the start sheet of the main window, drawn in code so that no picture file
// has to ship. Always 1171 × 590 logical pixels, drawn for the screen's pixel density.
class LogoArtwork {
public:
    static QSize size() { return {1171, 590}; }
    static QPixmap render(qreal devicePixelRatio = 1.0);
};
