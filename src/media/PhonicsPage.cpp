#include "PhonicsPage.h"

#include "catalogue/BookFiles.h"

PhonicsPage::PhonicsPage(const TObjectList<TMediaClipObj>& clips, ImageList& images,
                         MediaSheetEnvironment environment, QWidget* parent)
    : MediaSheet("TabPhonics", images, nullptr, ListBuild::EachRefresh, std::move(environment), parent),
      clips_(clips) {
    LVPhonics = CreateListPanel({.panel = "Panel21",
                                 .width = 257,
                                 .label = "Label2",
                                 .title = QStringLiteral("自然拼读"),
                                 .list = "LVPhonics"});
    const Player& player = CreatePlayer({.area = "Panel22",
                                         .header = "Panel23",
                                         .caption = QStringLiteral("外教视频"),
                                         .browser = "WebPhonics",
                                         .divider = Divider::Splitter,
                                         .controls = PlayerControls::NeverShown,
                                         .subtitlesBox = "CheckBox1",
                                         .subtitles = Subtitles::On,
                                         .fullScreenButton = "BitBtn2",
                                         .fullScreenTop = 8});
    Panel22 = player.area;
    Panel23 = player.header;
    CheckBox1 = player.subtitles;
    BitBtn2 = player.fullScreen;
    WebPhonics = player.browser;
    connect(LVPhonics, &QListWidget::itemClicked, this, &PhonicsPage::LVPhonicsClick);
}

void PhonicsPage::RefreshClipList() {
    // Clips belong to no unit: every one is listed.
    RefreshList(GbkString(), Listing<TMediaClipObj>{.records = clips_,
                                                    .imageSize = QSize(200, 130),
                                                    .caption = &TMediaClipObj::clip_title,
                                                    .cover = ClipPictureAddress,
                                                    .missing = MissingCover::ShowsNoPicture,
                                                    .errors = Errors::Show});
}

void PhonicsPage::LVPhonicsClick() {
    const TMediaClipObj* clip = SelectedRecord<TMediaClipObj>();
    if (clip == nullptr) return;
    Play(clip->clipid, {.scheme = "https",
                        .path = "/api/media/GetClip/",
                        .replyEmptyMessage = NetworkFailedFullWidthComma(),
                        .query = QStringLiteral("?type=clip&media=video&width="),
                        .widthOf = Panel22,
                        .missingIdMessage = QStringLiteral("网络错误，未能获取Clip信息。请重试一次！")});
}
