#pragma once

#include <QWidget>
#include <memory>

#include "QoroxIni.h"
#include "TeacherSessionStart.h"
#include "catalogue/MemberInfoRec.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TFmMain;
class TstudyDM;
class WindowRegistry;

// The login dialog of the login mode and the program's main form: it offers the remembered
// account and password digest from "qorox.ini", signs the member in, remembers the credentials
// once the service accepted them and hands over to the teacher session start. Afterwards it
// hides but lives on until the program ends; all that time it is registered as
// "QO-RO Editing Tool", which is what the single-instance rule of a later start looks for.
// Closing it before a sign-in ends the program.
//
// The dialog owns its controls and registration. The data module and the entry's main-window
// slot are borrowed and must outlive it; the session start creates the main window in that
// slot. Every failure of a sign-in is shown through ShowMessage; nothing escapes the handler.
class Tfmlogin : public QWidget {
    Q_OBJECT

public:
    // `programFolder` holds "qorox.ini".
    Tfmlogin(TstudyDM& dm, std::unique_ptr<TFmMain>& fmMain,
             const QString& programFolder = QoroxIni::programFolder(), QWidget* parent = nullptr);
    ~Tfmlogin() override;

    static QString windowClassName();
    static QString caption();
    static QSize clientSize() { return {426, 136}; }
    // The number another program sends to bring this program forward.
    static constexpr int kBringForwardMessage = 5120;

    const WindowRegistry& registry() const { return *registry_; }
    const QoroxIni& iniFile() const { return ini_; }
    const MemberInfoRec& member() const { return Member; }
    // True once a sign-in ended with the session asking for the end of the program.
    bool programEndRequested() const { return programEndRequested_; }

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Editmemberid = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Editpasswd = nullptr;
    QCheckBox* pwdCheckBox = nullptr;
    QPushButton* btnlogin = nullptr;
    // Offered when the service cannot be reached and the remembered account, as typed, has
    // kept replies: the window then opens offline.
    QPushButton* btnOfflineStart = nullptr;

signals:
    // Emitted right before the program is told to end after a sign-in (refused user type, no
    // teacher setting).
    void programEnding();

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    void FormCreate();
    void FormActivate();
    void btnloginClick();
    void SignIn();
    void StartSession(const GbkString& account, TeacherSessionStart::Mode mode);
    bool OfflineStartAllowed(const GbkString& account, const GbkString& digest) const;
    void btnOfflineStartClick();
    void WMBringForward();
    void ShowSignedInLook();
    void ShowDialogLook();

    TstudyDM& dm_;
    std::unique_ptr<TFmMain>& fmMain_;
    QoroxIni ini_;
    WindowRegistry* registry_ = nullptr;
    MemberInfoRec Member;
    Qt::WindowFlags dialogFlags_;
    QPalette dialogPalette_;
    bool programEndRequested_ = false;
    bool signingIn_ = false;
};
