#include "ScenePage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "catalogue/ImageList.h"
#include "web/WebBrowser.h"

ScenePage::ScenePage(const TObjectList<TMaterialObj>& scenes, ImageList& images, QRadioButton* button,
                     MediaSheetEnvironment environment, QWidget* parent)
    : MediaSheet("TabScene", std::move(environment), parent),
      scenes_(scenes),
      images_(images),
      button_(button) {
    LVSceneClassUse = CreateListPanel("PLSceneClassUse", 235, "Label117", QStringLiteral("场景列表"),
                                      "LVSceneClassUse", false);
    player_ = CreatePlayer("PanelScenePlayer", "Panel20", QStringLiteral("外教视频"), true,
                           "ckScenetranslation", true, "btnSceneFullScreen", 8, "WebScene");
    Arrange(LVSceneClassUse->parentWidget(), player_.area, true);
    Panel20 = player_.header;
    ckScenetranslation = player_.subtitles;
    btnSceneFullScreen = player_.fullScreen;
    WebScene = player_.browser;
    connect(LVSceneClassUse, &QListWidget::itemClicked, this, &ScenePage::LVSceneClassUseClick);
    connect(ckScenetranslation, &QCheckBox::clicked, this, &ScenePage::ckScenetranslationClick);
    connect(btnSceneFullScreen, &QPushButton::clicked, this, &ScenePage::btnSceneFullScreenClick);
}

void ScenePage::RefreshSceneList(const GbkString& unitCode) {
    RunRefresh(unitCode, false, [this](const GbkString& code) { Refresh(code); });
}

void ScenePage::Refresh(const GbkString& unitCode) {
    ResetList(LVSceneClassUse, images_, QSize(170, 100));
    for (std::size_t i = 0; i < scenes_.Count(); ++i) {
        const TMaterialObj* scene = scenes_.Items(i);
        if (scene->Code != unitCode) continue;
        const FetchedPicture fetched = env_.fetchPicture(scene->CoverFileName);
        // Fetching processes events: the catalogue may be gone or a newer request waiting.
        if (RefreshAbandoned() || !fetched.available) return;
        QListWidgetItem* item = AddItem(LVSceneClassUse, scene->Title, scene);
        SetThumbnail(item, images_, fetched.picture, true);
    }
    button_->setEnabled(LVSceneClassUse->count() > 0);
}

void ScenePage::ClearList() {
    AbandonRefresh();
    ResetList(LVSceneClassUse, images_, images_.imageSize());
}

void ScenePage::LVSceneClassUseClick() {
    const TMaterialObj* scene = SelectedRecord<TMaterialObj>(LVSceneClassUse);
    if (scene == nullptr) return;
    const GbkString reply =
        RequestReference("http", "/api/media/GetScene/", scene->MaterialId, NetworkFailedFullWidthComma());
    if (reply.empty()) return;
    WebScene->Navigate(PlayerAddress(QStringLiteral("?type=ml&media=video&width="), Panel20->width(), reply));
    env_.showPage(this);
    QCoreApplication::processEvents();
    btnSceneFullScreen->show();
    ckScenetranslation->show();
}

void ScenePage::ckScenetranslationClick() {
    SubtitlesClick(player_);
}

void ScenePage::btnSceneFullScreenClick() {
    FullScreenClick(player_);
}
