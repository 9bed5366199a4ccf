#include "SyllabusWordPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

SyllabusWordPage::SyllabusWordPage(const TObjectList<TWordObj>& words, ImageList& images,
                                   QRadioButton* button, MediaSheetEnvironment environment, QWidget* parent)
    : MediaSheet("TabSyllabusWord", images, button, ListBuild::OnceUntilEmptied, std::move(environment),
                 parent),
      words_(words) {
    LVSyllabusWordClassUse = CreateListPanel({.panel = "PLSyllabusWordClassUse",
                                              .width = 263,
                                              .label = "Label115",
                                              .title = QStringLiteral("单词列表"),
                                              .list = "LVSyllabusWordClassUse",
                                              .text = TextColour::Navy});
    const Player& player = CreatePlayer({.area = "PanelWordPlayer",
                                         .header = "Panel13",
                                         .caption = QStringLiteral("外教视频"),
                                         .browser = "WebWord",
                                         .divider = Divider::Splitter,
                                         .controls = PlayerControls::ShownWhenPlaying,
                                         .subtitlesBox = "ckwordtranslation",
                                         .subtitles = Subtitles::Off,
                                         .fullScreenButton = "btnwordFullScreen",
                                         .fullScreenTop = 7});
    Panel13 = player.header;
    ckwordtranslation = player.subtitles;
    btnwordFullScreen = player.fullScreen;
    WebWord = player.browser;
    connect(LVSyllabusWordClassUse, &QListWidget::itemClicked, this,
            &SyllabusWordPage::LVSyllabusWordClassUseClick);
    connect(ckwordtranslation, &QCheckBox::clicked, this, &SyllabusWordPage::ckwordtranslationClick);
    connect(btnwordFullScreen, &QPushButton::clicked, this, &SyllabusWordPage::btnwordFullScreenClick);
}

void SyllabusWordPage::RefreshSyllabusWordList(const GbkString& unitCode) {
    RefreshList(unitCode, Listing<TWordObj>{.records = words_,
                                            .imageSize = QSize(180, 120),
                                            .caption = &TWordObj::Word,
                                            .unit = &TWordObj::Code,
                                            .cover = &TWordObj::PictureFileName,
                                            .missing = MissingCover::ShowsNoPicture,
                                            .growth = Growth::Visibly});
}

void SyllabusWordPage::LVSyllabusWordClassUseClick() {
    const TWordObj* word = SelectedRecord<TWordObj>();
    if (word == nullptr) return;
    Play(word->MaterialId, {.scheme = "https",
                            .path = "/api/media/getword/",
                            .replyEmptyMessage = NetworkFailedAsciiComma(),
                            .query = QStringLiteral("?type=word&media=video&width="),
                            .widthOf = Panel13,
                            .navigation = Navigation::AfterShowingPage});
}
