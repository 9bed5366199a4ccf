#pragma once

#include <QWebEngineView>

#include "web/BrowserEngineView.h"

class QWebEnginePage;

// The engine half of WebBrowser: a Qt WebEngine view with its page on the shared default
// profile, which reports to its browser through BrowserEngineEvents. All views share the
// engine's default (off-the-record) profile: playback needs no click inside the page, pages
// may go full screen, PDF documents show inside the view. The view owns its page; a refused
// certificate is decided by the rule the browser gives (BrowserTlsPolicy).
class WebEngineBrowserView : public QWebEngineView, public BrowserEngineView {
public:
    WebEngineBrowserView(QWidget* parent, BrowserEngineEvents events);

    QWidget* widget() override { return this; }
    void load(const QUrl& url) override;
    QString title() const override;
    QUrl url() const override;
    void runScript(const QString& script, std::function<void(const QVariant&)> done) override;
    qint64 rendererProcessId() const override;
    void exitPageFullScreen() override;

protected:
    void childEvent(QChildEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    BrowserEngineEvents events_;
    QWebEnginePage* page_ = nullptr;  // owned by this view
};
