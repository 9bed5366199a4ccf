#pragma once

#include <QObject>

class QAbstractItemView;

// Tells when the user chooses a row of a list: a click on a row, or the current row moved with
// the keyboard. A mouse press that moves the selection is not reported by itself, so one click
// is one choice. Changes made by code (emptying or refilling the list) are not choices unless
// they move the current row while no mouse button is down, in which case the handler finds
// the selection as the code left it. Owned by the view it watches.
class RowChoice : public QObject {
    Q_OBJECT

public:
    explicit RowChoice(QAbstractItemView* view);

signals:
    void chosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool mouseDown_ = false;
};
