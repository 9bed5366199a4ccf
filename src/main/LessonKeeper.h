#pragma once

#include <QByteArray>
#include <QObject>
#include <QRect>
#include <functional>
#include <memory>
#include <optional>

#include "catalogue/TObjectList.h"
#include "catalogue/TUnitObj.h"
#include "platform/PlaceStore.h"
#include "platform/ScreenChoice.h"
#include "platform/ScreenSaverInhibitor.h"

class QComboBox;
class QListWidget;
class QPushButton;
class QTabWidget;
class QWidget;
class ResourceBar;

// The desktop facilities the main window uses to keep a lesson going; tests hand in their own.
struct LessonDesktop {
    std::unique_ptr<ScreenSaverInhibitor> inhibitor;
    std::unique_ptr<ScreenSet> screens;
    PlaceStore store;

    // The session bus's screensaver service, Qt's screens, the user's state folder.
    static LessonDesktop system();
};

// What the keeper reads of the main window and does through it.
struct LessonWindow {
    QWidget* window = nullptr;
    QTabWidget* pages = nullptr;
    QWidget* logoSheet = nullptr;  // where the way back is offered
    QComboBox* books = nullptr;
    QComboBox* units = nullptr;
    const ResourceBar* resources = nullptr;
    QListWidget* pageThumbnails = nullptr;
    const TObjectList<TUnitObj>* unitList = nullptr;
    std::function<const TUnitObj*()> chosenUnit;
    std::function<void()> showSelectedPage;  // as a click on the selected thumbnail does
};

// What keeps a lesson from getting lost, beside the main window's own duties:
// - the screensaver is held off while the window is shown, not minimised, and shows a sheet
//   other than the logo; it is let go otherwise and when the window closes or goes;
// - the member's place (book, unit, resource, page) is written after every pick, every page
//   shown and when the window closes, and
//   after the next sign-in of the same account the logo sheet offers "继续上次课程：…", which
//   replays the teacher's picks through the window's own handlers;
// - with several screens the window opens where it was last closed, and Ctrl+Shift+Right /
//   Ctrl+Shift+Left move it to the next / previous screen.
// The window owns it; it must go before the window's controls do.
class LessonKeeper : public QObject {
    Q_OBJECT

public:
    // `placeOnWorkArea` makes the whole window, frame included, cover the given area.
    LessonKeeper(LessonWindow window, LessonDesktop desktop,
                 std::function<void(const QRect&)> placeOnWorkArea);
    ~LessonKeeper() override;

    // The work area to open on: the chosen screen's with several screens, else `single`.
    QRect StartWorkArea(const QRect& single) const;

    // After a sign-in: the account whose place is remembered at close; offers the way back
    // when that account's place is still in the book and unit lists.
    void OfferResume(const QByteArray& account);
    // The offered button's handler.
    void Resume();
    // Writes the signed-in member's place now (book, unit, resource and page); nothing without
    // a unit. Also done after every pick and page, so a process ended without warning keeps it.
    void RememberPlace();

    // Where the place and the screens are remembered.
    const PlaceStore& store() const { return desktop_.store; }

    QPushButton* BtnResume = nullptr;

    static QString inhibitReason() { return QStringLiteral("正在上课"); }
    static QString resumeCaption(const LessonPlace& place);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateInhibition();
    void RememberScreen();
    void MoveToNeighbourScreen(int step);
    void PlaceResumeButton();
    QWidget& window() const { return *w_.window; }

    LessonWindow w_;
    LessonDesktop desktop_;
    std::function<void(const QRect&)> placeOnWorkArea_;
    QByteArray account_;
    bool signedIn_ = false;
    std::optional<LessonPlace> offered_;
};
