#pragma once

#include <QString>
#include <QUrl>
#include <QVariant>
#include <functional>

class QWidget;

// The seam between WebBrowser and the browser engine. The engine lives in a module of its own
// (lumoclass-webengine.so), loaded on the first navigation, so that a start that never shows a
// page never loads the engine nor its graphics stack; BrowserEngineModule loads it. Nothing here
// names an engine type, and the module needs no symbol of the program: everything it is told
// and everything it reports passes through this header.

// The certificate rule in force: with `verify` off any certificate is accepted; otherwise a
// certificate the engine refused only for an authority it does not know is accepted when its
// chain verifies against `caFile`, the configured extra authority.
struct BrowserTlsPolicy {
    bool verify = true;
    QString caFile;
};

// What the engine reports to its browser, or asks it, on the window thread. Every function must
// be set.
struct BrowserEngineEvents {
    std::function<void(bool ok)> loadFinished;
    std::function<void(const QString& title)> titleChanged;
    // `normalEnd`: the renderer exited as it does with its page or a navigation, not a crash.
    std::function<void(bool normalEnd)> rendererEnded;
    // The page asks to enter (or leave) full screen; the request is already accepted.
    std::function<void(bool on)> fullScreenRequested;
    // The rule for a certificate the engine refused, asked for each time (it may change).
    std::function<BrowserTlsPolicy()> tlsPolicy;
};

// One engine view with its page. The object is its widget: deleting widget() (or its parent)
// deletes it, and it must go before the QApplication ends.
class BrowserEngineView {
public:
    virtual ~BrowserEngineView() = default;

    virtual QWidget* widget() = 0;
    virtual void load(const QUrl& url) = 0;
    // The current document's title; empty while none has loaded.
    virtual QString title() const = 0;
    // The committed address, or the one asked for while nothing has committed yet.
    virtual QUrl url() const = 0;
    // Runs `script` in the page; `done` gets its result, unless the renderer ends first.
    virtual void runScript(const QString& script, std::function<void(const QVariant&)> done) = 0;
    virtual qint64 rendererProcessId() const = 0;
    // Tells a page that went full screen itself to leave it (answered by fullScreenRequested).
    virtual void exitPageFullScreen() = 0;
};

// The module's one entry point, looked up by its name; the number changes with this header, so
// that a module of another version is refused rather than called.
extern "C" BrowserEngineView* lumoCreateBrowserEngineView1(QWidget* parent, BrowserEngineEvents events);
#define LUMO_BROWSER_ENGINE_ENTRY "lumoCreateBrowserEngineView1"
using CreateBrowserEngineViewFunction = decltype(&lumoCreateBrowserEngineView1);
