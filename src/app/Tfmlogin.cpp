#include "Tfmlogin.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <exception>

#include "KeptMember.h"
#include "PasswordDigest.h"
#include "ProductArtwork.h"
#include "TeacherSessionStart.h"
#include "look/Look.h"
#include "main/TFmMain.h"
#include "platform/WindowRegistry.h"
#include "service/AppError.h"
#include "service/ShowMessage.h"
#include "service/TstudyDM.h"

namespace {

const GbkString kSection = "qorox";
const GbkString kMemberIdKey = "memberid";
const GbkString kPasswdKey = "passwd";

// Qt's password edit shows a bullet; the dialog shows "*". A style sheet would say so in a line,
// but bringing in Qt's style-sheet machinery for it was a measurable part of the dialog's start.
class StarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

template <class Control>
Control* navyControl(QWidget* parent, const char* name, int left, int top) {
    auto* control = place<Control>(parent, name, left, top);
    control->setFont(pixelFont(13, Weight::Bold));
    paintText(control, navy());
    return control;
}

}  // namespace

Tfmlogin::Tfmlogin(TstudyDM& dm, std::unique_ptr<TFmMain>& fmMain, const QString& programFolder,
                   QWidget* parent)
    : QWidget(parent), dm_(dm), fmMain_(fmMain), ini_(programFolder) {
    setObjectName(QStringLiteral("fmlogin"));
    registry_ = new WindowRegistry(windowClassName(), this);
    dialogFlags_ = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint;
    setWindowFlags(dialogFlags_);
    setWindowTitle(caption());
    // The program ends when this window is closed before a sign-in.
    setAttribute(Qt::WA_QuitOnClose, true);
    setFixedSize(clientSize());
    dialogPalette_ = palette();

    CreateControls();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    connect(btnlogin, &QPushButton::clicked, this, &Tfmlogin::btnloginClick);
    connect(btnOfflineStart, &QPushButton::clicked, this, &Tfmlogin::btnOfflineStartClick);
    connect(registry_, &WindowRegistry::messageReceived, this, [this](int message) {
        if (message == kBringForwardMessage) WMBringForward();
    });
    FormCreate();
}

Tfmlogin::~Tfmlogin() = default;

QString Tfmlogin::windowClassName() {
    return QStringLiteral("QO-RO Editing Tool");
}

QString Tfmlogin::caption() {
    return QStringLiteral("Lumovia-登录");
}

void Tfmlogin::CreateControls() {
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 16, 100, 100);
    Image1->setScaledContents(true);
    Image1->setPixmap(ProductArtwork::render(Image1->size(), devicePixelRatioF()));

    Label1 = navyControl<QLabel>(this, "Label1", 144, 37);
    Label1->setText(QStringLiteral("帐户  "));
    Label1->adjustSize();
    Editmemberid = navyControl<QLineEdit>(this, "Editmemberid", 192, 30);
    Editmemberid->resize(121, 24);

    Label2 = navyControl<QLabel>(this, "Label2", 144, 64);
    Label2->setText(QStringLiteral("密码  "));
    Label2->adjustSize();
    Editpasswd = navyControl<QLineEdit>(this, "Editpasswd", 192, 62);
    Editpasswd->resize(121, 24);
    Editpasswd->setEchoMode(QLineEdit::Password);
    auto* stars = new StarPasswordStyle;
    stars->setParent(Editpasswd);
    Editpasswd->setStyle(stars);

    pwdCheckBox = navyControl<QCheckBox>(this, "pwdCheckBox", 192, 92);
    pwdCheckBox->resize(86, 17);
    pwdCheckBox->setText(QStringLiteral("记住密码"));
    pwdCheckBox->setChecked(true);

    btnlogin = navyControl<QPushButton>(this, "btnlogin", 320, 102);
    btnlogin->resize(75, 25);
    btnlogin->setText(QStringLiteral("登录"));
    btnlogin->setDefault(true);

    btnOfflineStart = navyControl<QPushButton>(this, "btnOfflineStart", 320, 66);
    btnOfflineStart->resize(90, 25);
    btnOfflineStart->setText(QStringLiteral("离线上课"));
    btnOfflineStart->hide();

    setTabOrder(Editmemberid, Editpasswd);
    setTabOrder(Editpasswd, btnlogin);
    setTabOrder(btnlogin, pwdCheckBox);
}

void Tfmlogin::FormCreate() {
    Editmemberid->setText(gbk::toQString(ini_.ReadIniValue(kSection, kMemberIdKey)));
    Editpasswd->setText(gbk::toQString(ini_.ReadIniValue(kSection, kPasswdKey)));
    Editpasswd->setFocus();
}

void Tfmlogin::FormActivate() {
    Editpasswd->setFocus(Qt::ActiveWindowFocusReason);
}

void Tfmlogin::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void Tfmlogin::keyPressEvent(QKeyEvent* event) {
    // The sign-in button is the default button: either Enter key anywhere in the dialog presses
    // it. Qt marks the keypad's Enter with the keypad modifier, which must not count against it.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && modifiers == Qt::NoModifier && btnlogin->isEnabled()) {
        btnlogin->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Tfmlogin::btnloginClick() {
    // The session start lets the window handle input while it loads, so a second click (a double
    // click, Enter twice on a slow network) would arrive inside the first sign-in and start
    // another one nested in it.
    if (signingIn_) return;
    const QScopedValueRollback<bool> running(signingIn_, true);
    // The dialog is where a failed sign-in is reported, as the default handler would.
    try {
        SignIn();
    } catch (const HttpError& error) {
        ShowMessage(QString::fromUtf8(error.what()));
        // Only the sign-in's own call is made before the window exists.
        if (error.unreachable() && !fmMain_) {
            const GbkString account = gbk::fromQString(Editmemberid->text());
            const GbkString digest = PasswordDigest::passwordToSend(gbk::fromQString(Editpasswd->text()));
            btnOfflineStart->setVisible(OfflineStartAllowed(account, digest));
        }
    } catch (const std::exception& error) {
        ShowMessage(QString::fromUtf8(error.what()));
    }
}

bool Tfmlogin::OfflineStartAllowed(const GbkString& account, const GbkString& digest) const {
    // The remembered credentials stand for the service's word: a digest that is not the one the
    // service last accepted for this account opens nothing.
    if (account.empty() || digest.empty()) return false;
    if (ini_.ReadIniValue(kSection, kMemberIdKey) != account ||
        ini_.ReadIniValue(kSection, kPasswdKey) != digest)
        return false;
    return dm_.Replies.hasReplies(account) && KeptMember(dm_.Replies, account).has_value();
}

void Tfmlogin::btnOfflineStartClick() {
    if (signingIn_) return;
    const QScopedValueRollback<bool> running(signingIn_, true);
    btnOfflineStart->hide();
    const GbkString account = gbk::fromQString(Editmemberid->text());
    const GbkString digest = PasswordDigest::passwordToSend(gbk::fromQString(Editpasswd->text()));
    // The fields may have changed since the offer.
    if (!OfflineStartAllowed(account, digest)) return;
    try {
        Member = *KeptMember(dm_.Replies, account);
        dm_.Replies.setAccount(account);
        dm_.HTTPRIOLmvInClass_.setOffline(true);
        ShowSignedInLook();
        StartSession(account, TeacherSessionStart::Mode::Offline);
    } catch (const std::exception& error) {
        // As after a failed sign-in: a borderless dialog could neither retry nor close.
        ShowDialogLook();
        btnOfflineStart->show();
        ShowMessage(QString::fromUtf8(error.what()));
    }
}

void Tfmlogin::SignIn() {
    const GbkString account = gbk::fromQString(Editmemberid->text());
    const GbkString password = PasswordDigest::passwordToSend(gbk::fromQString(Editpasswd->text()));
    const GbkString reply = dm_.HTTPRIOLmvInClass_.GetlmvInclassSoap()->LmvInclass_LogOn(account, password);
    if (reply == "0") {
        ShowMessage(QStringLiteral("密码错误"));
        return;
    }

    btnlogin->setEnabled(false);
    ShowSignedInLook();
    try {
        // One write: a failure must never pair the new account with the old digest.
        ini_.WriteIniValues(kSection, {{kMemberIdKey, account},
                                       {kPasswdKey, pwdCheckBox->isChecked() ? password : GbkString()}});
        Member = ReadMemberInfo(reply, "usertypeid");
    } catch (...) {
        // A dialog left borderless with its button disabled could neither retry nor close.
        ShowDialogLook();
        btnlogin->setEnabled(true);
        throw;
    }
    btnlogin->setEnabled(true);
    dm_.Replies.setAccount(account);
    StartSession(account, TeacherSessionStart::Mode::Online);
}

void Tfmlogin::StartSession(const GbkString& account, TeacherSessionStart::Mode mode) {
    TeacherSessionStart session(dm_, fmMain_);
    session.Run(Member, account, mode);
    if (mode == TeacherSessionStart::Mode::Online && !session.endRequested() && fmMain_)
        KeepMember(dm_.Replies, account, fmMain_->Member);
    hide();
    if (session.endRequested()) {
        programEndRequested_ = true;
        emit programEnding();
        // Leaves the message loop once this handler has returned; the windows are then destroyed
        // without being closed, so the main window's exit clean-up does not run.
        QCoreApplication::exit(0);
    }
}

void Tfmlogin::WMBringForward() {
    QWidget* front = (fmMain_ && fmMain_->isVisible()) ? static_cast<QWidget*>(fmMain_.get()) : this;
    if (front->isMinimized()) {
        front->showNormal();
    } else {
        front->raise();
        front->activateWindow();
    }
    if (fmMain_) fmMain_->showMaximized();
    front->raise();
    front->activateWindow();
}

void Tfmlogin::ShowSignedInLook() {
    const QPoint position = pos();
    const bool shown = isVisible();
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    QPalette white = dialogPalette_;
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    move(position);
    if (shown) show();
}

void Tfmlogin::ShowDialogLook() {
    const QPoint position = pos();
    const bool shown = isVisible();
    setWindowFlags(dialogFlags_);
    setPalette(dialogPalette_);
    setAutoFillBackground(false);
    move(position);
    if (shown) show();
}
