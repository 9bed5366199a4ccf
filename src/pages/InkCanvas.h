#pragma once

#include <QImage>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <optional>

#include "ink/InkStroke.h"

class InkController;
class PageInk;
class PagePicture;

// The ink of one page drawn over its picture: a child of the picture widget covering it, so the
// strokes, kept in the picture's natural pixels, are scaled with whatever size the fit rule, a
// resize or the zoom gives the picture. It never takes input itself (a click or touch goes to the
// picture beneath); on the center page it watches the picture's events and, while a tool is
// chosen, draws with the mouse, one finger or a pen before zoom and pan see them. Two fingers
// are left to the zoom.
//
// Unzoomed, the earlier strokes come from two drawings kept at the widget's size, the
// highlighter's and the pen's (a new line goes between them where it belongs): a new point
// repaints only the small area it adds; zoomed, the page is too large to keep drawn and only the
// strokes reaching the repainted area are drawn.
class InkCanvas : public QWidget {
    Q_OBJECT

public:
    InkCanvas(PagePicture* picture, InkController& ink, bool takesInput);

    // The page shown beneath, with the natural size of its decoded picture; an empty book
    // shows no ink.
    void showPage(const QString& book, const QString& pageId, QSize natural);
    // Draws the page's ink anew: the store's pages were replaced.
    void reload();
    const QString& book() const { return book_; }
    const QString& pageId() const { return pageId_; }
    QSize natural() const { return natural_; }
    bool drawing() const { return live_.has_value() || erasing_; }

    // Shows the line `source` (a canvas of the same page) is drawing; `pageArea` changed.
    void mirror(InkCanvas* source, const QRectF& pageArea);

    QPointF toPage(QPointF widget) const;
    QPointF toWidget(QPointF page) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const PageInk* ink() const;
    bool input(QEvent* event);
    void begin(QPointF at, float pressure);
    void extend(QPointF at, float pressure);
    void finish();
    void cancel();
    QRect widgetRect(const QRectF& page) const;

    PagePicture* picture_;
    InkController& controller_;
    QString book_;
    QString pageId_;
    QSize natural_;

    const InkStroke* liveStroke() const;

    std::optional<InkStroke> live_;
    QPointer<InkCanvas> liveSource_;
    bool erasing_ = false;
    bool touchPinch_ = false;

    QImage layers_[2];  // the highlighter's strokes, the others'
    const PageInk* layerInk_ = nullptr;
    unsigned layerRevision_ = 0;
};
