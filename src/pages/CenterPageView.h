#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <string>

#include "PagePane.h"

class PageZoom;
class QToolButton;

// The current page of the textbook sheet: the picture fitted to the pane's height (its width
// following the natural aspect), centred, with the two page arrows over it and zoom and pan.
// The decoded picture is kept, so resizing the pane never decodes again unless the pane
// outgrows a reduced decode.
class CenterPageView : public QObject {
    Q_OBJECT

public:
    explicit CenterPageView(QWidget* parent);

    QWidget* panel() const { return pane_.panel; }
    PageScrollBox* box() const { return pane_.box; }
    PagePicture* picture() const { return pane_.picture; }
    PageZoom* zoom() const { return zoom_; }
    QToolButton* previousArrow() const { return previous_; }
    QToolButton* nextArrow() const { return next_; }

    // The cache path of the picture shown; empty until one is shown.
    const std::string& file() const { return file_; }
    // The shown picture's own size, whatever size it was decoded at.
    QSize natural() const { return natural_; }

    // Shows `picture`, decoded from `path` (at most as tall as heightLimit()), whose natural size
    // is `natural`, fitted and scrolled to its top.
    void showPicture(const std::string& path, const QImage& picture, QSize natural);
    // The tallest a picture is decoded for this pane: the pane or the tallest screen, in pixels.
    int heightLimit() const;

signals:
    // An arrow or a swipe asked for the previous (-1) or next (+1) page.
    void stepRequested(int direction);

private:
    void fit();

    PagePane pane_;
    PageZoom* zoom_ = nullptr;
    QToolButton* previous_ = nullptr;
    QToolButton* next_ = nullptr;
    std::string file_;
    QImage decoded_;
    QSize natural_;
};
