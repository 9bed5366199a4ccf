#include "TeacherSessionStart.h"

#include <QCoreApplication>
#include <QScopedValueRollback>

#include "main/TFmMain.h"
#include "service/Endpoints.h"
#include "service/HttpGetText.h"
#include "service/ShowMessage.h"
#include "service/TstudyDM.h"

namespace {

bool isRefused(int typeId) {
    return typeId == 30 || typeId == 50;
}

bool isTeacher(int typeId) {
    return typeId == 55 || typeId == 100;
}

}  // namespace

TeacherSessionStart::TeacherSessionStart(TstudyDM& dm, std::unique_ptr<TFmMain>& fmMain)
    : dm_(dm), fmMain_(fmMain) {}

bool TeacherSessionStart::running_ = false;

void TeacherSessionStart::Run(const MemberInfoRec& member, const GbkString& account, Mode mode) {
    // The window handles input while the catalogues load; a start reached from there would run
    // inside this one with the member half given.
    if (running_) return;
    const QScopedValueRollback<bool> running(running_, true);
    if (!fmMain_) fmMain_ = std::make_unique<TFmMain>(dm_);
    TFmMain& window = *fmMain_;
    window.Member = member;
    if (mode == Mode::Offline) window.StartOffline();
    // The new window paints before the catalogue requests block the thread.
    QCoreApplication::processEvents();

    window.LoadUnitList();
    window.LoadHomeworkList();
    window.LoadClipList();

    const int typeId = gbk::toInt(window.Member.TypeId);
    if (isRefused(typeId)) {
        ShowMessage(QStringLiteral("权限不够。退出！"));
        endRequested_ = true;
    } else if (isTeacher(typeId) && mode == Mode::Online) {
        if (!window.LoadTeacherSetting()) endRequested_ = true;
        NotifyAccountServer(account);
    }
    if (!endRequested_) window.OfferResume(account);
}

void TeacherSessionStart::NotifyAccountServer(const GbkString& account) {
    // The account server's answer means nothing to this program; a failure has been shown.
    const ClientConfig& config = dm_.config();
    HttpGetText(config.httpClient(),
                Endpoints::accountNotification(config.accountScheme(), config.accountHost,
                                               fmMain_->Member.UserId, account));
}
