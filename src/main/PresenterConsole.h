#pragma once

#include <QElapsedTimer>
#include <QRectF>
#include <QTimer>
#include <QWidget>
#include <functional>

class InkCanvas;
class InkToolBar;
class MirrorPage;
class PagePicture;
class QLabel;
class QListView;
class QPushButton;
class TextBookPage;

// The presenter's own screen while the page is projected on another: the current page large
// with its ink (it takes ink too), the next page smaller, the book's thumbnails in a strip,
// where the lesson is, the time of day and the time spent presenting, the ink tool bar and the
// main keys. It only reads the textbook sheet and acts through it, so the projector and the
// console always show the same page: a click in the strip is the same step as a click on that
// thumbnail in the sheet. It follows the application's palette, light or dark.
//
// The current page is the projected one's decoded picture, shared, with the projector's zoom
// and pan; the next page is read ahead through the sheet, which keeps it, so the next Page Down
// decodes only the page after it.
class PresenterConsole : public QWidget {
    Q_OBJECT

public:
    PresenterConsole(TextBookPage& sheet, std::function<QString()> caption, QWidget* parent = nullptr);
    ~PresenterConsole() override;

    // What the projector shows instead of the page ("黑屏中", "白屏中"); empty when the page.
    void setBlankText(const QString& text);
    void resetElapsed();
    // The page after the current one, once read ahead; -1 before, or after the last page.
    int nextShown() const { return nextShown_; }

    QLabel* lblCaption = nullptr;    // book · unit
    QLabel* lblPageCount = nullptr;  // "第N页 / 共M页"
    QLabel* lblBlank = nullptr;
    QLabel* lblClock = nullptr;
    QPushButton* btnElapsed = nullptr;  // the time presenting; a click starts it again
    QPushButton* btnSwap = nullptr;
    QPushButton* btnEnd = nullptr;
    QLabel* lblNext = nullptr;
    QListView* PageStrip = nullptr;
    InkToolBar* InkBar = nullptr;
    QLabel* lblHint = nullptr;

    PagePicture* currentPicture() const;
    PagePicture* nextPicture() const;

    static QString swapCaption() { return QStringLiteral("交换屏幕"); }

signals:
    void swapRequested();
    void endRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* createHeader();
    void pageShown(int index);
    void showCount();
    void readNextPage(unsigned display);
    void followZoom();
    void tick();

    TextBookPage& sheet_;
    std::function<QString()> caption_;
    MirrorPage* current_ = nullptr;
    MirrorPage* next_ = nullptr;
    InkCanvas* currentInk_ = nullptr;
    InkCanvas* nextInk_ = nullptr;
    QTimer clock_;
    QElapsedTimer elapsed_;
    unsigned displays_ = 0;
    int shown_ = -1;
    int nextShown_ = -1;
};
