#include "MediaSheet.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

#include "catalogue/HalftoneStretch.h"
#include "catalogue/ImageList.h"
#include "service/Endpoints.h"
#include "service/HttpGetText.h"
#include "service/ShowMessage.h"
#include "web/PageScript.h"
#include "web/WebBrowser.h"

namespace {

const QColor kNavy(0, 0, 128);
constexpr int kRecordRole = Qt::UserRole;
constexpr int kImageIndexRole = Qt::UserRole + 1;

QFont pixelFont(int pixels, bool bold) {
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void paintText(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

QLabel* titleLabel(QWidget* parent, const char* name, const QString& caption, int height, int pixels) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setFixedHeight(height);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(pixelFont(pixels, true));
    paintText(label, kNavy);
    return label;
}

}  // namespace

MediaSheet::MediaSheet(const char* objectName, MediaSheetEnvironment environment, QWidget* parent)
    : QWidget(parent), env_(std::move(environment)) {
    setObjectName(QLatin1String(objectName));
}

QString MediaSheet::NetworkFailedFullWidthComma() {
    return QStringLiteral("Network failed，try again!");
}

QString MediaSheet::NetworkFailedAsciiComma() {
    return QStringLiteral("Network failed, try again！");
}

QListWidget* MediaSheet::CreateListPanel(const char* panelName, int width, const char* labelName,
                                         const QString& title, const char* listName, bool navyText) {
    auto* panel = new QWidget(this);
    panel->setObjectName(QLatin1String(panelName));
    panel->resize(width, panel->height());
    panel->setMinimumWidth(1);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(titleLabel(panel, labelName, title, 20, 16));

    auto* list = new QListWidget(panel);
    list->setObjectName(QLatin1String(listName));
    list->setAccessibleName(title);
    list->setViewMode(QListView::IconMode);
    list->setMovement(QListView::Static);
    list->setResizeMode(QListView::Adjust);
    list->setWrapping(true);
    list->setWordWrap(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setFont(pixelFont(19, true));
    if (navyText) paintText(list, kNavy);
    layout->addWidget(list, 1);
    return list;
}

MediaSheet::Player MediaSheet::CreatePlayer(const char* areaName, const char* headerName,
                                            const QString& caption, bool withControls, const char* checkName,
                                            bool checked, const char* buttonName, int buttonTop,
                                            const char* browserName) {
    Player player;
    player.area = new QWidget(this);
    player.area->setObjectName(QLatin1String(areaName));
    auto* layout = new QVBoxLayout(player.area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    player.header = withControls ? titleLabel(player.area, headerName, caption, 41, 21)
                                 : titleLabel(player.area, headerName, caption, 20, 16);
    layout->addWidget(player.header);
    if (withControls) {
        player.subtitles = new QCheckBox(QStringLiteral("显示字幕"), player.header);
        player.subtitles->setObjectName(QLatin1String(checkName));
        player.subtitles->setGeometry(15, 13, 106, 17);
        player.subtitles->setFont(pixelFont(15, true));
        paintText(player.subtitles, kNavy);
        player.subtitles->setChecked(checked);
        player.subtitles->hide();

        player.fullScreen = new QPushButton(QStringLiteral("全屏播放"), player.header);
        player.fullScreen->setObjectName(QLatin1String(buttonName));
        player.fullScreen->setIcon(style()->standardIcon(QStyle::SP_TitleBarMaxButton));
        player.fullScreen->setFont(pixelFont(13, true));
        player.fullScreen->setGeometry(112, buttonTop, 97, 25);
        player.fullScreen->hide();
    }
    player.browser = new WebBrowser(player.area);
    player.browser->setObjectName(QLatin1String(browserName));
    player.browser->setAccessibleName(caption);
    layout->addWidget(player.browser, 1);
    return player;
}

void MediaSheet::Arrange(QWidget* listPanel, QWidget* playerArea, bool splitter) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (!splitter) {
        listPanel->setFixedWidth(listPanel->width());
        layout->addWidget(listPanel);
        layout->addWidget(playerArea, 1);
        return;
    }
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setHandleWidth(10);
    split->setChildrenCollapsible(false);
    const int width = listPanel->width();
    split->addWidget(listPanel);
    split->addWidget(playerArea);
    split->setStretchFactor(1, 1);
    split->setSizes({width, 10000});
    layout->addWidget(split);
}

QListWidgetItem* MediaSheet::AddItem(QListWidget* list, const GbkString& caption, const void* record) {
    auto* item = new QListWidgetItem(gbk::toQString(caption), list);
    item->setData(kRecordRole, QVariant::fromValue(reinterpret_cast<quintptr>(record)));
    return item;
}

void MediaSheet::SetThumbnail(QListWidgetItem* item, ImageList& images, const QImage& source, bool halftone) {
    const QSize size = images.imageSize();
    QImage thumbnail;
    if (source.isNull()) {
        thumbnail = QImage(size, QImage::Format_RGB888);
        thumbnail.fill(Qt::white);
    } else if (halftone) {
        thumbnail = HalftoneStretch(source, size.width(), size.height());
    } else {
        thumbnail = source.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                        .convertToFormat(QImage::Format_RGB888);
    }
    const int index = images.Add(QPixmap::fromImage(thumbnail));
    item->setData(kImageIndexRole, index);
    item->setIcon(QIcon(images.Item(index)));
}

void MediaSheet::ResetList(QListWidget* list, ImageList& images, QSize imageSize) {
    list->clear();
    images.Clear();
    images.setImageSize(imageSize);
    SetIconSize(list, imageSize);
}

void MediaSheet::SetIconSize(QListWidget* list, QSize imageSize) {
    list->setIconSize(imageSize);
    // One cell per item, room for two caption lines: without a grid the icon view lays
    // items of different caption widths out in ragged columns.
    list->setGridSize(
        QSize(imageSize.width() + 16, imageSize.height() + 2 * list->fontMetrics().height() + 8));
}

const void* MediaSheet::SelectedRecordPointer(QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty()) return nullptr;
    return reinterpret_cast<const void*>(selected.first()->data(kRecordRole).value<quintptr>());
}

GbkString MediaSheet::RequestReference(const char* scheme, const char* path, const GbkString& value,
                                       const QString& replyEmptyMessage) const {
    const GbkString reply = HttpGetText(Endpoints::mediaReference(scheme, env_.classroomHost, path, value));
    if (reply.empty()) ShowMessage(replyEmptyMessage);
    return reply;
}

QString MediaSheet::PlayerAddress(const QString& queryFirstPart, int width, const GbkString& reply) const {
    const QString page =
        env_.osMajorVersion() == 5 ? QStringLiteral("index_test.html") : QStringLiteral("index.html");
    return Endpoints::mediaPlayer(env_.classroomHost, page, queryFirstPart, width, reply);
}

void MediaSheet::RunRefresh(const GbkString& unitCode, bool ignoreWhileRunning,
                            const std::function<void(const GbkString&)>& body) {
    if (refreshing_) {
        if (ignoreWhileRunning && !abandoned_) return;
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
            body(current);
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

void MediaSheet::SubtitlesClick(const Player& player) {
    if (player.browser->LocationName().isEmpty()) return;
    RunPageScript(*player.browser, player.subtitles->isChecked() ? QStringLiteral("showSubtitles()")
                                                                 : QStringLiteral("hideSubtitles()"));
}

void MediaSheet::FullScreenClick(const Player& player) {
    if (player.browser->LocationName().isEmpty()) return;
    // The engine refuses a page's own full-screen request made from a program's script call,
    // so the view itself covers the screen as well.
    player.browser->ShowFullScreen();
    RunPageScript(*player.browser, QStringLiteral("fullScreen()"));
}
