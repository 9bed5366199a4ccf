#include "TeacherSessionStart.h"

#include <QCoreApplication>

#include "main/TFmMain.h"
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

void TeacherSessionStart::Run(const MemberInfoRec& member, const GbkString& account) {
    if (!fmMain_) fmMain_ = std::make_unique<TFmMain>(dm_);
    TFmMain& window = *fmMain_;
    window.Member = member;
    // The new window paints before the catalogue requests block the thread.
    QCoreApplication::processEvents();

    window.LoadUnitList();
    window.LoadHomeworkList();
    window.LoadClipList();

    const int typeId = gbk::toInt(window.Member.TypeId);
    if (isRefused(typeId)) {
        ShowMessage(QStringLiteral("权限不够。退出！"));
        endRequested_ = true;
    } else if (isTeacher(typeId)) {
        if (!window.LoadTeacherSetting()) endRequested_ = true;
        NotifyAccountServer(account);
    }
}

void TeacherSessionStart::NotifyAccountServer(const GbkString& account) {
    // The account server's answer means nothing to this program; a failure has been shown.
    HttpGetText(AccountNotificationUrl(dm_.config().accountHost, fmMain_->Member.UserId, account));
}

std::string TeacherSessionStart::AccountNotificationUrl(const QString& accountHost, const GbkString& userId,
                                                        const GbkString& account) {
    return "http://" + accountHost.toStdString() +
           "/api/zavive/RealNameAuthentication?device=pc&userid=" + userId + "&account=" + account;
}
