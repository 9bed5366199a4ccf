#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "platform/ScreenChoice.h"

class QAbstractScrollArea;
class QCheckBox;
class QKeyEvent;
class QLabel;
class QPushButton;

class QTabWidget;
class QWidget;
class InkController;
class PageZoom;
class PresenterConsole;
class TextBookPage;
class WebBrowser;

// What the presenting keys work on; the main window lends its controls.
struct PresenterTargets {
    // A media player whose full-screen button and subtitles box show after its first opening.
    struct Player {
        QWidget* sheet = nullptr;
        QPushButton* fullScreen = nullptr;
        QCheckBox* subtitles = nullptr;
    };

    // The textbook sheet as the keys see it.
    struct Book {
        QWidget* sheet = nullptr;          // the textbook keys work while it is on show
        TextBookPage* textBook = nullptr;  // what the presenter console shows and acts through
        QWidget* thumbnails = nullptr;
        QWidget* panes = nullptr;                // the page panes: the keyboard keys work on what is inside
        QWidget* pagePanel = nullptr;            // opaque black in presentation mode
        QAbstractScrollArea* pageBox = nullptr;  // takes the focus; no scroll bars when presenting
        PageZoom* zoom = nullptr;
        InkController* ink = nullptr;  // P, H, E, Ctrl+Z and Ctrl+Y; Esc puts the tool down
        QList<QWidget*> surroundings;  // everything of the sheet but the page, hidden when presenting
        std::function<void()> previousPage;
        std::function<void()> nextPage;
        std::function<void()> firstPage;
        std::function<void()> lastPage;
    };

    QWidget* window = nullptr;
    QTabWidget* pages = nullptr;
    Book book;
    QList<QWidget*> chrome;            // hidden in presentation mode besides the sheet's own
    QList<Player> players;             // F and S work on these
    QList<WebBrowser*> browsers;       // every player: paused while the screen is blank; Esc
                                       // leaves a full-screen one first
    std::function<QString()> caption;  // book and unit, for the presenter console
    // The screen last chosen for the projected page; either may be empty.
    std::function<std::optional<RememberedScreen>()> loadProjector;
    std::function<void(const RememberedScreen&)> saveProjector;
};

// The textbook sheet's controls and page steps, as the keys use them.
PresenterTargets::Book TextBookTargets(TextBookPage& sheet);

// Presenting from a wireless presenter, the keyboard or a touch board: an application-wide
// event filter for the main window's key presses. In the textbook view the presenter keys
// (Page Down/Up, B, ".", W, F5, Shift+F5, F11, Esc) work wherever the focus is, the keyboard
// keys (arrows, Space, Backspace, Home, End) only where they mean nothing else: on the
// thumbnails, a page pane or nothing that takes keys. Nothing is taken while a text field or a
// browser view has the focus, a drop-down list is open, or Ctrl or Alt is held (Ctrl + "+"/"-"
// zoom); of the Ctrl combinations only zoom and the ink's undo and redo are taken. P, H and E
// pick up the pen, the highlighter and the eraser. In the scene, mini-lecture and word views F and S work the
// full-screen button and the subtitles box once they show. F1 or "?" shows the list of keys.
//
// Blanking covers the window's screen with a black or white window until any key or click;
// players with a document are paused and stay paused. Presentation mode shows the window full
// screen with only the center page, on opaque black; leaving it restores what was hidden.
// With two screens or more (mirrored outputs count as one) the window takes the page full
// screen to the projector screen, the largest other one or the one chosen last, and the
// presenter console opens full screen where the window was; the keys work from either, a blank
// covers the projector only, and "交换屏幕" (Ctrl+Shift+S, or Ctrl+Shift+Right/Left) swaps the
// two. When either screen goes, the page stays, full screen, on the other. Esc
// does one thing per press: closes the help, else leaves a player's full screen, else puts the
// ink tool down, else leaves presentation mode.
class Presenter : public QObject {
    Q_OBJECT

public:
    Presenter(PresenterTargets targets, QObject* parent = nullptr);
    ~Presenter() override;

    void Blank(const QColor& colour);
    void Unblank();
    bool IsBlank() const;
    void EnterPresentation();
    void LeavePresentation();
    bool InPresentation() const { return presenting_; }
    void ShowHelp(bool shown);
    bool HelpShown() const;
    // The console while presenting on two screens, else null.
    PresenterConsole* Console() const { return console_.get(); }
    QScreen* ProjectorScreen() const { return console_ ? projector_.data() : nullptr; }
    void SwapScreens();

    // The overlay windows and labels, for tests and screen readers.
    QWidget* BlankScreen() const { return blank_.get(); }
    QLabel* Help() const { return help_; }
    QLabel* Hint() const { return hint_; }

    // The key list of the help overlay.
    static QString HelpText();

signals:
    // Presentation mode or the blank screen began or ended.
    void modeChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyPress(QKeyEvent* key);
    bool textBookKey(QKeyEvent* key, QWidget* focus);
    bool playerKey(QKeyEvent* key, const PresenterTargets::Player& player);
    bool escape();
    QWidget* focusWidget() const;
    bool keyboardKeysAllowed(QWidget* focus) const;
    void pausePlayers();
    void placeOverlays();
    bool openConsole();
    void placeOnScreens();
    void closeConsole();
    void screenRemoved(QScreen* screen);

    PresenterTargets t_;
    std::unique_ptr<QWidget> blank_;
    QPointer<QWidget> focusBeforeBlank_;
    QLabel* help_ = nullptr;
    QLabel* hint_ = nullptr;
    QTimer hintTimer_;

    // What presentation mode changed, to be put back.
    bool presenting_ = false;
    QList<QPair<QPointer<QWidget>, bool>> hidden_;  // widget, whether it was hidden before
    Qt::WindowStates windowState_;
    QRect windowGeometry_;
    QPalette windowPalette_;
    bool windowAutoFill_ = false;
    QPalette centerPalette_;
    bool centerAutoFill_ = false;
    bool documentMode_ = false;
    int horizontalBar_ = 0;
    int verticalBar_ = 0;
    QPointer<QWidget> focusBeforePresentation_;

    // Presenting on two screens.
    std::unique_ptr<PresenterConsole> console_;
    QPointer<QScreen> projector_;
    QPointer<QScreen> consoleScreen_;
};
