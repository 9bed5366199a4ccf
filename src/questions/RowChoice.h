#pragma once

#include <QObject>

class QAbstractItemView;

// Tells when the user chooses a row of a list. A click on a row is a choice; a mouse press that
// moves the selection is not reported by itself, so one click is one choice. From the keyboard:
// - Keys::MoveChooses: moving the current row (arrow keys, Home, ...) is a choice.
// - Keys::EnterOrSpaceChooses: the arrow keys only move the selection; Enter or Space chooses
//   the current row, selecting it first. For lists whose rows open something slow to load, so
//   that stepping through them loads nothing on the way.
// Changes made by code (emptying or refilling the list) are not choices, except that with
// MoveChooses a change that moves the current row while no mouse button is down is one, and
// the handler then finds the selection as the code left it. Owned by the view it watches.
class RowChoice : public QObject {
    Q_OBJECT

public:
    enum class Keys { MoveChooses, EnterOrSpaceChooses };

    explicit RowChoice(QAbstractItemView* view, Keys keys = Keys::MoveChooses);

signals:
    void chosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool chooseFromKey(QEvent* event);

    QAbstractItemView* view_;
    bool mouseDown_ = false;
};
