#include "LumoClass.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QTimer>
#include <exception>

#include "LaunchQuery.h"
#include "Tfmlogin.h"
#include "cache/CacheCleaner.h"
#include "cache/CacheFolder.h"
#include "ink/InkStore.h"
#include "main/TFmMain.h"
#include "platform/KillProcessByExeName.h"
#include "platform/PlaceStore.h"
#include "platform/WindowRegistry.h"
#include "service/AppError.h"
#include "service/ClientConfig.h"
#include "service/HttpClient.h"
#include "service/ShowMessage.h"
#include "service/TstudyDM.h"

namespace {

QString messageOf(const std::exception& error) {
    return QString::fromUtf8(error.what());
}

bool isAdmittedByDirectSignIn(int typeId) {
    return typeId == 30 || typeId == 50;
}

}  // namespace

LumoClass::LumoClass() = default;

LumoClass::~LumoClass() {
    fmMain_.reset();
    login_.reset();
    studyDM_.reset();
}

QWidget* LumoClass::loginWindow() const {
    return login_.get();
}

QString LumoClass::executableName() {
    return QStringLiteral("lumoclass");
}

QString LumoClass::openWindowFlag() {
    return QStringLiteral("-1");
}

LumoClass::Outcome LumoClass::run(const QStringList& arguments) {
    EndRunningInstance();
    RemoveInterruptedWrites();
    if (arguments.size() >= 3) {
        exitCode_ = 0;
        return Outcome::EndedAtOnce;
    }
    if (arguments.size() == 2) return RunDirectSignIn(arguments.at(0), arguments.at(1));
    return RunLoginMode();
}

void LumoClass::EndRunningInstance() {
    // Its result does not matter: a start goes on whether or not the other instance ended.
    if (WindowRegistry::exists(Tfmlogin::windowClassName()))
        KillProcessByExeName(executableName(), Tfmlogin::windowClassName());
}

void LumoClass::RemoveInterruptedWrites() {
    // An instance ended by the single-instance rule may have been halfway through a download, a
    // write of qorox.ini, of the remembered place or of the ink; its temporary files are never renamed into
    // place and would stay.
    const std::string cache = CacheFolder::temporaryPath();
    if (!cache.empty()) CacheCleaner::RemoveInterruptedWrites(cache, HttpClient::kDownloadTemporaryPrefix);
    for (const QString& folder : QoroxIni().folders())
        CacheCleaner::RemoveInterruptedWrites(QFile::encodeName(folder).toStdString(),
                                              QoroxIni::temporaryPrefix());
    CacheCleaner::RemoveInterruptedWrites(QFile::encodeName(PlaceStore::defaultFolder()).toStdString(),
                                          PlaceStore::temporaryPrefix());
    CacheCleaner::RemoveInterruptedWrites(QFile::encodeName(InkStore::defaultFolder()).toStdString(),
                                          InkStore::temporaryPrefix());
    for (const std::string& folder : ReplyStore().accountFolders())
        CacheCleaner::RemoveInterruptedWrites(folder, ReplyStore::kTemporaryPrefix);
}

LumoClass::Outcome LumoClass::RunLoginMode() {
    if (!CreateDataModule()) return Outcome::Ended;
    // Every window is given the program's icon in all its sizes when it is made, even one with
    // an icon of its own, and drawing and sending them all would hold the dialog back by more
    // than the rest of its start: the dialog is made without it and gets it once it is on the
    // screen.
    const QIcon programIcon = QApplication::windowIcon();
    QApplication::setWindowIcon(QIcon());
    login_ = std::make_unique<Tfmlogin>(*studyDM_, fmMain_);
    login_->show();
    QTimer::singleShot(0, qApp, [programIcon] { QApplication::setWindowIcon(programIcon); });
    return Outcome::RunLoop;
}

LumoClass::Outcome LumoClass::RunDirectSignIn(const QString& modeFlag, const QString& launchQuery) {
    const LaunchQuery query = ParseLaunchQuery(gbk::fromQString(launchQuery));
    if (!CreateDataModule()) return Outcome::Ended;
    studyDM_->WebServiceHost = query.webservice;

    try {
        const GbkString reply =
            studyDM_->HTTPRIOLmvInClass_.GetlmvInclassSoap()->LmvInclass_LogOn(query.user, query.password);
        if (reply == "0") return Fail(QStringLiteral("密码错误"));
        member_ = ReadMemberInfo(reply, "typeid");
        studyDM_->Replies.setAccount(query.user);
    } catch (const std::exception& error) {
        return Fail(messageOf(error));
    }

    if (modeFlag != openWindowFlag()) {
        exitCode_ = 0;
        return Outcome::Ended;
    }

    if (!fmMain_) fmMain_ = std::make_unique<TFmMain>(*studyDM_);
    fmMain_->Member = member_;

    try {
        if (!isAdmittedByDirectSignIn(gbk::toInt(fmMain_->Member.TypeId))) {
            exitCode_ = 0;
            return Outcome::Ended;
        }
        fmMain_->LoadSyllabusSubjects();
    } catch (const std::exception& error) {
        return Fail(messageOf(error));
    }
    fmMain_->show();
    return Outcome::RunLoop;
}

bool LumoClass::CreateDataModule() {
    try {
        const ClientConfig config = ClientConfig::load();
        HttpClient::setDefaultTimeouts(
            HttpTimeouts{config.connectTimeout, config.idleTimeout, config.transferTimeout});
        studyDM_ = std::make_unique<TstudyDM>(config);
        studyDM_->SetUpClassroomProxy();
    } catch (const std::exception& error) {
        Fail(messageOf(error));
        return false;
    }
    return true;
}

LumoClass::Outcome LumoClass::Fail(const QString& message) {
    ShowMessage(message);
    exitCode_ = 1;
    return Outcome::Ended;
}
