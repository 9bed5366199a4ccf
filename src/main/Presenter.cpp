#include "Presenter.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextEdit>
#include <QWindow>

#include "PresenterConsole.h"
#include "pages/InkController.h"
#include "pages/PageZoom.h"
#include "web/PageScript.h"
#include "web/WebBrowser.h"

namespace {

constexpr int kHintMs = 2000;

bool takesText(const QWidget* widget) {
    if (widget == nullptr) return false;
    if (auto* combo = qobject_cast<const QComboBox*>(widget)) return combo->isEditable();
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
           widget->testAttribute(Qt::WA_InputMethodEnabled);
}

bool insideBrowser(const QWidget* widget) {
    for (; widget != nullptr; widget = widget->parentWidget())
        if (qobject_cast<const WebBrowser*>(widget)) return true;
    return false;
}

void announce(QWidget* widget) {
    QAccessibleEvent event(widget, QAccessible::Alert);
    QAccessible::updateAccessibility(&event);
}

// Shows a top-level window full screen on `screen`. Full screen is left first, as a window
// manager keeps a full-screen window on the screen it fills.
void fillScreen(QWidget* window, QScreen* screen) {
    if (window->windowState() & Qt::WindowFullScreen)
        window->setWindowState(window->windowState() & ~Qt::WindowFullScreen);
    if (window->windowHandle() != nullptr)
        window->windowHandle()->setScreen(screen);
    else
        window->setScreen(screen);
    window->setGeometry(screen->geometry());
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowFullScreen);
    window->show();
}

bool swapKey(const QKeyEvent* key) {
    const Qt::KeyboardModifiers held =
        key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    return held == (Qt::ControlModifier | Qt::ShiftModifier) &&
           (key->key() == Qt::Key_S || key->key() == Qt::Key_Right || key->key() == Qt::Key_Left);
}

}  // namespace

Presenter::Presenter(PresenterTargets targets, QObject* parent) : QObject(parent), t_(std::move(targets)) {
    help_ = new QLabel(t_.window);
    help_->setObjectName(QStringLiteral("PresenterHelp"));
    help_->setAccessibleName(QStringLiteral("快捷键帮助"));
    help_->setText(HelpText());
    help_->setTextFormat(Qt::RichText);
    help_->setMargin(16);
    help_->setStyleSheet(QStringLiteral(
        "QLabel { background: rgba(20, 20, 20, 230); color: white; border-radius: 8px; font-size: 14px; }"));
    help_->hide();

    hint_ = new QLabel(t_.window);
    hint_->setObjectName(QStringLiteral("PresenterHint"));
    hint_->setAccessibleName(QStringLiteral("演示模式"));
    hint_->setText(QStringLiteral("演示模式　PgDn/PgUp 翻页　B 黑屏　W 白屏　F1 帮助　Esc 退出"));
    hint_->setMargin(6);
    hint_->setStyleSheet(
        QStringLiteral("QLabel { background: rgba(40, 40, 40, 200); color: #e0e0e0; border-radius: 4px; "
                       "font-size: 12px; }"));
    hint_->setAttribute(Qt::WA_TransparentForMouseEvents);
    hint_->hide();
    hintTimer_.setSingleShot(true);
    hintTimer_.setInterval(kHintMs);
    connect(&hintTimer_, &QTimer::timeout, hint_, &QWidget::hide);

    // The page opens with the focus, so the keyboard keys work at once.
    connect(t_.pages, &QTabWidget::currentChanged, this, [this] {
        if (t_.pages->currentWidget() == t_.book.sheet) t_.book.pageBox->setFocus(Qt::OtherFocusReason);
    });
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::screenRemoved, this, &Presenter::screenRemoved);
}

Presenter::~Presenter() {
    qApp->removeEventFilter(this);
    // The window may be going too: the console goes, taking the help overlay it holds.
    console_.reset();
}

QString Presenter::HelpText() {
    const QList<QPair<QString, QString>> rows = {
        {QStringLiteral("PageDown / → / ↓ / 空格"), QStringLiteral("下一页")},
        {QStringLiteral("PageUp / ← / ↑ / Backspace"), QStringLiteral("上一页")},
        {QStringLiteral("Home / End"), QStringLiteral("第一页 / 最后一页")},
        {QStringLiteral("B 或 .　/　W"), QStringLiteral("黑屏 / 白屏（任意键返回）")},
        {QStringLiteral("F5 或 F11"), QStringLiteral("演示模式")},
        {QStringLiteral("Esc 或 Shift+F5"), QStringLiteral("退出全屏播放或演示模式")},
        {QStringLiteral("Ctrl+Shift+S"), QStringLiteral("两个屏幕时：交换投影屏与演示者视图")},
        {QStringLiteral("P / H / E"), QStringLiteral("画笔 / 荧光笔 / 橡皮擦（Esc 收起）")},
        {QStringLiteral("Ctrl+Z / Ctrl+Y"), QStringLiteral("撤销 / 重做墨迹")},
        {QStringLiteral("Ctrl+滚轮 / Ctrl++ / Ctrl+-"), QStringLiteral("放大 / 缩小（拖动平移）")},
        {QStringLiteral("0 / 双击"), QStringLiteral("还原页面大小")},
        {QStringLiteral("双指捏合 / 单指左右滑动"), QStringLiteral("缩放 / 翻页")},
        {QStringLiteral("F / S"), QStringLiteral("播放器：全屏播放 / 显示字幕")},
        {QStringLiteral("F1 或 ?"), QStringLiteral("显示或关闭本帮助")},
    };
    QString html = QStringLiteral("<b>快捷键</b><table cellspacing=4>");
    for (const auto& [keys, meaning] : rows)
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(keys.toHtmlEscaped(), meaning);
    return html + QStringLiteral("</table>");
}

QWidget* Presenter::focusWidget() const {
    QWidget* focus = QApplication::focusWidget();
    const bool ours = focus != nullptr && (focus->window() == t_.window || focus->window() == console_.get());
    return ours ? focus : t_.window->focusWidget();
}

bool Presenter::keyboardKeysAllowed(QWidget* focus) const {
    if (focus != nullptr && console_ && focus->window() == console_.get())
        return qobject_cast<QAbstractButton*>(focus) == nullptr;
    if (focus == nullptr || focus == t_.window || focus == t_.book.sheet ||
        focus->focusPolicy() == Qt::NoFocus)
        return true;
    if (focus == t_.book.thumbnails) return true;
    if (qobject_cast<QAbstractButton*>(focus)) return false;
    return t_.book.panes->isAncestorOf(focus);
}

bool Presenter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // The window's screen is the one remembered at close: not the projector's.
    if (type == QEvent::Close && watched == t_.window) LeavePresentation();
    if (type == QEvent::ShortcutOverride && console_ && swapKey(static_cast<QKeyEvent*>(event))) {
        // Taken from the window's own screen moves while the console shows: they swap instead.
        event->accept();
        return true;
    }
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress && type != QEvent::TouchBegin)
        return false;
    auto* receiver = qobject_cast<QWidget*>(watched);
    if (receiver == nullptr) return false;
    QWidget* window = receiver->window();
    const bool console = console_ && window == console_.get();
    // A key returns from anywhere; a click on the console acts on the console and leaves the
    // projector blank.
    if (IsBlank() &&
        (window == blank_.get() || window == t_.window || (console && type == QEvent::KeyPress))) {
        if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->isAutoRepeat()) return true;
        Unblank();
        return true;
    }
    if (type != QEvent::KeyPress) {
        if (receiver == help_) ShowHelp(false);
        return false;
    }
    if ((window != t_.window && !console) || QApplication::activePopupWidget() != nullptr) return false;
    return keyPress(static_cast<QKeyEvent*>(event));
}

bool Presenter::keyPress(QKeyEvent* key) {
    QWidget* focus = focusWidget();
    if (takesText(focus) || insideBrowser(focus)) return false;
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    const bool plain = !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && key->key() == Qt::Key_Escape) return escape();
    if (plain && (key->key() == Qt::Key_F1 || key->key() == Qt::Key_Question)) {
        if (!key->isAutoRepeat()) ShowHelp(!HelpShown());
        return true;
    }
    QWidget* current = t_.pages->currentWidget();
    if (current == t_.book.sheet) return textBookKey(key, focus);
    for (const PresenterTargets::Player& player : t_.players)
        if (current == player.sheet) return plain && playerKey(key, player);
    return false;
}

bool Presenter::escape() {
    if (HelpShown()) {
        ShowHelp(false);
        return true;
    }
    for (WebBrowser* browser : t_.browsers) {
        if (browser->IsFullScreen()) {
            browser->ExitFullScreen();
            return true;
        }
    }
    if (t_.book.ink != nullptr && t_.book.ink->toolChosen()) {
        t_.book.ink->putDown();
        return true;
    }
    if (presenting_) {
        LeavePresentation();
        return true;
    }
    return false;
}

bool Presenter::textBookKey(QKeyEvent* key, QWidget* focus) {
    const PresenterTargets::Book& book = t_.book;
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    const int code = key->key();
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) return false;
    if (console_ && swapKey(key)) {
        if (!key->isAutoRepeat()) SwapScreens();
        return true;
    }
    if (modifiers & Qt::ControlModifier) {
        switch (code) {
            case Qt::Key_Plus:
            case Qt::Key_Equal:
                book.zoom->zoomSteps(1, book.zoom->anchor());
                return true;
            case Qt::Key_Minus:
                book.zoom->zoomSteps(-1, book.zoom->anchor());
                return true;
            case Qt::Key_0:
                book.zoom->reset();
                return true;
            case Qt::Key_Z:
                if (book.ink != nullptr && !(modifiers & Qt::ShiftModifier)) book.ink->undo();
                return book.ink != nullptr;
            case Qt::Key_Y:
                if (book.ink != nullptr) book.ink->redo();
                return book.ink != nullptr;
            default:
                return false;
        }
    }
    if (book.ink != nullptr && modifiers == Qt::NoModifier && !key->isAutoRepeat()) {
        switch (code) {
            case Qt::Key_P:
                book.ink->choose(InkTool::Pen);
                return true;
            case Qt::Key_H:
                book.ink->choose(InkTool::Highlighter);
                return true;
            case Qt::Key_E:
                book.ink->choose(InkTool::Eraser);
                return true;
            default:
                break;
        }
    }
    const bool repeat = key->isAutoRepeat();
    switch (code) {
        case Qt::Key_PageDown:
            book.nextPage();
            return true;
        case Qt::Key_PageUp:
            book.previousPage();
            return true;
        case Qt::Key_B:
        case Qt::Key_Period:
            if (!repeat) Blank(Qt::black);
            return true;
        case Qt::Key_W:
            if (!repeat) Blank(Qt::white);
            return true;
        case Qt::Key_F5:
            if (!repeat) (modifiers & Qt::ShiftModifier) ? LeavePresentation() : EnterPresentation();
            return true;
        case Qt::Key_F11:
            if (!repeat) presenting_ ? LeavePresentation() : EnterPresentation();
            return true;
        case Qt::Key_0:
            if (book.zoom->zoomed()) book.zoom->reset();
            return true;
        default:
            break;
    }
    if (!keyboardKeysAllowed(focus)) return false;
    switch (code) {
        case Qt::Key_Right:
        case Qt::Key_Down:
        case Qt::Key_Space:
            book.nextPage();
            return true;
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Backspace:
            book.previousPage();
            return true;
        case Qt::Key_Home:
            book.firstPage();
            return true;
        case Qt::Key_End:
            book.lastPage();
            return true;
        default:
            return false;
    }
}

bool Presenter::playerKey(QKeyEvent* key, const PresenterTargets::Player& player) {
    if (key->key() == Qt::Key_F && !player.fullScreen->isHidden()) {
        // Clicked, so that the button's own handler (and only it) runs, as for a click.
        if (!key->isAutoRepeat()) player.fullScreen->click();
        return true;
    }
    if (key->key() == Qt::Key_S && !player.subtitles->isHidden()) {
        if (!key->isAutoRepeat()) player.subtitles->click();
        return true;
    }
    return false;
}

void Presenter::pausePlayers() {
    // A player that never loaded has no location: asking creates no view and no process.
    for (WebBrowser* browser : t_.browsers)
        if (!browser->LocationURL().isEmpty()) PauseWebPlayer(*browser);
}

bool Presenter::IsBlank() const {
    return blank_ && blank_->isVisible();
}

void Presenter::Blank(const QColor& colour) {
    if (IsBlank()) return;
    focusBeforeBlank_ = focusWidget();
    if (!blank_) {
        blank_ = std::make_unique<QWidget>(nullptr,
                                           Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        blank_->setObjectName(QStringLiteral("BlankScreen"));
        blank_->setAutoFillBackground(true);
        blank_->setFocusPolicy(Qt::StrongFocus);
        blank_->setCursor(Qt::BlankCursor);
    }
    QPalette palette = blank_->palette();
    palette.setColor(QPalette::Window, colour);
    blank_->setPalette(palette);
    const bool black = colour == QColor(Qt::black);
    blank_->setAccessibleName(black ? QStringLiteral("黑屏，按任意键返回")
                                    : QStringLiteral("白屏，按任意键返回"));
    blank_->setWindowTitle(blank_->accessibleName());
    if (QScreen* screen = console_ ? projector_.data() : t_.window->screen()) {
        blank_->setScreen(screen);
        blank_->setGeometry(screen->geometry());
    }
    blank_->showFullScreen();
    blank_->raise();
    if (console_) {
        // The presenter goes on working on the console.
        console_->setBlankText(black ? QStringLiteral("黑屏中") : QStringLiteral("白屏中"));
        announce(console_->lblBlank);
    } else {
        blank_->activateWindow();
        blank_->setFocus(Qt::OtherFocusReason);
        announce(blank_.get());
    }
    pausePlayers();
    emit modeChanged();
}

void Presenter::Unblank() {
    if (!IsBlank()) return;
    blank_->hide();
    if (console_) {
        console_->setBlankText(QString());
        console_->activateWindow();
        emit modeChanged();
        return;
    }
    t_.window->activateWindow();
    if (focusBeforeBlank_ && focusBeforeBlank_->isVisible())
        focusBeforeBlank_->setFocus(Qt::OtherFocusReason);
    emit modeChanged();
}

bool Presenter::HelpShown() const {
    return !help_->isHidden();
}

void Presenter::ShowHelp(bool shown) {
    if (!shown) {
        help_->hide();
        return;
    }
    help_->adjustSize();
    placeOverlays();
    help_->show();
    help_->raise();
    announce(help_);
}

void Presenter::placeOverlays() {
    const QRect area = help_->parentWidget()->rect();
    help_->move(area.center() - help_->rect().center());
    hint_->adjustSize();
    hint_->move((area.width() - hint_->width()) / 2, area.height() - hint_->height() - 24);
}

void Presenter::EnterPresentation() {
    if (presenting_ || t_.pages->currentWidget() != t_.book.sheet) return;
    presenting_ = true;
    const PresenterTargets::Book& book = t_.book;
    focusBeforePresentation_ = focusWidget();
    hidden_.clear();
    const QList<QWidget*> hide = t_.chrome + book.surroundings;
    for (QWidget* widget : hide) {
        hidden_.append({widget, widget->isHidden()});
        widget->hide();
    }

    // Everything around the page is opaque black: no part of the window may show (or pass
    // clicks to) the desktop behind it.
    windowPalette_ = t_.window->palette();
    windowAutoFill_ = t_.window->autoFillBackground();
    QPalette black = windowPalette_;
    black.setColor(QPalette::Window, Qt::black);
    t_.window->setPalette(black);
    t_.window->setAutoFillBackground(true);
    centerPalette_ = book.pagePanel->palette();
    centerAutoFill_ = book.pagePanel->autoFillBackground();
    book.pagePanel->setPalette(black);
    book.pagePanel->setAutoFillBackground(true);
    documentMode_ = t_.pages->documentMode();
    t_.pages->setDocumentMode(true);
    horizontalBar_ = book.pageBox->horizontalScrollBarPolicy();
    verticalBar_ = book.pageBox->verticalScrollBarPolicy();
    book.pageBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    book.pageBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    windowState_ = t_.window->windowState();
    windowGeometry_ = t_.window->geometry();
    if (openConsole()) {
        emit modeChanged();
        return;
    }
    if (QScreen* screen = t_.window->screen()) t_.window->setGeometry(screen->geometry());
    t_.window->setWindowState(windowState_ | Qt::WindowFullScreen);
    book.pageBox->setFocus(Qt::OtherFocusReason);

    placeOverlays();
    hint_->show();
    hint_->raise();
    hintTimer_.start();
    announce(hint_);
    emit modeChanged();
}

bool Presenter::openConsole() {
    if (t_.book.textBook == nullptr) return false;
    const QList<QScreen*> qtScreens = QGuiApplication::screens();
    const QList<ScreenInfo> screens = DistinctScreens(DesktopScreens().screens());
    const int here = ScreenAt(screens, t_.window->frameGeometry().center());
    const int there = ::ProjectorScreen(screens, here, t_.loadProjector ? t_.loadProjector() : std::nullopt);
    if (here < 0 || there < 0) return false;
    const auto qtScreen = [&](const ScreenInfo& info) -> QScreen* {
        for (QScreen* screen : qtScreens)
            if (screen->name() == info.name && screen->geometry() == info.geometry) return screen;
        return nullptr;
    };
    consoleScreen_ = qtScreen(screens.at(here));
    projector_ = qtScreen(screens.at(there));
    if (!consoleScreen_ || !projector_) return false;

    console_ = std::make_unique<PresenterConsole>(*t_.book.textBook, t_.caption);
    connect(console_.get(), &PresenterConsole::swapRequested, this, &Presenter::SwapScreens);
    connect(console_.get(), &PresenterConsole::endRequested, this, &Presenter::LeavePresentation);
    help_->setParent(console_.get());
    help_->hide();
    if (t_.book.ink != nullptr) t_.book.ink->setFloatingBar(false);
    placeOnScreens();
    announce(console_.get());
    return true;
}

void Presenter::placeOnScreens() {
    fillScreen(t_.window, projector_);
    fillScreen(console_.get(), consoleScreen_);
    console_->raise();
    console_->activateWindow();
    if (IsBlank()) {
        blank_->setScreen(projector_);
        blank_->setGeometry(projector_->geometry());
        blank_->raise();
    }
}

void Presenter::SwapScreens() {
    if (!console_) return;
    std::swap(projector_, consoleScreen_);
    placeOnScreens();
    if (t_.saveProjector) t_.saveProjector({projector_->name(), projector_->geometry()});
    emit modeChanged();
}

void Presenter::closeConsole() {
    if (!console_) return;
    // The help overlay lives on whichever window the presenter looks at.
    help_->hide();
    help_->setParent(t_.window);
    console_.reset();
    if (t_.book.ink != nullptr) t_.book.ink->setFloatingBar(true);
    projector_ = nullptr;
    consoleScreen_ = nullptr;
}

void Presenter::screenRemoved(QScreen* screen) {
    if (!console_ || (screen != projector_ && screen != consoleScreen_)) return;
    QPointer<QScreen> remaining = screen == projector_ ? consoleScreen_ : projector_;
    // The window goes back to the remaining screen when presenting ends.
    if (screen == consoleScreen_) windowGeometry_ = remaining->availableGeometry();
    Unblank();
    closeConsole();
    // Once Qt has moved the gone screen's windows: the page, full screen, on the other.
    QTimer::singleShot(0, this, [this, remaining] {
        if (!presenting_) return;
        QScreen* screen = remaining ? remaining.data() : QGuiApplication::primaryScreen();
        if (screen == nullptr) return;
        fillScreen(t_.window, screen);
        t_.window->activateWindow();
        t_.book.pageBox->setFocus(Qt::OtherFocusReason);
        emit modeChanged();
    });
    emit modeChanged();
}

void Presenter::LeavePresentation() {
    if (!presenting_) return;
    presenting_ = false;
    const PresenterTargets::Book& book = t_.book;
    hintTimer_.stop();
    hint_->hide();
    Unblank();
    const bool moved =
        t_.window->screen() != nullptr && !t_.window->screen()->geometry().contains(windowGeometry_.center());
    closeConsole();
    // Back from the projector: to its own screen first, as a window manager maximises a window
    // on the screen it is on, then to its own place whatever its state.
    if (moved) {
        if (QWindow* handle = t_.window->windowHandle())
            if (QScreen* home = QGuiApplication::screenAt(windowGeometry_.center())) handle->setScreen(home);
    }
    t_.window->setWindowState(windowState_ & ~Qt::WindowFullScreen);
    if (moved || !(windowState_ & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        t_.window->setGeometry(windowGeometry_);
    book.pageBox->setHorizontalScrollBarPolicy(Qt::ScrollBarPolicy(horizontalBar_));
    book.pageBox->setVerticalScrollBarPolicy(Qt::ScrollBarPolicy(verticalBar_));
    t_.pages->setDocumentMode(documentMode_);
    book.pagePanel->setPalette(centerPalette_);
    book.pagePanel->setAutoFillBackground(centerAutoFill_);
    t_.window->setPalette(windowPalette_);
    t_.window->setAutoFillBackground(windowAutoFill_);
    for (const auto& [widget, wasHidden] : hidden_)
        if (widget) widget->setVisible(!wasHidden);
    hidden_.clear();
    if (focusBeforePresentation_ && focusBeforePresentation_->isVisible())
        focusBeforePresentation_->setFocus(Qt::OtherFocusReason);
    emit modeChanged();
}
