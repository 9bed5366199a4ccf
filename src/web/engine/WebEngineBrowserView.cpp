#include "WebEngineBrowserView.h"

#include <malloc.h>

#include <QChildEvent>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QTimer>
#include <QWebEngineCertificateError>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include "CertificateVerifier.h"

namespace {

constexpr int kTrimDelayMs = 1000;

QWebEngineProfile* sharedProfile() {
    static bool configured = false;
    QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    if (!configured) {
        configured = true;
        QWebEngineSettings* settings = profile->settings();
        // The teacher started playback by clicking the list, not the page.
        settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
        settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
        // Without plugins the engine downloads a PDF instead of showing it.
        settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
        settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    }
    return profile;
}

}  // namespace

WebEngineBrowserView::WebEngineBrowserView(QWidget* parent, BrowserEngineEvents events)
    : QWebEngineView(parent), events_(std::move(events)) {
    page_ = new QWebEnginePage(sharedProfile(), this);
    setPage(page_);
    connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) { events_.loadFinished(ok); });
    connect(page_, &QWebEnginePage::titleChanged, this,
            [this](const QString& title) { events_.titleChanged(title); });
    connect(page_, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                events_.rendererEnded(status == QWebEnginePage::NormalTerminationStatus);
            });
    connect(page_, &QWebEnginePage::fullScreenRequested, this, [this](QWebEngineFullScreenRequest request) {
        request.accept();
        events_.fullScreenRequested(request.toggleOn());
    });
    connect(page_, &QWebEnginePage::certificateError, this, [this](const QWebEngineCertificateError& error) {
        // The decision is made on a copy: the signal's object is gone once the handler returns.
        QWebEngineCertificateError decision = error;
        const BrowserTlsPolicy tls = events_.tlsPolicy();
        // The extra authority stands in only for the system's list of authorities: any other
        // complaint about the certificate (its name, its dates, its key) stays a refusal.
        const bool unknownAuthority =
            decision.type() == QWebEngineCertificateError::CertificateAuthorityInvalid;
        const bool trusted = !tls.verify || (unknownAuthority && CertificateVerifier::VerifiesAgainst(
                                                                     decision.certificateChain(),
                                                                     decision.url().host(), tls.caFile));
        if (trusted)
            decision.acceptCertificate();
        else
            decision.rejectCertificate();
    });
}

void WebEngineBrowserView::childEvent(QChildEvent* event) {
    QWebEngineView::childEvent(event);
    // The engine draws the page through a Qt Quick surface, whose scene graph and graphics stay
    // by default while the view is hidden: some 40 MB a view under software OpenGL, for every
    // player a teacher opened once. Released on hiding, they are made again when it shows.
    if (event->type() != QEvent::ChildPolished) return;
    if (auto* surface = qobject_cast<QQuickWidget*>(event->child())) {
        surface->quickWindow()->setPersistentSceneGraph(false);
        surface->quickWindow()->setPersistentGraphics(false);
    }
}

void WebEngineBrowserView::hideEvent(QHideEvent* event) {
    QWebEngineView::hideEvent(event);
    // What the surface released lies in the middle of the heap, which the allocator would keep
    // for the process; trimming gives it back to the system. The trim walks the whole heap, so it
    // waits until the sheet the teacher switched to has been drawn, and runs once for a burst.
    static bool trimPending = false;
    if (trimPending) return;
    trimPending = true;
    QTimer::singleShot(kTrimDelayMs, [] {
        trimPending = false;
        malloc_trim(0);
    });
}

void WebEngineBrowserView::load(const QUrl& url) {
    page_->load(url);
}

QString WebEngineBrowserView::title() const {
    return page_->title();
}

QUrl WebEngineBrowserView::url() const {
    // Until the first document has committed the engine reports no URL; the address asked for
    // is the current location from the caller's point of view.
    const QUrl committed = page_->url();
    return committed.isEmpty() ? page_->requestedUrl() : committed;
}

void WebEngineBrowserView::runScript(const QString& script, std::function<void(const QVariant&)> done) {
    page_->runJavaScript(script, std::move(done));
}

qint64 WebEngineBrowserView::rendererProcessId() const {
    return page_->renderProcessPid();
}

void WebEngineBrowserView::exitPageFullScreen() {
    page_->triggerAction(QWebEnginePage::ExitFullScreen);
}

extern "C" Q_DECL_EXPORT BrowserEngineView* lumoCreateBrowserEngineView1(QWidget* parent,
                                                                         BrowserEngineEvents events) {
    return new WebEngineBrowserView(parent, std::move(events));
}
