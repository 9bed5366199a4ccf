// Ink latency against its floor, side by side in one run.
//
// BM_InkLatency/<zoom>/<input>: a long stroke of synthetic mouse (input 0) or tablet (input 1)
// events at 240 Hz over a 2480 x 3508 page shown in the center pane of a 1920 x 1080 sheet, at
// zoom 1x or 2x, with 200 earlier strokes on the page: for each event, the time from sending it
// to the end of the paint that shows it. The floor: a bare QWidget of the pane's size that draws
// the same decoded picture scaled the same way, the 200 earlier strokes from a layer drawn once,
// and the new points as a polyline, repainting only the rectangle the new segment covers, fed
// the same points. Counters: p50, p95 and worst of both (ms), and p95 against the floor's p95
// (goal: at most 1.2, and p95 at most 16 ms).
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTabletEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "WidgetBenchMain.h"
#include "cache/RemoteFileCache.h"
#include "pages/InkCanvas.h"
#include "pages/InkController.h"
#include "pages/PagePicture.h"
#include "pages/PageScrollBox.h"
#include "pages/PageZoom.h"
#include "pages/TextBookPage.h"
#include "service/HTTPRIOLmvInClass.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kEarlierStrokes = 200;
constexpr int kEvents = 480;  // two seconds at 240 Hz
constexpr auto kInterval = std::chrono::microseconds(4167);

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Counts the paints a widget receives.
struct Paints : QObject {
    explicit Paints(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
    int count = 0;
};

// Runs the event loop until `paints` has grown: the paint that shows the event.
void waitForPaint(const Paints& paints, int before) {
    for (int round = 0; round < 1000 && paints.count == before; ++round) QCoreApplication::processEvents();
}

std::vector<InkStroke> earlierStrokes(QSize page) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> x(0, float(page.width())), y(0, float(page.height())),
        step(-25, 25);
    std::vector<InkStroke> strokes;
    for (int i = 0; i < kEarlierStrokes; ++i) {
        InkStroke stroke;
        stroke.tool = i % 5 == 0 ? InkTool::Highlighter : InkTool::Pen;
        stroke.colour = i % 5 == 0 ? qRgba(255, 220, 0, 90) : qRgba(220, 30, 30, 255);
        stroke.width = i % 5 == 0 ? 70 : 10;
        InkPoint at{x(random), y(random), 1};
        for (int p = 0; p < 40; ++p) {
            stroke.points.push_back(at);
            at.x += 8 + step(random) / 5;
            at.y += step(random) / 3;
        }
        stroke.updateBounds();
        strokes.push_back(std::move(stroke));
    }
    return strokes;
}

// The floor: the least any widget must do to show a new point.
class Floor : public QWidget {
public:
    Floor(const QImage& picture, QRect shown, const std::vector<InkStroke>& strokes, QSize natural)
        : shown_(shown), natural_(natural) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        // The picture at most twice the shown size, as the page widget keeps it.
        source_ = picture;
        while (source_.width() >= 2 * shown.width() && source_.height() >= 2 * shown.height())
            source_ = source_.scaled(source_.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        layer_ = QImage(shown.size(), QImage::Format_ARGB32_Premultiplied);
        layer_.fill(Qt::transparent);
        QPainter painter(&layer_);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(double(shown.width()) / natural.width(), double(shown.height()) / natural.height());
        for (const InkStroke& stroke : strokes) paintStroke(painter, stroke);
    }
    void begin() { points_.clear(); }
    void add(QPointF page) {
        const QPointF at = toWidget(page);
        QRectF changed(at, QSizeF(0, 0));
        if (!points_.empty()) changed = QRectF(points_.back(), at).normalized();
        points_.push_back(at);
        update(changed.toAlignedRect().adjusted(-6, -6, 6, 6));
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        const QRect target = event->rect();
        const QRectF from(QPointF(target.topLeft() - shown_.topLeft()), QSizeF(target.size()));
        const double sx = double(source_.width()) / shown_.width(),
                     sy = double(source_.height()) / shown_.height();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, source_,
                          QRectF(from.x() * sx, from.y() * sy, from.width() * sx, from.height() * sy));
        painter.drawImage(target, layer_, from);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(220, 30, 30), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(points_.data(), int(points_.size()));
    }

private:
    QPointF toWidget(QPointF page) const {
        return QPointF(shown_.x() + page.x() * shown_.width() / natural_.width(),
                       shown_.y() + page.y() * shown_.height() / natural_.height());
    }

    QRect shown_;
    QSize natural_;
    QImage source_;
    QImage layer_;
    std::vector<QPointF> points_;
};

void BM_InkLatency(benchmark::State& state) {
    const double zoom = double(state.range(0));
    const bool tablet = state.range(1) == 1;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    const QSize natural(2480, 3508);
    makePage(7, natural.width(), natural.height())
        .save(QString::fromStdString(folder + "page.jpg"), "JPG", 85);

    HTTPRIOLmvInClass service;
    TObjectList<TPageObj> pages;
    ImageList thumbnails;
    RemoteFileCache files(
        folder, [](const QString&) {}, [] { QCoreApplication::processEvents(); });
    TPageObj record;
    record.pageid = GbkString("page");
    record.bookid = GbkString("book");
    record.pagename = GbkString("page");
    record.pagefile = GbkString("https://content.invalid/pages/page.jpg");
    record.width = GbkString("2480");
    record.height = GbkString("3508");
    pages.Add(record);
    TextBookPage sheet(
        TextBookPage::Context{service, "127.0.0.1:9", folder, pages, thumbnails,
                              PictureSource{[&files](const GbkString& address, const std::string& path) {
                                                return files.CacheRemoteFile(address, path);
                                            },
                                            {}}});
    sheet.resize(1920, 1080);
    sheet.show();
    QCoreApplication::processEvents();
    sheet.RefreshBookPageList();
    sheet.ShowFirstPage();
    PagePicture* picture = sheet.CenterPage->picture();
    picture->finishRescale();
    const std::vector<InkStroke> strokes = earlierStrokes(natural);
    for (const InkStroke& stroke : strokes) sheet.Ink->store().page("book", "page").add(stroke);
    if (zoom > 1) sheet.CenterPage->zoom()->zoomTo(zoom, picture->geometry().center());
    QCoreApplication::processEvents();
    sheet.Ink->choose(InkTool::Pen);
    picture->repaint();

    // The area of the page in view, in page pixels: the stroke runs across it.
    QWidget* viewport = sheet.CenterPage->box()->viewport();
    const QRect visible =
        QRect(picture->mapFrom(viewport, QPoint(0, 0)), viewport->size()).intersected(picture->rect());
    InkCanvas* canvas = sheet.Ink->centreCanvas();
    const QRectF area(canvas->toPage(visible.topLeft()), canvas->toPage(visible.bottomRight()));
    std::vector<QPointF> path;
    for (int i = 0; i < kEvents; ++i) {
        const double t = double(i) / (kEvents - 1);
        path.emplace_back(area.left() + area.width() * (0.1 + 0.8 * t),
                          area.top() + area.height() * (0.5 + 0.3 * std::sin(t * 12)));
    }

    // The floor in a window of its own, showing the page where the pane shows it.
    Floor floor(picture->picture(), QRect(picture->mapTo(viewport, QPoint(0, 0)), picture->size()), strokes,
                natural);
    floor.resize(viewport->size());
    floor.show();
    QCoreApplication::processEvents();

    Paints inkPaints(canvas), floorPaints(&floor);
    const std::unique_ptr<QPointingDevice> stylus = std::make_unique<QPointingDevice>(
        "stylus", 42, QInputDevice::DeviceType::Stylus, QPointingDevice::PointerType::Pen,
        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3);
    const auto send = [&](QEvent::Type mouseType, QPointF page, double pressure) {
        const QPointF at = canvas->toWidget(page);
        if (tablet) {
            const QEvent::Type type = mouseType == QEvent::MouseButtonPress     ? QEvent::TabletPress
                                      : mouseType == QEvent::MouseButtonRelease ? QEvent::TabletRelease
                                                                                : QEvent::TabletMove;
            QTabletEvent event(type, stylus.get(), at, picture->mapToGlobal(at), pressure, 0, 0, 0, 0, 0,
                               Qt::NoModifier, Qt::LeftButton, Qt::LeftButton);
            QApplication::sendEvent(picture, &event);
        } else {
            QMouseEvent event(mouseType, at, picture->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(picture, &event);
        }
    };

    std::vector<double> ink, reference;
    for (auto _ : state) {
        for (int pass = 0; pass < 2; ++pass) {
            const bool floorPass = (pass == 0) == (state.iterations() % 2 == 0);
            auto next = Clock::now();
            if (floorPass) floor.begin();
            for (int i = 0; i < kEvents; ++i) {
                std::this_thread::sleep_until(next);
                next += kInterval;
                const double pressure = 0.4 + 0.4 * std::sin(i * 0.05);
                const auto start = Clock::now();
                if (floorPass) {
                    const int before = floorPaints.count;
                    floor.add(path[i]);
                    waitForPaint(floorPaints, before);
                    reference.push_back(millisecondsSince(start));
                } else {
                    const int before = inkPaints.count;
                    send(i == 0 ? QEvent::MouseButtonPress : QEvent::MouseMove, path[i], pressure);
                    waitForPaint(inkPaints, before);
                    // Points closer than a page pixel add nothing to paint.
                    if (inkPaints.count != before) ink.push_back(millisecondsSince(start));
                }
            }
            if (!floorPass) {
                send(QEvent::MouseButtonRelease, path.back(), 0);
                QCoreApplication::processEvents();
                const PageInk* page = sheet.Ink->store().find("book", "page");
                state.counters["stroke_points"] = double(page->strokes().back()->points.size());
                sheet.Ink->undo();
                QCoreApplication::processEvents();
            }
        }
    }
    state.counters["ink_p50_ms"] = percentile(ink, 0.5);
    state.counters["ink_p95_ms"] = percentile(ink, 0.95);
    state.counters["ink_worst_ms"] = percentile(ink, 1.0);
    state.counters["floor_p50_ms"] = percentile(reference, 0.5);
    state.counters["floor_p95_ms"] = percentile(reference, 0.95);
    state.counters["floor_worst_ms"] = percentile(reference, 1.0);
    state.counters["ink_paints"] = double(ink.size());
    state.counters["floor_paints"] = double(reference.size());
    state.counters["p95_ratio"] = percentile(ink, 0.95) / std::max(percentile(reference, 0.95), 1e-6);
}
BENCHMARK(BM_InkLatency)
    ->ArgsProduct({{1, 2}, {0, 1}})
    ->ArgNames({"zoom", "tablet"})
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv);
}
