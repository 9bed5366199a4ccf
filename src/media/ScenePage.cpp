#include "ScenePage.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

ScenePage::ScenePage(const TObjectList<TMaterialObj>& scenes, ImageList& images, QRadioButton* button,
                     MediaSheetEnvironment environment, QWidget* parent)
    : MediaSheet("TabScene", images, button, ListBuild::EachRefresh, std::move(environment), parent),
      scenes_(scenes) {
    LVSceneClassUse = CreateListPanel({.panel = "PLSceneClassUse",
                                       .width = 235,
                                       .label = "Label117",
                                       .title = QStringLiteral("场景列表"),
                                       .list = "LVSceneClassUse"});
    const Player& player = CreatePlayer({.area = "PanelScenePlayer",
                                         .header = "Panel20",
                                         .caption = QStringLiteral("外教视频"),
                                         .browser = "WebScene",
                                         .divider = Divider::Splitter,
                                         .controls = PlayerControls::ShownWhenPlaying,
                                         .subtitlesBox = "ckScenetranslation",
                                         .subtitles = Subtitles::On,
                                         .fullScreenButton = "btnSceneFullScreen",
                                         .fullScreenTop = 8});
    Panel20 = player.header;
    ckScenetranslation = player.subtitles;
    btnSceneFullScreen = player.fullScreen;
    WebScene = player.browser;
    connect(LVSceneClassUse, &QListWidget::itemClicked, this, &ScenePage::LVSceneClassUseClick);
    connect(ckScenetranslation, &QCheckBox::clicked, this, &ScenePage::ckScenetranslationClick);
    connect(btnSceneFullScreen, &QPushButton::clicked, this, &ScenePage::btnSceneFullScreenClick);
}

void ScenePage::RefreshSceneList(const GbkString& unitCode) {
    RefreshList(unitCode, Listing<TMaterialObj>{.records = scenes_,
                                                .imageSize = QSize(170, 100),
                                                .caption = &TMaterialObj::Title,
                                                .unit = &TMaterialObj::Code,
                                                .cover = &TMaterialObj::CoverFileName});
}

void ScenePage::LVSceneClassUseClick() {
    const TMaterialObj* scene = SelectedRecord<TMaterialObj>();
    if (scene == nullptr) return;
    Play(scene->MaterialId, {.scheme = "http",
                             .path = "/api/media/GetScene/",
                             .replyEmptyMessage = NetworkFailedFullWidthComma(),
                             .query = QStringLiteral("?type=ml&media=video&width="),
                             .widthOf = Panel20});
}
