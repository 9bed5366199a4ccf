#include "ColourKeyShape.h"

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QChildEvent>
#include <QFrame>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <cstdlib>
#include <vector>

#include "web/WebBrowser.h"

namespace {

xcb_connection_t* x11Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// In device pixels, each rectangle grown to whole pixels: a fractional scale may widen a
// control's solid edge, never a hole.
QRegion devicePixels(const QRegion& region, qreal ratio) {
    if (ratio == 1.0) return region;
    QRegion device;
    for (const QRect& rect : region)
        device += QRectF(QPointF(rect.topLeft()) * ratio, QSizeF(rect.size()) * ratio).toAlignedRect();
    return device;
}

std::vector<xcb_rectangle_t> rectanglesOf(const QRegion& region) {
    std::vector<xcb_rectangle_t> rectangles;
    rectangles.reserve(static_cast<std::size_t>(region.rectCount()));
    for (const QRect& rect : region)
        rectangles.push_back({static_cast<int16_t>(rect.x()), static_cast<int16_t>(rect.y()),
                              static_cast<uint16_t>(rect.width()), static_cast<uint16_t>(rect.height())});
    return rectangles;
}

}  // namespace

ColourKeyShape::ColourKeyShape(QWidget& window, std::function<bool()> holesAllowed)
    : window_(window), holesAllowed_(std::move(holesAllowed)) {
    pending_.setSingleShot(true);
    pending_.setInterval(0);
    connect(&pending_, &QTimer::timeout, this, &ColourKeyShape::update);
    // Widgets come and go inside the window's sheets, so one filter for the application sees
    // them all without following each new child.
    qApp->installEventFilter(this);
    Invalidate();
}

ColourKeyShape::~ColourKeyShape() {
    qApp->removeEventFilter(this);
}

bool ColourKeyShape::Supported() {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) return false;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shape_id);
    if (extension == nullptr || !extension->present) return false;
    xcb_shape_query_version_reply_t* version =
        xcb_shape_query_version_reply(connection, xcb_shape_query_version(connection), nullptr);
    const bool inputShapes =
        version != nullptr &&
        (version->major_version > 1 || (version->major_version == 1 && version->minor_version >= 1));
    std::free(version);
    return inputShapes;
}

void ColourKeyShape::AddPanel(const QWidget* panel) {
    panels_.insert(panel);
    Invalidate();
}

void ColourKeyShape::Invalidate() {
    if (!pending_.isActive()) pending_.start();
}

bool ColourKeyShape::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ChildRemoved:
            if (!static_cast<QChildEvent*>(event)->child()->isWidgetType()) break;
            [[fallthrough]];
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::ParentChange:
        case QEvent::PaletteChange:
        case QEvent::WinIdChange:
            if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == &window_) Invalidate();
            break;
        default:
            break;
    }
    return false;
}

bool ColourKeyShape::drawsNothing(const QWidget& widget) const {
    if (widget.autoFillBackground()) {
        const QBrush fill = widget.palette().brush(widget.backgroundRole());
        if (fill.style() != Qt::SolidPattern || fill.color() != window_.palette().color(QPalette::Window))
            return false;
    }
    // A player is content even before its first page: a video is never pierced.
    if (qobject_cast<const WebBrowser*>(&widget)) return false;
    if (panels_.contains(&widget)) return true;
    if (auto* box = qobject_cast<const QScrollArea*>(&widget)) return box->frameShape() == QFrame::NoFrame;
    if (qobject_cast<const QStackedWidget*>(&widget) || qobject_cast<const QTabWidget*>(&widget) ||
        qobject_cast<const QSplitter*>(&widget))
        return true;
    const QMetaObject* type = widget.metaObject();
    if (type == &QFrame::staticMetaObject)
        return static_cast<const QFrame&>(widget).frameShape() == QFrame::NoFrame;
    return type == &QWidget::staticMetaObject;
}

QRegion ColourKeyShape::solidPart(const QWidget& widget, QPoint origin, const QRect& clip) const {
    const QRect area = QRect(origin, widget.size()) & clip;
    if (area.isEmpty()) return {};
    // The window itself only carries the background: it is the colour key.
    if (&widget != &window_ && !drawsNothing(widget)) return area;
    QRegion solid;
    for (QObject* child : widget.children()) {
        auto* part = qobject_cast<QWidget*>(child);
        if (part == nullptr || part->isWindow() || part->isHidden()) continue;
        solid += solidPart(*part, origin + part->pos(), area);
    }
    return solid;
}

QRegion ColourKeyShape::SolidRegion() const {
    return solidPart(window_, QPoint(), window_.rect());
}

void ColourKeyShape::update() {
    // A hidden window is shaped again when it shows.
    if (!window_.isVisible()) return;
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) return;
    std::optional<QRegion> solid;
    if (holesAllowed_()) solid = devicePixels(SolidRegion(), window_.devicePixelRatioF());
    const WId id = window_.winId();
    if (id == shapedWindow_ && solid == shaped_) return;
    const auto native = static_cast<xcb_window_t>(id);
    for (const xcb_shape_kind_t kind : {XCB_SHAPE_SK_BOUNDING, XCB_SHAPE_SK_INPUT}) {
        if (!solid) {
            xcb_shape_mask(connection, XCB_SHAPE_SO_SET, kind, native, 0, 0, XCB_PIXMAP_NONE);
            continue;
        }
        const std::vector<xcb_rectangle_t> rectangles = rectanglesOf(*solid);
        xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, kind, XCB_CLIP_ORDERING_UNSORTED, native, 0, 0,
                             static_cast<uint32_t>(rectangles.size()), rectangles.data());
    }
    xcb_flush(connection);
    shapedWindow_ = id;
    shaped_ = std::move(solid);
}
