#include "PassagePage.h"

#include <QLabel>

#include "catalogue/BuiltInPictures.h"
#include "web/WebBrowser.h"

PassagePage::PassagePage(const TObjectList<TPassageObj>& passages, ImageList& images, QRadioButton* button,
                         WebBrowser& wordPlayer, MediaSheetEnvironment environment, QWidget* parent)
    : MediaSheet("TabPassage", images, button, ListBuild::EachRefresh, std::move(environment), parent),
      passages_(passages),
      wordPlayer_(wordPlayer) {
    LVPassageClassUse = CreateListPanel({.panel = "PLPassageClassUse",
                                         .width = 257,
                                         .label = "Label118",
                                         .title = QStringLiteral("课文列表"),
                                         .list = "LVPassageClassUse",
                                         .text = TextColour::Navy});
    const Player& player = CreatePlayer({.area = "PanelPassagePlayer",
                                         .header = "Label124",
                                         .caption = QStringLiteral("外教朗读"),
                                         .browser = "WebPassage",
                                         .divider = Divider::Fixed});
    Label124 = player.header;
    WebPassage = player.browser;
    connect(LVPassageClassUse, &QListWidget::itemClicked, this, &PassagePage::LVPassageClassUseClick);
}

void PassagePage::RefreshPassageList(const GbkString& unitCode) {
    RefreshList(unitCode, Listing<TPassageObj>{.records = passages_,
                                               .imageSize = QSize(200, 150),
                                               .caption = &TPassageObj::Title,
                                               .unit = &TPassageObj::Code,
                                               .picture = BuiltInPictures::imgPassage()});
}

void PassagePage::LVPassageClassUseClick() {
    const TPassageObj* passage = SelectedRecord<TPassageObj>();
    if (passage == nullptr) return;
    Play(passage->MaterialId, {.scheme = "https",
                               .path = "/api/media/getpassage/",
                               .replyEmptyMessage = NetworkFailedAsciiComma(),
                               .query = QStringLiteral("?media=audio&width="),
                               .widthOf = Label124,
                               .navigation = Navigation::AfterEvents,
                               .whenShown = [this] {
                                   // Stops whatever the word player was playing; one that never
                                   // played needs no browser.
                                   if (wordPlayer_.View() != nullptr)
                                       wordPlayer_.Navigate(QStringLiteral("about:blank"));
                               }});
}
