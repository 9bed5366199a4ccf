#include "TextBookPage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QStatusBar>
#include <QVBoxLayout>
#include <exception>
#include <utility>

#include "InkCanvas.h"
#include "InkController.h"
#include "PageImageLoader.h"
#include "PaneSplitter.h"
#include "catalogue/BookFiles.h"
#include "catalogue/BuiltInPictures.h"
#include "catalogue/HalftoneStretch.h"
#include "catalogue/ImageLoader.h"
#include "service/Endpoints.h"
#include "service/ShowMessage.h"
#include "service/TReplyDataset.h"
#include "service/lmvInclassSoap.h"

namespace {

constexpr int kLeftColumnWidth = 185;
constexpr int kThumbWidth = kPageThumbWidth;
constexpr int kThumbHeight = kPageThumbHeight;
constexpr int kStatusPanelWidths[] = {800, 200};

constexpr int kPageRole = Qt::UserRole;
constexpr int kImageIndexRole = Qt::UserRole + 1;

// Both sizes known to the service: neither is "0" and both are whole numbers. Anything else
// cannot be shown as a size, so the page is measured instead.
bool knownSize(const TPageObj& page, int& width, int& height) {
    if (page.width == "0" || page.height == "0") return false;
    try {
        width = gbk::toInt(page.width);
        height = gbk::toInt(page.height);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

const QImage& placeholderThumbnail() {
    static const QImage thumbnail = HalftoneStretch(BuiltInPictures::ImgNoPic(), kThumbWidth, kThumbHeight);
    return thumbnail;
}

}  // namespace

TextBookPage::TextBookPage(Context context, QWidget* parent) : QWidget(parent), context_(std::move(context)) {
    setObjectName(QStringLiteral("TabTextBook"));
    CreateLeftColumn();
    CreateRightArea();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel4);
    layout->addWidget(PanelRight, 1);
    CollapseNeighbourPanes();
}

TextBookPage::~TextBookPage() = default;

void TextBookPage::CreateLeftColumn() {
    Panel4 = new QWidget(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFixedWidth(kLeftColumnWidth);

    auto* options = new QWidget(Panel4);
    options->setObjectName(QStringLiteral("Panel1"));
    options->setFixedHeight(88);
    CheckBoxPrevious = new QCheckBox(QStringLiteral("显示上一页"), options);
    CheckBoxPrevious->setObjectName(QStringLiteral("CheckBoxPrevious"));
    CheckBoxPrevious->setGeometry(8, 6, 170, 20);
    CheckBoxNext = new QCheckBox(QStringLiteral("显示下一页"), options);
    CheckBoxNext->setObjectName(QStringLiteral("CheckBoxNext"));
    CheckBoxNext->setGeometry(8, 28, 170, 20);
    LabelTextBook = new QLabel(options);
    LabelTextBook->setObjectName(QStringLiteral("LabelTextBook"));
    LabelTextBook->setGeometry(8, 50, 170, 36);
    LabelTextBook->setWordWrap(true);
    LabelTextBook->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelTextBook->setTextFormat(Qt::PlainText);

    LVTextBook = new QListWidget(Panel4);
    LVTextBook->setObjectName(QStringLiteral("LVTextBook"));
    LVTextBook->setAccessibleName(QStringLiteral("课本页"));
    LVTextBook->setViewMode(QListView::IconMode);
    LVTextBook->setIconSize(QSize(kThumbWidth, kThumbHeight));
    LVTextBook->setMovement(QListView::Static);
    LVTextBook->setResizeMode(QListView::Adjust);
    // Every cell holds a thumbnail over two lines of caption: with cells of one size the view
    // places a new item without measuring all the others again, which keeps a long book's
    // thumbnail pass linear. Items carry that size themselves, since the view takes it from
    // the first item, which may not have its picture yet.
    LVTextBook->setWordWrap(true);
    LVTextBook->setUniformItemSizes(true);
    LVTextBook->setGridSize(
        QSize(kThumbWidth + 60, kThumbHeight + 2 * LVTextBook->fontMetrics().height() + 12));
    LVTextBook->setTextElideMode(Qt::ElideRight);
    LVTextBook->setSelectionMode(QAbstractItemView::SingleSelection);
    LVTextBook->setDragEnabled(false);
    LVTextBook->installEventFilter(this);

    auto* column = new QVBoxLayout(Panel4);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(options);
    column->addWidget(LVTextBook, 1);

    connect(LVTextBook, &QListWidget::itemClicked, this, &TextBookPage::LVTextBookClick);
    connect(CheckBoxPrevious, &QCheckBox::toggled, this, &TextBookPage::CheckBoxPreviousClick);
    connect(CheckBoxNext, &QCheckBox::toggled, this, &TextBookPage::CheckBoxNextClick);
}

void TextBookPage::CreateRightArea() {
    PanelRight = new QWidget(this);
    PanelRight->setObjectName(QStringLiteral("PanelRight"));

    PreviousPane = new NeighbourPane(
        PanelRight, {"PanelPrevious", "ScrollBoxprevious", "ImagePrevious", QStringLiteral("上一页页面")});
    CenterPage = new CenterPageView(PanelRight);
    NextPane = new NeighbourPane(PanelRight,
                                 {"PanelNext", "ScrollBoxNext", "ImageNext", QStringLiteral("下一页页面")});
    connect(CenterPage, &CenterPageView::stepRequested, this,
            [this](int direction) { direction > 0 ? ImagerightClick() : ImageleftClick(); });

    Splitter3 = new PaneSplitter(PreviousPane->panel(), PaneSplitter::Side::Above, PanelRight);
    Splitter3->setObjectName(QStringLiteral("Splitter3"));
    Splitter2 = new PaneSplitter(NextPane->panel(), PaneSplitter::Side::Below, PanelRight);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));

    StatusBar1 = new QStatusBar(PanelRight);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1Panel0 = new QLabel(StatusBar1);
    StatusBar1Panel0->setObjectName(QStringLiteral("StatusBar1Panel0"));
    StatusBar1Panel1 = new QLabel(StatusBar1);
    StatusBar1Panel1->setObjectName(QStringLiteral("StatusBar1Panel1"));
    for (QLabel* panel : {StatusBar1Panel0, StatusBar1Panel1}) panel->setTextFormat(Qt::PlainText);
    // The panels keep their design widths where the bar allows and share a narrower bar 4 : 1.
    for (auto [label, width] : {std::pair{StatusBar1Panel0, kStatusPanelWidths[0]},
                                std::pair{StatusBar1Panel1, kStatusPanelWidths[1]}}) {
        label->setMaximumWidth(width);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        StatusBar1->addWidget(label, width);
    }

    auto* stack = new QVBoxLayout(PanelRight);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(PreviousPane->panel());
    stack->addWidget(Splitter3);
    stack->addWidget(CenterPage->panel(), 1);
    stack->addWidget(Splitter2);
    stack->addWidget(StatusBar1);
    stack->addWidget(NextPane->panel());

    connect(Splitter2, &PaneSplitter::moved, this, &TextBookPage::Splitter2Moved);

    Ink = new InkController(*CenterPage, this);
    previousInk_ = Ink->addCanvas(PreviousPane->picture());
    nextInk_ = Ink->addCanvas(NextPane->picture());
    Ink->setReporter([this](const QString& text) { StatusBar1Panel0->setText(text); });
}

void TextBookPage::CollapseNeighbourPanes() {
    PreviousPane->setOpen(false);
    NextPane->setOpen(false);
}

const std::string& TextBookPage::CurrentPageFile() const {
    return CenterPage->file();
}

const std::string& TextBookPage::PreviousPageFile() const {
    return PreviousPane->file();
}

const std::string& TextBookPage::NextPageFile() const {
    return NextPane->file();
}

TPageObj* TextBookPage::PageOf(const QListWidgetItem* item) {
    return item ? static_cast<TPageObj*>(item->data(kPageRole).value<void*>()) : nullptr;
}

std::string TextBookPage::pagePath(const TPageObj& page) const {
    return PagePicturePath(context_.cacheFolder, page);
}

int TextBookPage::selectedIndex() const {
    const QList<QListWidgetItem*> selected = LVTextBook->selectedItems();
    return selected.isEmpty() ? -1 : LVTextBook->row(selected.first());
}

void TextBookPage::selectIndex(int index) {
    LVTextBook->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

void TextBookPage::ClearPageView() {
    ++recordGeneration_;
    ahead_ = {};
    ++thumbnailPass_;
    LVTextBook->clear();
    context_.pageThumbList.Clear();
}

void TextBookPage::LoadBookPageList(const GbkString& bookId) {
    ClearPageView();
    context_.pageList.Clear();
    const GbkString reply =
        context_.service.LmvInclass_GetPageList(bookId, Endpoints::pictureBase(context_.contentHost));
    const TReplyDataset pages = ParseReplyDataset(reply, DeclarationRule::Plain);
    for (TReplyRow row = pages.firstRow(); !row.isNull(); row = row.next())
        context_.pageList.Add(TPageObj::fromRow(row));
}

QImage TextBookPage::thumbnailOf(const GbkString& address, const std::string& path) const {
    if (context_.thumbnails) {
        if (std::optional<QImage> prepared = context_.thumbnails->find(path)) return *prepared;
    }
    try {
        const FetchedPicture fetched = FetchPicture(context_.pictures, address, path, DecodePageThumbnail);
        if (!fetched.picture.isNull()) return fetched.picture;
    } catch (const std::exception&) {
        // A damaged cached picture must not cut the list short: it shows as missing.
    }
    return placeholderThumbnail();
}

void TextBookPage::RefreshBookPageList() {
    const unsigned pass = ++thumbnailPass_;
    LVTextBook->clear();
    context_.pageThumbList.Clear();
    context_.pageThumbList.setImageSize(QSize(kThumbWidth, kThumbHeight));
    const TObjectList<TPageObj>& pages = context_.pageList;
    const std::size_t count = pages.Count();
    for (std::size_t i = 0; i < count; ++i) {
        // Events were processed since the last page: a book change may have emptied the view
        // and replaced the records, and this pass must then read nothing more.
        if (pass != thumbnailPass_ || i >= pages.Count()) return;
        TPageObj* page = pages.Items(i);
        auto* item = new QListWidgetItem(gbk::toQString(page->pagename));
        item->setData(kPageRole, QVariant::fromValue(static_cast<void*>(page)));
        item->setSizeHint(LVTextBook->gridSize());
        LVTextBook->addItem(item);

        const QImage thumbnail = thumbnailOf(page->pagefile, pagePath(*page));
        if (pass != thumbnailPass_) return;  // the item went with the emptied view

        const int index = context_.pageThumbList.Add(QPixmap::fromImage(thumbnail));
        // The thumbnail stands for itself when selected too: a tinted copy per selected page
        // would pile up in the pixmap cache while the selection runs through the book.
        QIcon icon;
        icon.addPixmap(context_.pageThumbList.Item(index), QIcon::Normal);
        icon.addPixmap(context_.pageThumbList.Item(index), QIcon::Selected);
        item->setIcon(icon);
        item->setData(kImageIndexRole, index);
        // Selected without becoming the current item, so the view does not scroll along: the
        // thumbnails already loaded stay in sight to be clicked.
        LVTextBook->clearSelection();
        item->setSelected(true);
        // An empty panel is left alone: clearing it again would lay the status bar out anew.
        if (!StatusBar1Panel0->text().isEmpty()) StatusBar1Panel0->clear();
        QCoreApplication::processEvents();
    }
}

void TextBookPage::updatePageSize(TPageObj& page, int measuredWidth, int measuredHeight) {
    const GbkString width(std::to_string(measuredWidth));
    const GbkString height(std::to_string(measuredHeight));
    GbkString reply;
    try {
        reply = context_.service.LmvInclass_UpdatePageSize(page.pageid, page.bookid, width, height);
    } catch (const std::exception&) {
        return;  // the record keeps its unknown size, so the next display tries again
    }
    if (reply == "1") {
        page.width = width;
        page.height = height;
    }
}

void TextBookPage::LVTextBookClick() {
    const int index = selectedIndex();
    if (index < 0) return;
    TPageObj* page = PageOf(LVTextBook->item(index));
    if (page == nullptr) return;
    const unsigned generation = recordGeneration_;
    const unsigned display = ++pageDisplays_;

    page->pageid = gbk::trimmed(page->pageid);
    const std::string path = pagePath(*page);
    QSize natural(0, 0);
    const int heightLimit = CenterPage->heightLimit();
    Ahead ahead = std::exchange(ahead_, Ahead{});
    const FetchedPicture fetched = FetchPicture(
        context_.pictures, page->pagefile, path, [&natural, heightLimit, &ahead](const std::string& local) {
            // Read ahead for this pane's size: nothing to decode. Used once, as a refetched copy
            // must be decoded anew.
            if (ahead.path == local && ahead.heightLimit == heightLimit) {
                natural = ahead.natural;
                return std::exchange(ahead, Ahead{}).picture;
            }
            return PageImageLoader::LoadForDisplay(local, heightLimit, natural);
        });
    // The record may have been destroyed meanwhile, or a later display shown another page.
    if (generation != recordGeneration_ || display != pageDisplays_) return;
    if (!fetched.available) {
        ShowMessage(QStringLiteral("获取当前页面失败，请重新尝试！"));
        return;
    }
    const QImage& picture = fetched.picture;
    int shownWidth = natural.width();
    int shownHeight = natural.height();
    int recordWidth = 0, recordHeight = 0;
    if (knownSize(*page, recordWidth, recordHeight)) {
        shownWidth = recordWidth;
        shownHeight = recordHeight;
    } else if (!picture.isNull()) {
        // A picture that did not decode has no size to report.
        updatePageSize(*page, natural.width(), natural.height());
    }

    CenterPage->showPicture(path, picture, natural);
    Ink->showCentre(gbk::toQString(page->bookid), gbk::toQString(page->pageid), natural, path);
    emit pageShown(index);
    if (generation != recordGeneration_ || display != pageDisplays_) return;

    if (CheckBoxPrevious->isChecked() && index > 0 &&
        !showNeighbour(index - 1, *PreviousPane, generation, display))
        return;
    if (CheckBoxNext->isChecked() && index < LVTextBook->count() - 1 &&
        !showNeighbour(index + 1, *NextPane, generation, display))
        return;
    StatusBar1Panel0->setText(QStringLiteral("图片：%1 x %2").arg(shownWidth).arg(shownHeight));
}

bool TextBookPage::showNeighbour(int index, NeighbourPane& pane, unsigned generation, unsigned display) {
    const TPageObj* page = PageOf(LVTextBook->item(index));
    if (page == nullptr) return true;
    const std::string path = pagePath(*page);
    const FetchedPicture fetched =
        FetchPicture(context_.pictures, page->web_path + page->book_path + page->pagefile, path,
                     [](const std::string& local) {
                         // A picture that does not decode leaves the pane empty.
                         try {
                             int width = 0, height = 0;
                             return LoadImageFile(local, width, height);
                         } catch (const std::exception&) {
                             return QImage();
                         }
                     });
    if (generation != recordGeneration_ || display != pageDisplays_ || !fetched.available) return false;
    pane.showPicture(fetched.picture, path);
    // The neighbour's picture is decoded whole: its size is the natural one.
    Ink->showPage(&pane == PreviousPane ? previousInk_ : nextInk_, gbk::toQString(page->bookid),
                  gbk::toQString(gbk::trimmed(page->pageid)), fetched.picture.size());
    return true;
}

void TextBookPage::CheckBoxPreviousClick() {
    PreviousPane->setOpen(CheckBoxPrevious->isChecked());
}

void TextBookPage::CheckBoxNextClick() {
    NextPane->setOpen(CheckBoxNext->isChecked());
}

void TextBookPage::ImageleftClick() {
    const int index = selectedIndex() - 1;
    if (index < 0) return;
    selectIndex(index);
    LVTextBookClick();
}

void TextBookPage::ImagerightClick() {
    const int index = selectedIndex() + 1;
    if (index >= LVTextBook->count()) return;
    selectIndex(index);
    LVTextBookClick();
}

void TextBookPage::ShowFirstPage() {
    ShowPageAt(0);
}

void TextBookPage::ShowLastPage() {
    ShowPageAt(LVTextBook->count() - 1);
}

void TextBookPage::ShowPageAt(int index) {
    if (index < 0 || index >= LVTextBook->count()) return;
    selectIndex(index);
    LVTextBookClick();
}

QImage TextBookPage::DecodeAhead(int index, QSize& natural) {
    if (index < 0 || index >= LVTextBook->count()) return {};
    const TPageObj* page = PageOf(LVTextBook->item(index));
    if (page == nullptr) return {};
    const unsigned generation = recordGeneration_;
    const std::string path = pagePath(*page);
    const int heightLimit = CenterPage->heightLimit();
    if (ahead_.path == path && ahead_.heightLimit == heightLimit) {
        natural = ahead_.natural;
        return ahead_.picture;
    }
    QSize size(0, 0);
    FetchedPicture fetched;
    try {
        fetched = FetchPicture(context_.pictures, page->pagefile, path,
                               [&size, heightLimit](const std::string& local) {
                                   return PageImageLoader::LoadForDisplay(local, heightLimit, size);
                               });
    } catch (const std::exception&) {
        return {};  // shown later, its display reports what is wrong
    }
    if (generation != recordGeneration_ || !fetched.available || fetched.picture.isNull()) return {};
    ahead_ = {path, fetched.picture, size, heightLimit};
    natural = size;
    return fetched.picture;
}

void TextBookPage::Splitter2Moved() {
    window()->update();
}

bool TextBookPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LVTextBook && event->type() == QEvent::KeyPress) {
        // Keyboard users show the selected page with Enter, as a click does.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            LVTextBookClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
