#include "MiniLecturePage.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

MiniLecturePage::MiniLecturePage(const TObjectList<TMiniLectureObj>& lectures, ImageList& images,
                                 QRadioButton* button, MediaSheetEnvironment environment, QWidget* parent)
    : MediaSheet("TabMiniLecture", images, button, ListBuild::EachRefresh, std::move(environment), parent),
      lectures_(lectures) {
    LVMiniLectureClassUse = CreateListPanel({.panel = "PLMiniLectureClassUse",
                                             .width = 257,
                                             .label = "Label119",
                                             .title = QStringLiteral("微课列表"),
                                             .list = "LVMiniLectureClassUse"});
    const Player& player = CreatePlayer({.area = "PanelLecturePlayer",
                                         .header = "Panel19",
                                         .caption = QStringLiteral("外教视频"),
                                         .browser = "WebMiniLecture",
                                         .divider = Divider::Splitter,
                                         .controls = PlayerControls::ShownWhenPlaying,
                                         .subtitlesBox = "ckLecturetranslation",
                                         .subtitles = Subtitles::On,
                                         .fullScreenButton = "btnLectureFullScreen",
                                         .fullScreenTop = 8});
    Panel19 = player.header;
    ckLecturetranslation = player.subtitles;
    btnLectureFullScreen = player.fullScreen;
    WebMiniLecture = player.browser;
    connect(LVMiniLectureClassUse, &QListWidget::itemClicked, this,
            &MiniLecturePage::LVMiniLectureClassUseClick);
    connect(ckLecturetranslation, &QCheckBox::clicked, this, &MiniLecturePage::ckLecturetranslationClick);
    connect(btnLectureFullScreen, &QPushButton::clicked, this, &MiniLecturePage::btnLectureFullScreenClick);
}

void MiniLecturePage::RefreshMiniLectureList(const GbkString& unitCode) {
    RefreshList(unitCode, Listing<TMiniLectureObj>{.records = lectures_,
                                                   .imageSize = QSize(200, 130),
                                                   .caption = &TMiniLectureObj::Title,
                                                   .unit = &TMiniLectureObj::Code,
                                                   .cover = &TMiniLectureObj::CoverFileName,
                                                   .errors = Errors::Show});
}

void MiniLecturePage::LVMiniLectureClassUseClick() {
    const TMiniLectureObj* lecture = SelectedRecord<TMiniLectureObj>();
    if (lecture == nullptr) return;
    Play(lecture->MaterialId,
         {.scheme = "https",
          .path = "/api/media/GetMiniLecture/",
          .replyEmptyMessage = NetworkFailedFullWidthComma(),
          .query = QStringLiteral("?type=ml&media=video&width="),
          .widthOf = Panel19,
          .missingIdMessage = QStringLiteral("网络错误，未能获取微课信息。请重试一次！")});
}
