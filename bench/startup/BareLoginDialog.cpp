// The reference of bench_startup: a bare Qt dialog with the login dialog's size, title, texts and
// fonts, and nothing else (no service client, no browser engine, no configuration, no picture).
// What the program spends beyond this before its dialog maps is start-up overhead of its own.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace {

template <class Control>
Control* place(QWidget* parent, int left, int top) {
    auto* control = new Control(parent);
    control->move(left, top);
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(13);
    font.setBold(true);
    control->setFont(font);
    return control;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget dialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    dialog.setWindowTitle(QStringLiteral("Lumovia-登录"));
    dialog.setFixedSize(426, 136);

    auto* account = place<QLabel>(&dialog, 144, 37);
    account->setText(QStringLiteral("帐户  "));
    account->adjustSize();
    place<QLineEdit>(&dialog, 192, 30)->resize(121, 24);
    auto* password = place<QLabel>(&dialog, 144, 64);
    password->setText(QStringLiteral("密码  "));
    password->adjustSize();
    auto* passwordEdit = place<QLineEdit>(&dialog, 192, 62);
    passwordEdit->resize(121, 24);
    passwordEdit->setEchoMode(QLineEdit::Password);
    auto* remember = place<QCheckBox>(&dialog, 192, 92);
    remember->resize(86, 17);
    remember->setText(QStringLiteral("记住密码"));
    remember->setChecked(true);
    auto* signIn = place<QPushButton>(&dialog, 320, 102);
    signIn->resize(75, 25);
    signIn->setText(QStringLiteral("登录"));
    signIn->setDefault(true);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    dialog.show();
    return QApplication::exec();
}
