#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointF>
#include <QRectF>

class PagePicture;
class PageScrollBox;
class QEvent;
class QWidget;

// Zoom and pan of the center page, from 1x (the fit rule's layout) to 4x, by Ctrl + wheel, a
// pinch, or the owner's keys. A zoomed page is the same picture widget made larger and moved
// over the pane, so the kept decoded picture is reused and only the visible part is drawn.
// Dragging with the mouse or one finger pans a zoomed page; a double tap asks for the fit
// again. While not zoomed a horizontal swipe asks for the next or previous page instead.
//
// Positions are in the pane's client coordinates, where the picture lives. The owner lays the
// page out by the fit rule and then calls fitted(); resetRequested() asks it to do that again.
class PageZoom : public QObject {
    Q_OBJECT

public:
    static constexpr double kMaxFactor = 4.0;

    PageZoom(PageScrollBox* box, PagePicture* picture, QObject* parent = nullptr);

    double factor() const { return factor_; }
    bool zoomed() const { return factor_ > 1.0; }

    // The page has just been laid out by the fit rule at `geometry`: the zoom starts again at 1x.
    void fitted(const QRect& geometry);
    // Zooms to `factor` (held within 1x..4x) keeping the page point under `at` where it is;
    // 1x asks for the fit rule's layout.
    void zoomTo(double factor, QPointF at);
    // One step in (positive) or out, 1.25x each, around `at`.
    void zoomSteps(double steps, QPointF at);
    void panBy(QPointF delta);
    // Back to the fit rule's layout.
    void reset();
    // The pointer's position when it is over the pane, else the middle of the visible part.
    QPointF anchor() const;

signals:
    void resetRequested();
    // +1 for the next page (a swipe to the left), -1 for the previous one.
    void swiped(int direction);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRectF visibleRect() const;
    QPointF toClient(QObject* watched, QPointF position) const;
    // Shows the page `factor` times the fitted size with the relative page point `relative`
    // (0..1 on each axis) at `at`, kept from leaving gaps at the pane's edges.
    void place(double factor, QPointF relative, QPointF at);
    bool touch(QObject* watched, QEvent* event);

    PageScrollBox* box_;
    PagePicture* picture_;
    QRectF fitted_;
    QRectF shown_;
    double factor_ = 1.0;

    bool dragging_ = false;
    QPointF dragLast_;

    // The touch gesture under way.
    bool pinching_ = false;
    double pinchStartFactor_ = 1.0;
    double pinchStartDistance_ = 0;
    QPointF pinchRelative_;
    QPointF touchStart_;
    QPointF touchLast_;
    bool touchMoved_ = false;
    QElapsedTimer lastTap_;
    QPointF lastTapAt_;
};
