#include "MediaSheet.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>
#include <exception>

#include "catalogue/BuiltInPictures.h"
#include "catalogue/HalftoneStretch.h"
#include "catalogue/ImageList.h"
#include "look/Look.h"
#include "service/Endpoints.h"
#include "service/HttpGetText.h"
#include "service/ShowMessage.h"
#include "web/PageScript.h"
#include "web/WebBrowser.h"

namespace {

constexpr int kImageIndexRole = RecordRole + 1;

QLabel* titleLabel(QWidget* parent, const char* name, const QString& caption, int height, int pixels) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setFixedHeight(height);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(pixelFont(pixels, Weight::Bold));
    paintText(label, navy());
    return label;
}

}  // namespace

MediaSheet::MediaSheet(const char* objectName, ImageList& images, QRadioButton* button, ListBuild build,
                       MediaSheetEnvironment environment, QWidget* parent)
    : QWidget(parent), env_(std::move(environment)), images_(images), button_(button), build_(build) {
    setObjectName(QLatin1String(objectName));
}

QString MediaSheet::NetworkFailedFullWidthComma() {
    return QStringLiteral("Network failed，try again!");
}

QString MediaSheet::NetworkFailedAsciiComma() {
    return QStringLiteral("Network failed, try again！");
}

void MediaSheet::ClearList() {
    abandoned_ = refreshing_;
    list_->clear();
    if (build_ == ListBuild::OnceUntilEmptied) return;
    images_.Clear();
    SetIconSize(images_.imageSize());
}

QListWidget* MediaSheet::CreateListPanel(const ListPanelOptions& options) {
    auto* panel = new QWidget(this);
    panel->setObjectName(QLatin1String(options.panel));
    panel->resize(options.width, panel->height());
    panel->setMinimumWidth(1);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(titleLabel(panel, options.label, options.title, 20, 16));

    list_ = new QListWidget(panel);
    list_->setObjectName(QLatin1String(options.list));
    list_->setAccessibleName(options.title);
    list_->setViewMode(QListView::IconMode);
    list_->setMovement(QListView::Static);
    list_->setResizeMode(QListView::Adjust);
    list_->setWrapping(true);
    list_->setWordWrap(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setFont(pixelFont(19, Weight::Bold));
    if (options.text == TextColour::Navy) paintText(list_, navy());
    layout->addWidget(list_, 1);
    return list_;
}

const MediaSheet::Player& MediaSheet::CreatePlayer(const PlayerOptions& options) {
    controls_ = options.controls;
    const bool withControls = options.controls != PlayerControls::None;
    Player& player = player_;
    player.area = new QWidget(this);
    player.area->setObjectName(QLatin1String(options.area));
    auto* column = new QVBoxLayout(player.area);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    player.header = withControls ? titleLabel(player.area, options.header, options.caption, 41, 21)
                                 : titleLabel(player.area, options.header, options.caption, 20, 16);
    column->addWidget(player.header);
    if (withControls) {
        player.subtitles = new QCheckBox(QStringLiteral("显示字幕"), player.header);
        player.subtitles->setObjectName(QLatin1String(options.subtitlesBox));
        player.subtitles->setGeometry(15, 13, 106, 17);
        player.subtitles->setFont(pixelFont(15, Weight::Bold));
        paintText(player.subtitles, navy());
        player.subtitles->setChecked(options.subtitles == Subtitles::On);
        player.subtitles->hide();

        player.fullScreen = new QPushButton(QStringLiteral("全屏播放"), player.header);
        player.fullScreen->setObjectName(QLatin1String(options.fullScreenButton));
        player.fullScreen->setIcon(style()->standardIcon(QStyle::SP_TitleBarMaxButton));
        player.fullScreen->setFont(pixelFont(13, Weight::Bold));
        player.fullScreen->setGeometry(112, options.fullScreenTop, 97, 25);
        player.fullScreen->hide();
    }
    player.browser = new WebBrowser(env_.http.tls(), player.area);
    player.browser->setObjectName(QLatin1String(options.browser));
    player.browser->setAccessibleName(options.caption);
    column->addWidget(player.browser, 1);

    QWidget* listPanel = list_->parentWidget();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (options.divider == Divider::Fixed) {
        listPanel->setFixedWidth(listPanel->width());
        layout->addWidget(listPanel);
        layout->addWidget(player.area, 1);
        return player;
    }
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setHandleWidth(10);
    split->setChildrenCollapsible(false);
    const int width = listPanel->width();
    split->addWidget(listPanel);
    split->addWidget(player.area);
    split->setStretchFactor(1, 1);
    split->setSizes({width, 10000});
    layout->addWidget(split);
    return player;
}

QListWidgetItem* MediaSheet::AddItem(const GbkString& caption, const QVariant& record) {
    auto* item = new QListWidgetItem(gbk::toQString(caption), list_);
    item->setData(RecordRole, record);
    return item;
}

void MediaSheet::AddItem(const GbkString& caption, const QVariant& record, const QImage& picture,
                         Stretch stretch) {
    SetThumbnail(AddItem(caption, record), picture, stretch);
}

void MediaSheet::SetThumbnail(QListWidgetItem* item, const QImage& source, Stretch stretch) {
    const QSize size = images_.imageSize();
    QImage thumbnail;
    if (source.isNull()) {
        thumbnail = QImage(size, QImage::Format_RGB888);
        thumbnail.fill(Qt::white);
    } else if (stretch == Stretch::Halftone) {
        thumbnail = HalftoneStretch(source, size.width(), size.height());
    } else {
        thumbnail = source.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                        .convertToFormat(QImage::Format_RGB888);
    }
    const int index = images_.Add(QPixmap::fromImage(thumbnail));
    item->setData(kImageIndexRole, index);
    item->setIcon(QIcon(images_.Item(index)));
}

QImage MediaSheet::NoPicture() {
    return BuiltInPictures::ImgNoPic();
}

bool MediaSheet::ShowGrowth() {
    // The item was placed before it had a picture.
    list_->doItemsLayout();
    QCoreApplication::processEvents();
    return !RefreshAbandoned();
}

void MediaSheet::StartList(QSize imageSize) {
    if (build_ == ListBuild::EachRefresh) list_->clear();
    images_.Clear();
    images_.setImageSize(imageSize);
    SetIconSize(imageSize);
}

void MediaSheet::SetIconSize(QSize imageSize) {
    list_->setIconSize(imageSize);
    // One cell per item, room for two caption lines: without a grid the icon view lays
    // items of different caption widths out in ragged columns.
    list_->setGridSize(
        QSize(imageSize.width() + 16, imageSize.height() + 2 * list_->fontMetrics().height() + 8));
}

void MediaSheet::UpdateButton() {
    if (button_ != nullptr) button_->setEnabled(list_->count() > 0);
}

void MediaSheet::RunRefresh(const GbkString& unitCode, Errors errors,
                            const std::function<void(const GbkString&)>& body) {
    if (refreshing_) {
        // A list built once ignores requests while it is being built, unless it was emptied.
        if (build_ == ListBuild::OnceUntilEmptied && !abandoned_) return;
        pending_ = unitCode;
        abandoned_ = true;
        return;
    }
    std::optional<GbkString> code = unitCode;
    while (code) {
        const GbkString current = *code;
        code.reset();
        refreshing_ = true;
        abandoned_ = false;
        try {
            if (build_ == ListBuild::EachRefresh || list_->count() == 0) {
                if (errors == Errors::Raise) {
                    body(current);
                } else {
                    try {
                        body(current);
                    } catch (const std::exception& error) {
                        ShowMessage(QString::fromUtf8(error.what()));
                    }
                }
            }
        } catch (...) {
            refreshing_ = false;
            abandoned_ = false;
            pending_.reset();
            throw;
        }
        refreshing_ = false;
        abandoned_ = false;
        code.swap(pending_);
    }
}

GbkString MediaSheet::RequestReference(const MediaRequest& request, const GbkString& materialId) const {
    const GbkString reply = HttpGetText(
        env_.http, Endpoints::mediaReference(request.scheme, env_.classroomHost, request.path, materialId));
    if (reply.empty()) ShowMessage(request.replyEmptyMessage);
    return reply;
}

QString MediaSheet::PlayerAddress(const MediaRequest& request, const GbkString& reply) const {
    const QString page =
        env_.osMajorVersion() == 5 ? QStringLiteral("index_test.html") : QStringLiteral("index.html");
    return Endpoints::mediaPlayer(env_.classroomHost, page, request.query, request.widthOf->width(), reply);
}

void MediaSheet::Play(const GbkString& materialId, const MediaRequest& request) {
    if (materialId.empty() && !request.missingIdMessage.isEmpty()) {
        ShowMessage(request.missingIdMessage);
        return;
    }
    if (ShowNetworkNeeded()) return;
    const GbkString reply = RequestReference(request, materialId);
    if (reply.empty()) return;
    const QString address = PlayerAddress(request, reply);
    WebBrowser& browser = *player_.browser;
    if (request.navigation == Navigation::BeforeShowingPage) browser.Navigate(address);
    env_.showPage(this);
    if (request.navigation == Navigation::AfterShowingPage) browser.Navigate(address);
    if (request.whenShown) request.whenShown();
    QCoreApplication::processEvents();
    if (request.navigation == Navigation::AfterEvents) browser.Navigate(address);
    if (controls_ != PlayerControls::ShownWhenPlaying) return;
    player_.fullScreen->show();
    player_.subtitles->show();
}

bool MediaSheet::ShowNetworkNeeded() {
    const bool offline = env_.offline && env_.offline();
    if (networkNeeded_ != nullptr) networkNeeded_->setVisible(offline);
    if (!offline) return false;
    if (networkNeeded_ == nullptr) {
        networkNeeded_ = new QLabel(QStringLiteral("需要网络连接"), player_.browser->parentWidget());
        networkNeeded_->setObjectName(QStringLiteral("lblNetworkNeeded"));
        networkNeeded_->setAlignment(Qt::AlignCenter);
        networkNeeded_->setFont(pixelFont(20, Weight::Bold));
        networkNeeded_->setAutoFillBackground(true);
    }
    // Over the browser, which keeps whatever it showed for when the network is back.
    networkNeeded_->setGeometry(player_.browser->geometry());
    networkNeeded_->raise();
    networkNeeded_->show();
    env_.showPage(this);
    return true;
}

void MediaSheet::SubtitlesClick() {
    if (player_.browser->LocationName().isEmpty()) return;
    RunPageScript(*player_.browser, player_.subtitles->isChecked() ? QStringLiteral("showSubtitles()")
                                                                   : QStringLiteral("hideSubtitles()"));
}

void MediaSheet::FullScreenClick() {
    if (player_.browser->LocationName().isEmpty()) return;
    // The engine refuses a page's own full-screen request made from a program's script call,
    // so the view itself covers the screen as well.
    player_.browser->ShowFullScreen();
    RunPageScript(*player_.browser, QStringLiteral("fullScreen()"));
}
