#include "PassagePage.h"

#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

#include "catalogue/BuiltInPictures.h"
#include "catalogue/ImageList.h"
#include "web/WebBrowser.h"

PassagePage::PassagePage(const TObjectList<TPassageObj>& passages, ImageList& images, QRadioButton* button,
                         WebBrowser& wordPlayer, MediaSheetEnvironment environment, QWidget* parent)
    : MediaSheet("TabPassage", std::move(environment), parent),
      passages_(passages),
      images_(images),
      button_(button),
      wordPlayer_(wordPlayer) {
    LVPassageClassUse = CreateListPanel("PLPassageClassUse", 257, "Label118", QStringLiteral("课文列表"),
                                        "LVPassageClassUse", true);
    const Player player = CreatePlayer("PanelPassagePlayer", "Label124", QStringLiteral("外教朗读"), false,
                                       nullptr, false, nullptr, 0, "WebPassage");
    Arrange(LVPassageClassUse->parentWidget(), player.area, false);
    Label124 = player.header;
    WebPassage = player.browser;
    connect(LVPassageClassUse, &QListWidget::itemClicked, this, &PassagePage::LVPassageClassUseClick);
}

void PassagePage::RefreshPassageList(const GbkString& unitCode) {
    RunRefresh(unitCode, false, [this](const GbkString& code) { Refresh(code); });
}

void PassagePage::Refresh(const GbkString& unitCode) {
    ResetList(LVPassageClassUse, images_, QSize(200, 150));
    const QImage picture = BuiltInPictures::imgPassage();
    for (std::size_t i = 0; i < passages_.Count(); ++i) {
        const TPassageObj* passage = passages_.Items(i);
        if (passage->Code != unitCode) continue;
        QListWidgetItem* item = AddItem(LVPassageClassUse, passage->Title, passage);
        // The built-in picture is stretched plainly, not with the halftone of fetched ones.
        SetThumbnail(item, images_, picture, false);
    }
    button_->setEnabled(LVPassageClassUse->count() > 0);
}

void PassagePage::ClearList() {
    AbandonRefresh();
    ResetList(LVPassageClassUse, images_, images_.imageSize());
}

void PassagePage::LVPassageClassUseClick() {
    const TPassageObj* passage = SelectedRecord<TPassageObj>(LVPassageClassUse);
    if (passage == nullptr) return;
    const GbkString reply =
        RequestReference("https", "/api/media/getpassage/", passage->MaterialId, NetworkFailedAsciiComma());
    if (reply.empty()) return;
    const QString address = PlayerAddress(QStringLiteral("?media=audio&width="), Label124->width(), reply);
    env_.showPage(this);
    // Stops whatever the word player was playing; one that never played needs no browser.
    if (wordPlayer_.View() != nullptr) wordPlayer_.Navigate(QStringLiteral("about:blank"));
    QCoreApplication::processEvents();
    WebPassage->Navigate(address);
}
