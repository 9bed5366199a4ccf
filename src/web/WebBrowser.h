#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

#include "BrowserEngineView.h"
#include "service/HttpClient.h"

class BrowserEngineView;
class QEventLoop;
class QPushButton;
class QShortcut;
class QTimer;
class QUrl;
class QVBoxLayout;

// The embedded browser: a widget that fills its area and shows remote pages. The engine view is
// made on the first Navigate(), which is also when the engine itself is loaded (from the module
// BrowserEngineModule finds), so a window whose players are never used loads no engine and
// starts no browser process; until then LocationName() and LocationURL() are empty and
// RunScript() fails. A module that cannot be loaded makes Navigate() raise.
//
// All browsers share the engine's default (off-the-record) profile: playback needs no click
// inside the page, pages may go full screen, PDF documents show inside the view. A certificate
// error is accepted only when the engine's complaint is an unknown authority and the chain
// verifies against the extra authority of the TLS rule the browser is made with, or for any
// certificate when that rule's verification is off.
//
// Full screen: the view leaves the window for a window of its own covering the screen that shows
// the window,
// whether the program asks for it (ShowFullScreen) or the page does after a click inside it;
// Esc brings it back, and so does a "退出全屏" button, large enough for a finger, shown over the
// view for a few seconds whenever the view is touched or the mouse moves over it (a touch board
// has no Esc key). The widget owns its view also while it is full screen. Every view must
// be destroyed before the QApplication ends: destroy the browsers with their window.
//
// A renderer that ends (a crash, the memory killer) takes every page of its site with it and
// would leave script calls waiting for their time-out. A browser whose renderer ended shows a
// button "播放器已停止，点击重新加载" instead of the view and raises at once from RunScript();
// clicking the button loads the last address again, and so does the next Navigate().
class WebBrowser : public QWidget {
    Q_OBJECT

public:
    explicit WebBrowser(const TlsPolicy& tls, QWidget* parent = nullptr);
    ~WebBrowser() override;

    // Call in main() before the QApplication exists: one renderer per site keeps the players of
    // one server in one process, and as root the engine's sandbox cannot start, so it is
    // switched off then (and only then). The engine's graphics are prepared when it is loaded.
    static void PrepareProcess();

    // Starts loading `url` as given (also "about:blank") and returns at once.
    void Navigate(const QString& url);
    // The current document's title; empty while no document has loaded.
    QString LocationName() const;
    // The current document's address; empty before the first navigation.
    QString LocationURL() const;

    // Runs a call of a global function of the page, e.g. "pause()", and waits for it to end.
    // Raises ScriptError when there is no document, the function is missing, or the script
    // throws. The wait processes no user input.
    void RunScript(const QString& functionCall);

    // Puts the view over the whole screen of its window; does nothing while no document has
    // loaded (no empty black screen).
    void ShowFullScreen();
    void ExitFullScreen();
    bool IsFullScreen() const { return fullScreen_; }
    // The button that leaves full screen; shown only for a while after the view is touched.
    QPushButton* ExitFullScreenButton() const { return exitFullScreen_; }

    // The engine view, or null before the first navigation (for tests and focus handling).
    QWidget* View() const;
    // The window that shows the view while it is full screen (for tests).
    QWidget* FullScreenWindow() const { return stage_.data(); }

    // True from the end of the renderer until the next load starts.
    bool IsStopped() const { return stopped_; }
    // The renderer's process id, 0 while it has none (for tests).
    qint64 RendererProcessId() const;

signals:
    // Emitted by every Navigate() with the address as given.
    void navigationRequested(const QString& url);
    void loadFinished(bool ok);

private:
    void CreateView();
    void OnFullScreenRequested(bool on);
    void EnterViewFullScreen();
    void LeaveViewFullScreen();
    void OnEscape();
    void ShowExitButton();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void OnRendererEnded(bool normalEnd);
    void Load(const QUrl& url);
    // The engine half while its view lives, else null.
    BrowserEngineView* engine() const { return view_ ? engine_ : nullptr; }

    QVBoxLayout* layout_ = nullptr;
    QPointer<QWidget> view_;
    BrowserEngineView* engine_ = nullptr;   // the same object as view_
    std::vector<QEventLoop*> scriptWaits_;  // RunScript() calls waiting for an answer
    QShortcut* escape_ = nullptr;
    QPushButton* reload_ = nullptr;          // shown in place of the view while the renderer is gone
    QPointer<QWidget> stage_;                // the window a full-screen view is shown on
    QPushButton* exitFullScreen_ = nullptr;  // on the stage, over the view
    QTimer* exitButtonTimer_ = nullptr;
    BrowserTlsPolicy tls_;
    bool stopped_ = false;
    bool fullScreen_ = false;
    bool pageFullScreen_ = false;  // the page itself asked for full screen
};
