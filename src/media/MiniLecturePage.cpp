#include "MiniLecturePage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <exception>

#include "catalogue/ImageList.h"
#include "service/ShowMessage.h"
#include "web/WebBrowser.h"

MiniLecturePage::MiniLecturePage(const TObjectList<TMiniLectureObj>& lectures, ImageList& images,
                                 QRadioButton* button, MediaSheetEnvironment environment, QWidget* parent)
    : MediaSheet("TabMiniLecture", std::move(environment), parent),
      lectures_(lectures),
      images_(images),
      button_(button) {
    LVMiniLectureClassUse = CreateListPanel("PLMiniLectureClassUse", 257, "Label119",
                                            QStringLiteral("微课列表"), "LVMiniLectureClassUse", false);
    player_ = CreatePlayer("PanelLecturePlayer", "Panel19", QStringLiteral("外教视频"), true,
                           "ckLecturetranslation", true, "btnLectureFullScreen", 8, "WebMiniLecture");
    Arrange(LVMiniLectureClassUse->parentWidget(), player_.area, true);
    Panel19 = player_.header;
    ckLecturetranslation = player_.subtitles;
    btnLectureFullScreen = player_.fullScreen;
    WebMiniLecture = player_.browser;
    connect(LVMiniLectureClassUse, &QListWidget::itemClicked, this,
            &MiniLecturePage::LVMiniLectureClassUseClick);
    connect(ckLecturetranslation, &QCheckBox::clicked, this, &MiniLecturePage::ckLecturetranslationClick);
    connect(btnLectureFullScreen, &QPushButton::clicked, this, &MiniLecturePage::btnLectureFullScreenClick);
}

void MiniLecturePage::RefreshMiniLectureList(const GbkString& unitCode) {
    RunRefresh(unitCode, false, [this](const GbkString& code) {
        // Caught here so that the unit change goes on with its remaining steps.
        try {
            Refresh(code);
        } catch (const std::exception& error) {
            ShowMessage(QString::fromUtf8(error.what()));
        }
    });
}

void MiniLecturePage::Refresh(const GbkString& unitCode) {
    ResetList(LVMiniLectureClassUse, images_, QSize(200, 130));
    for (std::size_t i = 0; i < lectures_.Count(); ++i) {
        const TMiniLectureObj* lecture = lectures_.Items(i);
        if (lecture->Code != unitCode) continue;
        const FetchedPicture fetched = env_.fetchPicture(lecture->CoverFileName);
        if (RefreshAbandoned() || !fetched.available) return;
        QListWidgetItem* item = AddItem(LVMiniLectureClassUse, lecture->Title, lecture);
        SetThumbnail(item, images_, fetched.picture, true);
    }
    button_->setEnabled(LVMiniLectureClassUse->count() > 0);
}

void MiniLecturePage::ClearList() {
    AbandonRefresh();
    ResetList(LVMiniLectureClassUse, images_, images_.imageSize());
}

void MiniLecturePage::LVMiniLectureClassUseClick() {
    const TMiniLectureObj* lecture = SelectedRecord<TMiniLectureObj>(LVMiniLectureClassUse);
    if (lecture == nullptr) return;
    if (lecture->MaterialId.empty()) {
        ShowMessage(QStringLiteral("网络错误，未能获取微课信息。请重试一次！"));
        return;
    }
    const GbkString reply = RequestReference("https", "/api/media/GetMiniLecture/", lecture->MaterialId,
                                             NetworkFailedFullWidthComma());
    if (reply.empty()) return;
    WebMiniLecture->Navigate(
        PlayerAddress(QStringLiteral("?type=ml&media=video&width="), Panel19->width(), reply));
    env_.showPage(this);
    QCoreApplication::processEvents();
    btnLectureFullScreen->show();
    ckLecturetranslation->show();
}

void MiniLecturePage::ckLecturetranslationClick() {
    SubtitlesClick(player_);
}

void MiniLecturePage::btnLectureFullScreenClick() {
    FullScreenClick(player_);
}
