#pragma once

#include <QObject>
#include <QPoint>
#include <string>

#include "PagePane.h"

class QImage;

// The pane above or below the current page: the previous or next page at its natural size,
// collapsed to a pixel until its check box opens it. Dragging the picture with the mouse
// scrolls the pane by the picture-to-range ratio, as a hand moves paper.
class NeighbourPane : public QObject {
    Q_OBJECT

public:
    NeighbourPane(QWidget* parent, const PagePane::Names& names);

    QWidget* panel() const { return pane_.panel; }
    PageScrollBox* box() const { return pane_.box; }
    PagePicture* picture() const { return pane_.picture; }
    // The cache path of the picture last shown; empty until one is shown.
    const std::string& file() const { return file_; }
    bool dragging() const { return dragging_; }

    void setOpen(bool open);
    void showPicture(const QImage& image, const std::string& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void boxResized();
    void dragTo(QPoint at);

    PagePane pane_;
    std::string file_;
    bool dragging_ = false;
    QPoint dragStart_;
};
