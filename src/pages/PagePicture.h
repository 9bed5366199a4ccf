#pragma once

#include <QImage>
#include <QWidget>
#include <vector>

// A page picture on screen. It draws its picture stretched to the control's own size (which is
// the natural size for the neighbour panes and the fitted size for the center pane) with
// bilinear filtering from a copy at most twice the shown size, so a scanned page stays legible
// from the back of a classroom. The stretched copy is made once per size and reused by later
// paints; the halved copies once per picture. Without a picture it draws nothing.
class PagePicture : public QWidget {
    Q_OBJECT

public:
    explicit PagePicture(QWidget* parent = nullptr);

    // Takes the picture (implicitly shared, not copied); a null image empties the control.
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage& sourceFor(QSize target);

    QImage picture_;
    std::vector<QImage> halved_;  // picture_ halved once, twice, ...
    QImage stretched_;            // the picture at the last painted size
};
