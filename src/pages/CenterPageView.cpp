#include "CenterPageView.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>
#include <cmath>

#include "PageArrowArtwork.h"
#include "PageImageLoader.h"
#include "PagePicture.h"
#include "PageScrollBox.h"
#include "PageZoom.h"

namespace {

constexpr int kArrowMargin = 10;
constexpr int kArrowTop = 250;

QToolButton* arrow(QWidget* parent, const char* name, PageArrowArtwork::Direction direction,
                   const QString& caption) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    // Drawn for this screen's density and the common ones, so a window moved to another screen
    // stays sharp; the icon picks the closest.
    QIcon icon;
    for (qreal ratio : {1.0, 2.0, button->devicePixelRatioF()})
        icon.addPixmap(PageArrowArtwork::render(direction, ratio));
    button->setIcon(icon);
    button->setIconSize(PageArrowArtwork::size());
    button->setFixedSize(PageArrowArtwork::size());
    button->setAutoRaise(true);
    // Only the artwork is drawn: the page shows around the disc.
    button->setStyleSheet(
        QStringLiteral("QToolButton { border: none; background: transparent; padding: 0; }"));
    button->setCursor(Qt::PointingHandCursor);
    button->setAccessibleName(caption);
    button->setToolTip(caption);
    return button;
}

}  // namespace

CenterPageView::CenterPageView(QWidget* parent)
    : QObject(parent),
      pane_(PagePane::create(parent,
                             {"PanelCenter", "ScrollBoxCenter", "ImageCenter", QStringLiteral("当前页面")})) {
    pane_.panel->setMinimumHeight(0);
    pane_.box->setMinimumSize(0, 0);
    // Over the scroll box, as children of its panel: a scroll area's own children outside its
    // viewport are left out of the accessibility tree, where a screen reader could not reach them.
    previous_ =
        arrow(pane_.panel, "Imageleft", PageArrowArtwork::Direction::Previous, QStringLiteral("上一页"));
    next_ = arrow(pane_.panel, "Imageright", PageArrowArtwork::Direction::Next, QStringLiteral("下一页"));
    previous_->raise();
    next_->raise();
    zoom_ = new PageZoom(pane_.box, pane_.picture, this);
    connect(zoom_, &PageZoom::resetRequested, this, &CenterPageView::fit);
    connect(zoom_, &PageZoom::swiped, this,
            [this](int direction) { emit stepRequested(direction > 0 ? 1 : -1); });
    connect(previous_, &QToolButton::clicked, this, [this] { emit stepRequested(-1); });
    connect(next_, &QToolButton::clicked, this, [this] { emit stepRequested(1); });
    connect(pane_.box, &PageScrollBox::resized, this, &CenterPageView::fit);
}

int CenterPageView::heightLimit() const {
    // The pane never grows beyond a screen (a full-screen window included), so no picture is
    // decoded taller than that.
    qreal limit = pane_.panel->height() * pane_.panel->devicePixelRatioF();
    for (const QScreen* screen : QGuiApplication::screens())
        limit = std::max(limit, screen->geometry().height() * screen->devicePixelRatio());
    return static_cast<int>(std::ceil(limit));
}

void CenterPageView::showPicture(const std::string& path, const QImage& picture, QSize natural) {
    file_ = path;
    decoded_ = picture;
    natural_ = natural;
    fit();
    pane_.box->verticalScrollBar()->setValue(0);
    pane_.box->setVerticalRange(pane_.picture->height());
    PagePane::centreInBox(pane_.picture, pane_.box);
}

void CenterPageView::fit() {
    const QRect box = pane_.box->geometry();
    previous_->move(box.x() + kArrowMargin, box.y() + kArrowTop);
    next_->move(box.right() + 1 - next_->width() - kArrowMargin, box.y() + kArrowTop);
    if (file_.empty()) return;

    // The picture is decoded again only when the pane has outgrown a reduced decode (a taller
    // screen).
    QWidget* panel = pane_.panel;
    const int needed = static_cast<int>(std::ceil(panel->height() * panel->devicePixelRatioF()));
    const bool reduced = decoded_.height() < natural_.height();
    if (reduced && decoded_.height() < needed) {
        QSize natural(0, 0);
        decoded_ = PageImageLoader::LoadForDisplay(file_, heightLimit(), natural);
        natural_ = natural;
    }
    PagePicture* shown = pane_.picture;
    if (shown->picture().cacheKey() != decoded_.cacheKey() || shown->picture().isNull() != decoded_.isNull())
        shown->setPicture(decoded_);

    const int height = panel->height();
    // Round half to even, as the default floating-point rounding does.
    const int width =
        natural_.height() > 0
            ? static_cast<int>(std::lrint(double(height) * natural_.width() / natural_.height()))
            : 0;
    const int left = std::max((panel->width() - width) / 2, 0);
    shown->setGeometry(left, 0, width, height);
    zoom_->fitted(shown->geometry());
    // The horizontal range stays the natural width; the vertical one is the shown height.
    pane_.box->setRanges(natural_.width(), height);
}
