#include "SyllabusWordPage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "catalogue/BuiltInPictures.h"
#include "catalogue/ImageList.h"
#include "web/WebBrowser.h"

SyllabusWordPage::SyllabusWordPage(const TObjectList<TWordObj>& words, ImageList& images,
                                   QRadioButton* button, MediaSheetEnvironment environment, QWidget* parent)
    : MediaSheet("TabSyllabusWord", std::move(environment), parent),
      words_(words),
      images_(images),
      button_(button) {
    LVSyllabusWordClassUse = CreateListPanel("PLSyllabusWordClassUse", 263, "Label115",
                                             QStringLiteral("单词列表"), "LVSyllabusWordClassUse", true);
    player_ = CreatePlayer("PanelWordPlayer", "Panel13", QStringLiteral("外教视频"), true,
                           "ckwordtranslation", false, "btnwordFullScreen", 7, "WebWord");
    Arrange(LVSyllabusWordClassUse->parentWidget(), player_.area, true);
    Panel13 = player_.header;
    ckwordtranslation = player_.subtitles;
    btnwordFullScreen = player_.fullScreen;
    WebWord = player_.browser;
    connect(LVSyllabusWordClassUse, &QListWidget::itemClicked, this,
            &SyllabusWordPage::LVSyllabusWordClassUseClick);
    connect(ckwordtranslation, &QCheckBox::clicked, this, &SyllabusWordPage::ckwordtranslationClick);
    connect(btnwordFullScreen, &QPushButton::clicked, this, &SyllabusWordPage::btnwordFullScreenClick);
}

void SyllabusWordPage::RefreshSyllabusWordList(const GbkString& unitCode) {
    RunRefresh(unitCode, true, [this](const GbkString& code) {
        if (LVSyllabusWordClassUse->count() > 0) return;
        Refresh(code);
    });
}

void SyllabusWordPage::Refresh(const GbkString& unitCode) {
    images_.Clear();
    images_.setImageSize(QSize(180, 120));
    SetIconSize(LVSyllabusWordClassUse, images_.imageSize());
    for (std::size_t i = 0; i < words_.Count(); ++i) {
        const TWordObj* word = words_.Items(i);
        if (word->Code != unitCode) continue;
        QListWidgetItem* item = AddItem(LVSyllabusWordClassUse, word->Word, word);
        const FetchedPicture fetched = env_.fetchPicture(word->PictureFileName);
        if (RefreshAbandoned()) return;
        const QImage picture = fetched.available ? fetched.picture : BuiltInPictures::ImgNoPic();
        SetThumbnail(item, images_, picture, true);
        // The item was placed before it had a picture.
        LVSyllabusWordClassUse->doItemsLayout();
        QCoreApplication::processEvents();
        if (RefreshAbandoned()) return;
    }
    button_->setEnabled(LVSyllabusWordClassUse->count() > 0);
}

void SyllabusWordPage::ClearList() {
    AbandonRefresh();
    LVSyllabusWordClassUse->clear();
}

void SyllabusWordPage::LVSyllabusWordClassUseClick() {
    const TWordObj* word = SelectedRecord<TWordObj>(LVSyllabusWordClassUse);
    if (word == nullptr) return;
    const GbkString reply =
        RequestReference("https", "/api/media/getword/", word->MaterialId, NetworkFailedAsciiComma());
    if (reply.empty()) return;
    const QString address =
        PlayerAddress(QStringLiteral("?type=word&media=video&width="), Panel13->width(), reply);
    env_.showPage(this);
    WebWord->Navigate(address);
    QCoreApplication::processEvents();
    btnwordFullScreen->show();
    ckwordtranslation->show();
}

void SyllabusWordPage::ckwordtranslationClick() {
    SubtitlesClick(player_);
}

void SyllabusWordPage::btnwordFullScreenClick() {
    FullScreenClick(player_);
}
