#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QShortcut;
class QVBoxLayout;
class QWebEngineView;
class QWebEnginePage;
class QWebEngineCertificateError;
class QWebEngineFullScreenRequest;

// The embedded browser: a widget that fills its area and shows remote pages. It is the only
// class of the program that knows Qt WebEngine. The engine view is made on the first
// Navigate(), so a window whose players are never used starts no browser process; until then
// LocationName() and LocationURL() are empty and RunScript() fails.
//
// All browsers share the engine's default (off-the-record) profile: playback needs no click
// inside the page, pages may go full screen, PDF documents show inside the view. A certificate
// error is accepted only for a chain that verifies against the configured extra authority
// (HttpClient::defaultTls()), or for any certificate when verification is off.
//
// Full screen: the view itself leaves the window and covers the screen that shows the window,
// whether the program asks for it (ShowFullScreen) or the page does after a click inside it;
// Esc brings it back. The widget owns its view also while it is full screen. Every view must
// be destroyed before the QApplication ends: destroy the browsers with their window.
class WebBrowser : public QWidget {
    Q_OBJECT

public:
    explicit WebBrowser(QWidget* parent = nullptr);
    ~WebBrowser() override;

    // Call in main() before the QApplication exists: the engine needs shared OpenGL contexts,
    // one renderer per site keeps the players of one server in one process, and as root the
    // engine's sandbox cannot start, so it is switched off then (and only then).
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

    // The engine view, or null before the first navigation (for tests and focus handling).
    QWidget* View() const;

signals:
    // Emitted by every Navigate() with the address as given.
    void navigationRequested(const QString& url);
    void loadFinished(bool ok);

private:
    void CreateView();
    void OnCertificateError(const QWebEngineCertificateError& error);
    void OnFullScreenRequested(QWebEngineFullScreenRequest request);
    void EnterViewFullScreen();
    void LeaveViewFullScreen();
    void OnEscape();

    QVBoxLayout* layout_ = nullptr;
    QPointer<QWebEngineView> view_;
    QWebEnginePage* page_ = nullptr;  // owned by view_
    QShortcut* escape_ = nullptr;
    bool fullScreen_ = false;
    bool pageFullScreen_ = false;  // the page itself asked for full screen
};
