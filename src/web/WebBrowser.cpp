#include "WebBrowser.h"

#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "BrowserEngineModule.h"
#include "BrowserEngineView.h"
#include "ScriptError.h"
#include "service/HttpClient.h"

namespace {

// A script that hangs (a page stuck in a modal dialog, a renderer that died) must not freeze
// the window for ever.
constexpr int kScriptTimeoutMs = 10000;
// Touch-board sized: a finger hits it without aiming.
constexpr QSize kExitButtonSize(160, 64);
constexpr int kExitButtonMargin = 24;
constexpr int kExitButtonShownMs = 3000;

// Reports a missing function or a thrown error back as text: the engine itself answers all of
// these, and `undefined`, with the same empty result.
QString wrapped(const QString& functionCall) {
    return QStringLiteral("(function(){try{") + functionCall +
           QStringLiteral(";return \"ok\"}catch(e){return \"error:\"+e}})()");
}

}  // namespace

WebBrowser::WebBrowser(const TlsPolicy& tls, QWidget* parent)
    : QWidget(parent), tls_{tls.verify, QString::fromStdString(tls.caFile)} {
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    // A button rather than a label: the whole area is the place to click, and a screen reader
    // reads the text as what the button does.
    reload_ = new QPushButton(QStringLiteral("播放器已停止，点击重新加载"), this);
    reload_->setObjectName(QStringLiteral("PlayerStopped"));
    reload_->setFlat(true);
    reload_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    reload_->hide();
    layout_->addWidget(reload_);
    connect(reload_, &QPushButton::clicked, this, [this] { Load(QUrl(LocationURL())); });
}

WebBrowser::~WebBrowser() {
    // The renderer ends with the page; that is no reason to show anything any more, and the
    // engine must not report to a browser that is half gone.
    QWidget* view = view_.data();
    view_.clear();
    // A full-screen view lives on the stage, which has no parent; the page goes with its view.
    delete stage_.data();
    delete view;
}

void WebBrowser::PrepareProcess() {
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--process-per-site")) {
        if (!flags.isEmpty()) flags += ' ';
        flags += "--process-per-site";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
}

void WebBrowser::CreateView() {
    const CreateBrowserEngineViewFunction create = BrowserEngineModule::entryPoint();
    // Reports that arrive while the browser is being destroyed (view_ already cleared) are
    // dropped.
    BrowserEngineEvents events;
    events.loadFinished = [this](bool ok) {
        if (view_) emit loadFinished(ok);
    };
    events.titleChanged = [this](const QString& title) {
        if (!view_) return;
        view_->setWindowTitle(title);
        if (stage_) stage_->setWindowTitle(title);
    };
    events.rendererEnded = [this](bool normalEnd) {
        if (view_) OnRendererEnded(normalEnd);
    };
    events.fullScreenRequested = [this](bool on) {
        if (view_) OnFullScreenRequested(on);
    };
    events.tlsPolicy = [this] { return tls_; };
    engine_ = create(this, std::move(events));
    view_ = engine_->widget();
    view_->setObjectName(QStringLiteral("WebView"));
    layout_->addWidget(view_);
    // The full-screen view is shown on a stage of its own rather than as a window itself: the
    // engine's view shows only the page to a screen reader, never a button laid over it.
    stage_ = new QWidget(nullptr);
    stage_->setObjectName(QStringLiteral("FullScreenStage"));
    auto* stageLayout = new QVBoxLayout(stage_);
    stageLayout->setContentsMargins(0, 0, 0, 0);
    exitFullScreen_ = new QPushButton(QStringLiteral("退出全屏"), stage_);
    exitFullScreen_->setObjectName(QStringLiteral("ExitFullScreen"));
    exitFullScreen_->setAccessibleName(exitFullScreen_->text());
    exitFullScreen_->setFocusPolicy(Qt::NoFocus);
    exitFullScreen_->setMinimumSize(kExitButtonSize);
    QFont font = exitFullScreen_->font();
    font.setPixelSize(22);
    exitFullScreen_->setFont(font);
    exitFullScreen_->hide();
    connect(exitFullScreen_, &QPushButton::clicked, this, &WebBrowser::OnEscape);
    exitButtonTimer_ = new QTimer(this);
    exitButtonTimer_->setSingleShot(true);
    exitButtonTimer_->setInterval(kExitButtonShownMs);
    connect(exitButtonTimer_, &QTimer::timeout, exitFullScreen_, &QWidget::hide);
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), view_, nullptr, nullptr, Qt::WindowShortcut);
    escape_->setEnabled(false);
    connect(escape_, &QShortcut::activated, this, &WebBrowser::OnEscape);
}

QWidget* WebBrowser::View() const {
    return view_.data();
}

qint64 WebBrowser::RendererProcessId() const {
    return engine() != nullptr && !stopped_ ? engine()->rendererProcessId() : 0;
}

void WebBrowser::Navigate(const QString& url) {
    if (!view_) CreateView();
    emit navigationRequested(url);
    Load(QUrl(url));
}

void WebBrowser::Load(const QUrl& url) {
    if (stopped_) {
        // Loading starts a new renderer for the page.
        stopped_ = false;
        reload_->hide();
        view_->show();
    }
    engine_->load(url);
}

void WebBrowser::OnRendererEnded(bool normalEnd) {
    // A call waiting for an answer from the renderer gets none.
    for (QEventLoop* wait : scriptWaits_) wait->quit();
    // A renderer that exits normally went with a page or a navigation, not with the player.
    if (normalEnd || stopped_) return;
    stopped_ = true;
    if (fullScreen_) {
        pageFullScreen_ = false;
        LeaveViewFullScreen();
    }
    view_->hide();
    reload_->show();
}

QString WebBrowser::LocationName() const {
    return engine() != nullptr ? engine()->title() : QString();
}

QString WebBrowser::LocationURL() const {
    return engine() != nullptr ? engine()->url().toString() : QString();
}

void WebBrowser::RunScript(const QString& functionCall) {
    if (!view_) throw ScriptError("no document is loaded");
    if (stopped_) throw ScriptError("the player has stopped");
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    QVariant result;
    bool answered = false;
    engine_->runScript(wrapped(functionCall), [&result, &answered, waiting](const QVariant& value) {
        // The wait may have timed out and returned long ago.
        if (!waiting) return;
        result = value;
        answered = true;
        waiting->quit();
    });
    if (!answered) {
        QTimer::singleShot(kScriptTimeoutMs, &loop, &QEventLoop::quit);
        // A renderer that ends during the call never answers (OnRendererEnded ends the wait).
        scriptWaits_.push_back(&loop);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        scriptWaits_.erase(std::find(scriptWaits_.begin(), scriptWaits_.end(), &loop));
    }
    if (stopped_) throw ScriptError("the player has stopped");
    if (!answered) throw ScriptError("the page did not answer " + functionCall.toStdString());
    const QString text = result.toString();
    if (text == QLatin1String("ok")) return;
    if (text.startsWith(QLatin1String("error:"))) throw ScriptError(text.mid(6).toStdString());
    throw ScriptError("the page did not run " + functionCall.toStdString());
}

void WebBrowser::ShowFullScreen() {
    if (stopped_ || LocationName().isEmpty()) return;
    EnterViewFullScreen();
}

void WebBrowser::ExitFullScreen() {
    OnEscape();
}

void WebBrowser::OnFullScreenRequested(bool on) {
    pageFullScreen_ = on;
    if (on)
        EnterViewFullScreen();
    else
        LeaveViewFullScreen();
}

void WebBrowser::EnterViewFullScreen() {
    if (fullScreen_ || !view_) return;
    QScreen* screen = window()->screen();
    fullScreen_ = true;
    layout_->removeWidget(view_);
    stage_->layout()->addWidget(view_);
    view_->show();
    if (screen != nullptr) stage_->setGeometry(screen->geometry());
    stage_->setWindowTitle(engine_->title());
    stage_->showFullScreen();
    stage_->activateWindow();
    view_->setFocus();
    escape_->setEnabled(true);
    // The page's input goes to widgets the engine makes inside the view: watch them all.
    qApp->installEventFilter(this);
    ShowExitButton();
}

void WebBrowser::ShowExitButton() {
    exitFullScreen_->adjustSize();
    exitFullScreen_->move(stage_->width() - exitFullScreen_->width() - kExitButtonMargin, kExitButtonMargin);
    exitFullScreen_->show();
    exitFullScreen_->raise();
    exitButtonTimer_->start();
}

bool WebBrowser::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TabletPress:
        case QEvent::TabletMove: {
            // The window sees every move, also where no widget under the pointer tracks the mouse.
            auto* widget = qobject_cast<QWidget*>(watched);
            const bool inView = (widget != nullptr && widget->window() == stage_) ||
                                (watched->isWindowType() && watched == stage_->windowHandle());
            if (fullScreen_ && inView) ShowExitButton();
            break;
        }
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void WebBrowser::LeaveViewFullScreen() {
    if (!fullScreen_ || !view_) return;
    fullScreen_ = false;
    escape_->setEnabled(false);
    qApp->removeEventFilter(this);
    exitButtonTimer_->stop();
    exitFullScreen_->hide();
    stage_->layout()->removeWidget(view_);
    view_->setParent(this);
    layout_->addWidget(view_);
    view_->show();
    stage_->hide();
    window()->activateWindow();
}

void WebBrowser::OnEscape() {
    // The engine does not react to Esc itself; a page in full screen is told to leave it,
    // which comes back through OnFullScreenRequested.
    if (pageFullScreen_) {
        engine_->exitPageFullScreen();
        return;
    }
    LeaveViewFullScreen();
}
