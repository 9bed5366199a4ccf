#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <vector>

// A page picture on screen. It draws its picture stretched to the control's own size (which is
// the natural size for the neighbour panes and the fitted size for the center pane) with
// bilinear filtering from a copy at most twice the shown size, so a scanned page stays legible
// from the back of a classroom. The stretched copy is made once per size and reused by later
// paints; the halved copies once per picture.
//
// A new picture is drawn smoothly at once. While the control is being resized, each new size
// is first drawn quickly from the last smooth copy (nearly the same size, so the difference
// does not show) and the smooth copy follows once the size has settled for a moment, so
// dragging a splitter or the window edge stays fluid. Without a picture it draws nothing.
class PagePicture : public QWidget {
    Q_OBJECT

public:
    explicit PagePicture(QWidget* parent = nullptr);

    // Takes the picture (implicitly shared, not copied); a null image empties the control.
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

    // Makes the smooth copy for the current size now instead of after the settling pause.
    void finishRescale();

    // A zoomed picture is much larger than the screen: it is drawn smoothly straight from the
    // picture (or a halved copy), only where it is visible, and no stretched copy is kept.
    void setZoomed(bool zoomed);
    bool zoomed() const { return zoomed_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize deviceSize() const;
    const QImage& sourceFor(QSize target);
    void stretch();

    QImage picture_;
    std::vector<QImage> halved_;  // picture_ halved once, twice, ...
    QImage stretched_;            // the picture smoothly stretched to the last settled size
    QTimer settle_;
    bool zoomed_ = false;
};
