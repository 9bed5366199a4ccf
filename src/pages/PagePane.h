#pragma once

#include <QString>

class PagePicture;
class PageScrollBox;
class QWidget;

// A page pane of the textbook sheet: a panel filled by its scroll box, whose client holds the
// picture. The panel belongs to `parent`; the box and picture to the panel.
struct PagePane {
    struct Names {
        const char* panel;
        const char* box;
        const char* picture;
        QString caption;  // the box's accessible name
    };

    static PagePane create(QWidget* parent, const Names& names);

    // Top 0; centred horizontally when narrower than the box, else at the left edge.
    static void centreInBox(QWidget* picture, PageScrollBox* box);

    QWidget* panel = nullptr;
    PageScrollBox* box = nullptr;
    PagePicture* picture = nullptr;
};
