#pragma once

#include <QScrollArea>

// A scroll box whose scroll ranges are set by its owner rather than derived from its content,
// the way the textbook panes want them: a range is the extent the scroll bar covers, so the bar
// scrolls range − visible size pixels (nothing when the range fits). The pictures live on
// client(), which is kept at least as large as the visible area so that nothing on it is cut
// off while a range is smaller. The box owns its client as a QObject child.
class PageScrollBox : public QScrollArea {
    Q_OBJECT

public:
    explicit PageScrollBox(QWidget* parent = nullptr);

    QWidget* client() const { return widget(); }

    void setRanges(int horizontal, int vertical);
    void setHorizontalRange(int range) { setRanges(range, verticalRange_); }
    void setVerticalRange(int range) { setRanges(horizontalRange_, range); }
    int horizontalRange() const { return horizontalRange_; }
    int verticalRange() const { return verticalRange_; }

signals:
    // After every change of the box's own size, once the client has been fitted again.
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitClient();

    int horizontalRange_ = 0;
    int verticalRange_ = 0;
};
