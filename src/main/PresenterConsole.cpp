#include "PresenterConsole.h"

#include <QAbstractScrollArea>
#include <QDateTime>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "look/Look.h"
#include "pages/CenterPageView.h"
#include "pages/InkCanvas.h"
#include "pages/InkController.h"
#include "pages/InkToolBar.h"
#include "pages/PagePicture.h"
#include "pages/PageScrollBox.h"
#include "pages/TextBookPage.h"
#include "service/GbkText.h"

namespace {

constexpr int kStripIcon = 56;
constexpr int kNextWidth = 260;

// The sheet's thumbnail items carry the sheet's own item size; the strip lays them out smaller.
class StripModel : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::SizeHintRole ? QVariant() : QIdentityProxyModel::data(index, role);
    }
};

QLabel* label(QWidget* parent, const char* name, int pixels, Weight weight) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(pixelFont(pixels, weight));
    return label;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& tip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFont(pixelFont(16, Weight::Normal));
    button->setToolTip(tip);
    button->setMinimumHeight(36);
    // A click leaves the keys with the page: Space must not press the button again.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QString duration(qint64 ms) {
    const qint64 seconds = ms / 1000;
    const QString minutesSeconds = QStringLiteral("%1:%2")
                                       .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                       .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return seconds >= 3600 ? QStringLiteral("%1:%2").arg(seconds / 3600).arg(minutesSeconds) : minutesSeconds;
}

}  // namespace

// A page picture shown whole, or the part of it the projector shows when zoomed, as large as
// the view allows: the same picture widget, made larger and moved, as the zoom does.
class MirrorPage : public QWidget {
public:
    MirrorPage(QWidget* parent, const char* name, const QString& caption) : QWidget(parent) {
        setObjectName(QLatin1String(name));
        setAccessibleName(caption);
        setBackgroundRole(QPalette::Dark);
        setAutoFillBackground(true);
        picture_ = new PagePicture(this);
        picture_->setObjectName(QLatin1String(name) + QStringLiteral("Picture"));
        picture_->resize(0, 0);
    }

    PagePicture* picture() const { return picture_; }

    void show(const QImage& image, QSize natural) {
        natural_ = natural;
        picture_->setPicture(image);
        place();
    }

    // `part`: the shown part, relative to the page's size.
    void setPart(const QRectF& part) {
        if (part == part_) return;
        part_ = part;
        place();
    }

protected:
    void resizeEvent(QResizeEvent*) override { place(); }

private:
    void place() {
        const double partWidth = part_.width() * natural_.width(),
                     partHeight = part_.height() * natural_.height();
        if (picture_->picture().isNull() || partWidth <= 0 || partHeight <= 0) {
            picture_->resize(0, 0);
            return;
        }
        const double scale = std::min(width() / partWidth, height() / partHeight);
        const QSizeF whole(natural_.width() * scale, natural_.height() * scale);
        const QPointF partCentre(part_.center().x() * whole.width(), part_.center().y() * whole.height());
        picture_->setZoomed(whole.height() > height() + 1 || whole.width() > width() + 1);
        picture_->setGeometry(QRectF(QPointF(width() / 2.0, height() / 2.0) - partCentre, whole).toRect());
    }

    PagePicture* picture_ = nullptr;
    QSize natural_;
    QRectF part_{0, 0, 1, 1};
};

PresenterConsole::PresenterConsole(TextBookPage& sheet, std::function<QString()> caption, QWidget* parent)
    : QWidget(parent, Qt::Window), sheet_(sheet), caption_(std::move(caption)) {
    setObjectName(QStringLiteral("PresenterConsole"));
    setWindowTitle(QStringLiteral("Lumo课堂 - 演示者视图"));
    setAccessibleName(windowTitle());
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(12, 8, 12, 8);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(6);
    layout->addWidget(createHeader(), 0, 0, 1, 2);

    current_ = new MirrorPage(this, "ConsoleCurrentPage", QStringLiteral("当前页面"));
    current_->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(current_, 1, 0);

    auto* side = new QWidget(this);
    side->setObjectName(QStringLiteral("ConsoleSide"));
    side->setFixedWidth(kNextWidth);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    lblNext = label(side, "lblNext", 16, Weight::Bold);
    lblNext->setText(QStringLiteral("下一页"));
    column->addWidget(lblNext);
    next_ = new MirrorPage(side, "ConsoleNextPage", QStringLiteral("下一页"));
    // As large as the room the tool bar leaves, up to a page's proportions.
    next_->setMaximumHeight(kNextWidth * 7 / 5);
    next_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    column->addWidget(next_, 1);
    // The tool bar floats in the room below the next page, dragged like the page's own.
    auto* inkRoom = new QWidget(side);
    inkRoom->setObjectName(QStringLiteral("ConsoleInkRoom"));
    column->addWidget(inkRoom);
    layout->addWidget(side, 1, 1);

    PageStrip = new QListView(this);
    PageStrip->setObjectName(QStringLiteral("PageStrip"));
    PageStrip->setAccessibleName(QStringLiteral("课本页"));
    PageStrip->setModel(new StripModel(PageStrip));
    static_cast<StripModel*>(PageStrip->model())->setSourceModel(sheet_.LVTextBook->model());
    PageStrip->setViewMode(QListView::IconMode);
    PageStrip->setFlow(QListView::LeftToRight);
    PageStrip->setWrapping(false);
    PageStrip->setMovement(QListView::Static);
    PageStrip->setIconSize(QSize(kStripIcon, kStripIcon * 7 / 5));
    PageStrip->setGridSize(
        QSize(kStripIcon + 28, kStripIcon * 7 / 5 + PageStrip->fontMetrics().height() + 10));
    PageStrip->setTextElideMode(Qt::ElideRight);
    PageStrip->setSelectionMode(QAbstractItemView::SingleSelection);
    PageStrip->setFixedHeight(PageStrip->gridSize().height() +
                              PageStrip->horizontalScrollBar()->sizeHint().height() + 6);
    PageStrip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(PageStrip, 2, 0, 1, 2);

    lblHint = label(this, "lblConsoleHint", 14, Weight::Normal);
    lblHint->setText(
        QStringLiteral("PgDn / PgUp 翻页　Home / End 首页 / 末页　B 黑屏　W 白屏　P / H / E 墨迹　"
                       "Ctrl+Shift+S 交换屏幕　F1 帮助　Esc 结束演示"));
    lblHint->setWordWrap(true);
    layout->addWidget(lblHint, 3, 0, 1, 2);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(0, 1);

    InkController& ink = *sheet_.Ink;
    currentInk_ = ink.addCanvas(current_->picture(), true);
    nextInk_ = ink.addCanvas(next_->picture());
    InkBar = new InkToolBar(ink, inkRoom, 4);
    InkBar->adjustSize();
    inkRoom->setMinimumHeight(InkBar->height());
    InkBar->move((kNextWidth - InkBar->width()) / 2, 0);
    InkBar->show();

    // The strip's click is a click on the sheet's thumbnail. Nothing of the console is read
    // after it: showing a page processes events, and the console may close meanwhile.
    connect(PageStrip, &QListView::clicked, &sheet_,
            [sheet = &sheet_](const QModelIndex& index) { sheet->ShowPageAt(index.row()); });
    connect(btnSwap, &QPushButton::clicked, this, &PresenterConsole::swapRequested);
    connect(btnEnd, &QPushButton::clicked, this, &PresenterConsole::endRequested);
    connect(btnElapsed, &QPushButton::clicked, this, &PresenterConsole::resetElapsed);
    connect(&sheet_, &TextBookPage::pageShown, this, &PresenterConsole::pageShown);
    const QAbstractItemModel* thumbnails = sheet_.LVTextBook->model();
    // Thumbnails still arriving change the count, not the page shown.
    connect(thumbnails, &QAbstractItemModel::rowsInserted, this, &PresenterConsole::showCount);
    connect(thumbnails, &QAbstractItemModel::modelReset, this, [this] { pageShown(-1); });

    // The projected picture moves and grows with the zoom and the pan.
    CenterPageView& centre = *sheet_.CenterPage;
    for (QWidget* watched :
         {static_cast<QWidget*>(centre.picture()), centre.box()->client(), centre.box()->viewport()})
        watched->installEventFilter(this);

    clock_.setInterval(1000);
    connect(&clock_, &QTimer::timeout, this, &PresenterConsole::tick);
    clock_.start();
    resetElapsed();
    pageShown(sheet_.CurrentIndex());
    current_->setFocus(Qt::OtherFocusReason);
}

PresenterConsole::~PresenterConsole() = default;

QWidget* PresenterConsole::createHeader() {
    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("ConsoleHeader"));
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);
    lblCaption = label(header, "lblCaption", 18, Weight::Bold);
    lblCaption->setTextFormat(Qt::PlainText);
    row->addWidget(lblCaption, 1);
    lblPageCount = label(header, "lblPageCount", 18, Weight::Bold);
    row->addWidget(lblPageCount);
    lblBlank = label(header, "lblBlank", 18, Weight::Bold);
    lblBlank->setStyleSheet(QStringLiteral(
        "QLabel { background: #c62828; color: white; border-radius: 4px; padding: 2px 10px; }"));
    lblBlank->hide();
    row->addWidget(lblBlank);
    lblClock = label(header, "lblClock", 22, Weight::Bold);
    row->addWidget(lblClock);
    btnElapsed = button(header, "btnElapsed", QString(), QStringLiteral("点击重新计时"));
    btnElapsed->setFont(pixelFont(22, Weight::Bold));
    row->addWidget(btnElapsed);
    btnSwap = button(header, "btnSwap", swapCaption(), QStringLiteral("交换屏幕（Ctrl+Shift+S）"));
    row->addWidget(btnSwap);
    btnEnd = button(header, "btnEnd", QStringLiteral("结束演示"), QStringLiteral("结束演示（Esc）"));
    row->addWidget(btnEnd);
    return header;
}

PagePicture* PresenterConsole::currentPicture() const {
    return current_->picture();
}

PagePicture* PresenterConsole::nextPicture() const {
    return next_->picture();
}

void PresenterConsole::setBlankText(const QString& text) {
    lblBlank->setText(text);
    lblBlank->setAccessibleName(text);
    lblBlank->setVisible(!text.isEmpty());
}

void PresenterConsole::resetElapsed() {
    elapsed_.start();
    tick();
}

void PresenterConsole::tick() {
    lblClock->setText(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm")));
    lblClock->setAccessibleName(QStringLiteral("时间 %1").arg(lblClock->text()));
    btnElapsed->setText(QStringLiteral("用时 %1").arg(duration(elapsed_.elapsed())));
    btnElapsed->setAccessibleName(btnElapsed->text());
}

void PresenterConsole::pageShown(int index) {
    const unsigned display = ++displays_;
    shown_ = index;
    const int count = sheet_.LVTextBook->count();
    const QString caption = caption_ ? caption_() : QString();
    lblCaption->setText(caption);
    lblCaption->setAccessibleName(caption);
    showCount();

    const CenterPageView& centre = *sheet_.CenterPage;
    const InkCanvas& projected = *sheet_.Ink->centreCanvas();
    if (index >= 0 && !centre.file().empty()) {
        current_->show(centre.picture()->picture(), centre.natural());
        sheet_.Ink->showPage(currentInk_, projected.book(), projected.pageId(), centre.natural());
    } else {
        current_->show(QImage(), QSize());
        sheet_.Ink->showPage(currentInk_, QString(), QString(), QSize());
    }
    followZoom();
    if (index >= 0) {
        const QModelIndex item = PageStrip->model()->index(index, 0);
        PageStrip->selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
        PageStrip->scrollTo(item, QAbstractItemView::PositionAtCenter);
    } else {
        PageStrip->clearSelection();
    }

    nextShown_ = -1;
    next_->show(QImage(), QSize());
    sheet_.Ink->showPage(nextInk_, QString(), QString(), QSize());
    const bool last = index < 0 || index + 1 >= count;
    lblNext->setText(index >= 0 && last ? QStringLiteral("下一页：没有了") : QStringLiteral("下一页"));
    // After both screens have painted the page asked for.
    if (!last) QTimer::singleShot(0, this, [this, display] { readNextPage(display); });
}

void PresenterConsole::showCount() {
    const int count = sheet_.LVTextBook->count();
    lblPageCount->setText(shown_ >= 0 ? QStringLiteral("第%1页 / 共%2页").arg(shown_ + 1).arg(count)
                                      : QStringLiteral("共%1页").arg(count));
    lblPageCount->setAccessibleName(lblPageCount->text());
}

void PresenterConsole::readNextPage(unsigned display) {
    if (display != displays_) return;
    const int index = sheet_.CurrentIndex() + 1;
    QSize natural;
    QPointer<PresenterConsole> alive(this);
    const QImage picture = sheet_.DecodeAhead(index, natural);
    // Reading may have fetched the picture, processing events: a later page or the end of the
    // presentation may have come meanwhile.
    if (!alive || display != displays_ || picture.isNull()) return;
    next_->show(picture, natural);
    const TPageObj* page = TextBookPage::PageOf(sheet_.LVTextBook->item(index));
    if (page != nullptr)
        sheet_.Ink->showPage(nextInk_, gbk::toQString(page->bookid),
                             gbk::toQString(gbk::trimmed(page->pageid)), natural);
    nextShown_ = index;
}

void PresenterConsole::followZoom() {
    const CenterPageView& centre = *sheet_.CenterPage;
    const QWidget* picture = centre.picture();
    const QWidget* viewport = centre.box()->viewport();
    if (picture->width() <= 0 || picture->height() <= 0) return;
    const QRect shown(picture->mapToGlobal(QPoint(0, 0)), picture->size());
    const QRect visible = QRect(viewport->mapToGlobal(QPoint(0, 0)), viewport->size()) & shown;
    if (visible.isEmpty()) return;
    const QRectF part(double(visible.x() - shown.x()) / shown.width(),
                      double(visible.y() - shown.y()) / shown.height(),
                      double(visible.width()) / shown.width(), double(visible.height()) / shown.height());
    current_->setPart(part);
}

bool PresenterConsole::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Move || type == QEvent::Resize) followZoom();
    return QWidget::eventFilter(watched, event);
}
