#pragma once

#include <QPixmap>

// The two page-turning arrows drawn over the current page, drawn in code: a white chevron on a
// half-transparent dark disc, legible on any page and leaving the page visible around it.
// Always 50 x 50 logical pixels with a transparent background, drawn for a given pixel density.
class PageArrowArtwork {
public:
    enum class Direction { Previous, Next };

    static QSize size() { return {50, 50}; }
    static QPixmap render(Direction direction, qreal devicePixelRatio = 1.0);
};
