#pragma once

#include <QFrame>
#include <QPoint>
#include <QString>

class InkController;
class QToolButton;

// The floating tool bar over the center page: the pens, the highlighter, the eraser, undo and
// redo, clearing the page, hiding the ink and saving the page as a picture. It is dragged by its
// frame (between and around the buttons) and stays inside the page pane. Buttons are touch
// sized; each carries its caption as accessible name and in its tool tip.
class InkToolBar : public QFrame {
    Q_OBJECT

public:
    static constexpr int kButtonSize = 48;

    // The buttons in rows of `columns`.
    InkToolBar(InkController& ink, QWidget* parent, int columns = 2);

    // The button of this accessible name, or null.
    QToolButton* button(const QString& caption) const;
    // Shows the bar at its last place, or at the pane's top right the first time.
    void showAtStart();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void refresh();
    void moveWithin(QPoint topLeft);

    InkController& ink_;
    bool placed_ = false;
    bool dragging_ = false;
    QPoint grab_;
};
