#pragma once

#include <QWidget>

// The bar between two stacked panes: dragging it changes the height of the pane it resizes
// (the one above it, or the one below it), never below 1 pixel and never beyond the room the
// other panes of the column leave. moved() follows the end of each drag.
class PaneSplitter : public QWidget {
    Q_OBJECT

public:
    enum class Side { Above, Below };

    PaneSplitter(QWidget* pane, Side side, QWidget* parent = nullptr);

signals:
    void moved();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* pane_;
    Side side_;
    bool dragging_ = false;
    int pressY_ = 0;
    int startHeight_ = 0;
};
