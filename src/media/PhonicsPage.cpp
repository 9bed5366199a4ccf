#include "PhonicsPage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>
#include <exception>

#include "catalogue/BuiltInPictures.h"
#include "catalogue/ImageList.h"
#include "service/ShowMessage.h"
#include "web/WebBrowser.h"

PhonicsPage::PhonicsPage(const TObjectList<TMediaClipObj>& clips, ImageList& images,
                         MediaSheetEnvironment environment, QWidget* parent)
    : MediaSheet("TabPhonics", std::move(environment), parent), clips_(clips), images_(images) {
    LVPhonics = CreateListPanel("Panel21", 257, "Label2", QStringLiteral("自然拼读"), "LVPhonics", false);
    const Player player = CreatePlayer("Panel22", "Panel23", QStringLiteral("外教视频"), true, "CheckBox1",
                                       true, "BitBtn2", 8, "WebPhonics");
    Arrange(LVPhonics->parentWidget(), player.area, true);
    Panel22 = player.area;
    Panel23 = player.header;
    CheckBox1 = player.subtitles;
    BitBtn2 = player.fullScreen;
    WebPhonics = player.browser;
    connect(LVPhonics, &QListWidget::itemClicked, this, &PhonicsPage::LVPhonicsClick);
}

void PhonicsPage::RefreshClipList() {
    RunRefresh(GbkString(), false, [this](const GbkString&) {
        try {
            Refresh();
        } catch (const std::exception& error) {
            ShowMessage(QString::fromUtf8(error.what()));
        }
    });
}

void PhonicsPage::Refresh() {
    ResetList(LVPhonics, images_, QSize(200, 130));
    for (std::size_t i = 0; i < clips_.Count(); ++i) {
        const TMediaClipObj* clip = clips_.Items(i);
        const FetchedPicture fetched = env_.fetchPicture(clip->filename + ".jpg");
        if (RefreshAbandoned()) return;
        const QImage picture = fetched.available ? fetched.picture : BuiltInPictures::ImgNoPic();
        QListWidgetItem* item = AddItem(LVPhonics, clip->clip_title, clip);
        SetThumbnail(item, images_, picture, true);
    }
}

void PhonicsPage::ClearList() {
    AbandonRefresh();
    ResetList(LVPhonics, images_, images_.imageSize());
}

void PhonicsPage::LVPhonicsClick() {
    const TMediaClipObj* clip = SelectedRecord<TMediaClipObj>(LVPhonics);
    if (clip == nullptr) return;
    if (clip->clipid.empty()) {
        ShowMessage(QStringLiteral("网络错误，未能获取Clip信息。请重试一次！"));
        return;
    }
    const GbkString reply =
        RequestReference("https", "/api/media/GetClip/", clip->clipid, NetworkFailedFullWidthComma());
    if (reply.empty()) return;
    WebPhonics->Navigate(
        PlayerAddress(QStringLiteral("?type=clip&media=video&width="), Panel22->width(), reply));
    env_.showPage(this);
    QCoreApplication::processEvents();
}
