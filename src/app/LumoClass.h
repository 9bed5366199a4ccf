#pragma once

#include <QStringList>
#include <memory>

#include "catalogue/MemberInfoRec.h"

class Tfmlogin;
class QWidget;
class TFmMain;
class TstudyDM;

// The program entry: the start-up steps after the application object exists. run() ends a
// running login-mode instance, chooses the launch mode by the number of arguments and either
// reports that the program ends (with exitCode()) or that the message loop should run.
//
// LumoClass owns the process-wide objects it creates (the data module, the login window, the
// main window) and releases the windows before the data module. Every failure of the start
// (configuration, service, reply, user type) is shown through ShowMessage and ends the
// program with a non-zero exit code; run() itself never raises.
class LumoClass {
public:
    enum class Outcome {
        EndedAtOnce,  // three or more arguments: nothing was created, nothing shown or sent
        Ended,        // the start ended the program; see exitCode()
        RunLoop,      // a window is up; run the message loop
    };

    LumoClass();
    ~LumoClass();
    LumoClass(const LumoClass&) = delete;
    LumoClass& operator=(const LumoClass&) = delete;

    // `arguments` are the command-line arguments after the program name.
    Outcome run(const QStringList& arguments);
    int exitCode() const { return exitCode_; }

    TstudyDM* studyDM() const { return studyDM_.get(); }
    TFmMain* FmMain() const { return fmMain_.get(); }
    QWidget* loginWindow() const;
    Tfmlogin* fmlogin() const { return login_.get(); }
    const MemberInfoRec& member() const { return member_; }

    static QString executableName();
    // The direct sign-in opens the main window only with this mode flag.
    static QString openWindowFlag();

private:
    void EndRunningInstance();
    static void RemoveInterruptedWrites();
    Outcome RunLoginMode();
    Outcome RunDirectSignIn(const QString& modeFlag, const QString& launchQuery);
    bool CreateDataModule();
    Outcome Fail(const QString& message);

    std::unique_ptr<TstudyDM> studyDM_;
    std::unique_ptr<Tfmlogin> login_;
    std::unique_ptr<TFmMain> fmMain_;
    MemberInfoRec member_;
    int exitCode_ = 0;
};
